// Short (8.3) aliases of long file names, handed out per folder in the order the entries appear,
// as the platform does when it creates them.
#pragma once

#include <string>

namespace sys::host::detail {

// Gives a new file or folder its alias at once, so that aliases follow the order of creation.
void NoteCreatedEntry(const std::string& hostPath);

// The entry of a host folder whose alias is the given name (in any case); "" when none is.
std::string EntryOfAlias(const std::string& folder, const std::string& alias);

} // namespace sys::host::detail
