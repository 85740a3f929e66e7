// The files the packer generates from a packed archive.
#pragma once

#include <string>

#include "archive.h"

namespace pack {

// The resource type of the archive, as the installer looks it up.
inline constexpr char ResourceType[] = "ZEMBRINO";

// Writes bytes to path exactly; throws std::runtime_error when it cannot.
void WriteBinaryFile(const std::string& path, const std::string& bytes);

// The resource script for the Windows build: every resource under the language id 1031.
std::string ResourceScript(const Archive& archive);
// The payload table's definition.
std::string TableSource(const Request& request, const Archive& archive);
// The table's declaration, the texts' sums and, when generated, the registration function.
std::string Header(const Request& request, const Archive& archive);
// For the native build: registers the very same bytes with the emulated platform.
std::string HostResourcesSource(const Request& request, const Archive& archive);

} // namespace pack
