// The packer's command line.
#pragma once

#include <string>
#include <vector>

#include "archive.h"

namespace pack {

extern const char Usage[];

// Throws std::runtime_error with a message for the user when the arguments make no sense.
Request ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace pack
