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

// TMP, then TEMP, then the Windows directory; the folder is named, not checked or made.
DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  ZM_TRACED(GetTempPathA, size, buffer);
  std::string directory;
  // An empty variable counts as none, as a variable set to nothing reads as unset.
  if ((!host::detail::EnvironmentVariable("TMP", &directory) || directory.empty()) &&
      (!host::detail::EnvironmentVariable("TEMP", &directory) || directory.empty()) &&
      (!host::detail::WindowsDirectory(&directory) || directory.empty()))
    directory = "C:";
  if (NeedsPathSeparator(directory.c_str(), directory.size())) directory += '\\';
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
  // A missing folder fails for every number, made up or not: the NT family says the name is no
  // folder, the 95/98 family that the path is not found.
  if (!host::detail::IsExistingDirectory(directory, &error)) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY)
      error = host::detail::CurrentFamily() == host::Family::Win9x ? ERROR_PATH_NOT_FOUND
                                                                   : ERROR_DIRECTORY;
    return host::detail::FailWith(error, 0u);
  }
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
      if (descriptor < 0) return host::detail::FailWith(ErrorFromHost(errno, hostPath), 0u);
      store::Close(descriptor);
      host::detail::NoteCreatedEntry(hostPath);
    }
    std::memcpy(tempFileName, path.c_str(), path.size() + 1);
    return number;
  }
}

} // namespace sys
