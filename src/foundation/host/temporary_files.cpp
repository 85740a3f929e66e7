// The temporary folder and temporary file names of the emulated machine.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/host/drive_store.h"
#include "foundation/host/file_time.h"
#include "foundation/host/open_files.h"
#include "foundation/host/sandbox.h"
#include "foundation/host/short_names.h"
#include "foundation/platform_hooks.h"
#include "shared/path_text.h"

namespace sys {
namespace {

using namespace host::detail::files;
using host::detail::SetError;
namespace store = host::detail::store;

} // namespace

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  ZM_TRACED(GetTempPathA, size, buffer);
  std::string directory;
  if (!host::detail::WindowsDirectory(&directory) || directory.empty()) directory = "C:";
  if (NeedsPathSeparator(directory.c_str(), directory.size())) directory += '\\';
  directory += "TEMP\\";
  host::detail::MakeHostDirectories(directory);
  // Too small: the size it would need, NUL included.
  if (buffer == nullptr || size <= directory.size())
    return static_cast<DWORD>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<DWORD>(directory.size());
}

UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  DWORD error = 0;
  ZM_TRACED(GetTempFileNameA, directory, prefix, unique, tempFileName);
  if (directory == nullptr || prefix == nullptr || tempFileName == nullptr)
    return host::detail::FailWith(ERROR_INVALID_PARAMETER, 0u);
  std::string base = directory;
  if (NeedsPathSeparator(base.c_str(), base.size())) base += '\\';
  base += std::string(prefix).substr(0, 3);
  for (;;) {
    UINT number = unique != 0 ? unique : State().nextTempNumber++;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X.TMP", number & 0xFFFF);
    std::string path = base + hex;
    if (path.size() >= MAX_PATH) return host::detail::FailWith(ERROR_BUFFER_OVERFLOW, 0u);
    std::string hostPath;
    bool trailingSeparator = false;
    if (!MapPath(path.c_str(), &hostPath, &trailingSeparator, &error))
      return host::detail::FailWith(error, 0u);
    // With a number given, the name is only made up, not created.
    if (unique == 0) {
      int descriptor = store::Open(hostPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (descriptor < 0 && errno == EEXIST) continue;
      if (descriptor < 0)
        return host::detail::FailWith(
            errno == ENOENT ? ERROR_DIRECTORY : ErrorFromHost(errno, hostPath), 0u);
      store::Close(descriptor);
      host::detail::NoteCreatedEntry(hostPath);
    }
    std::memcpy(tempFileName, path.c_str(), path.size() + 1);
    return number;
  }
}

} // namespace sys
