#include "foundation/host/sandbox.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>

#include "foundation/host/drive_store.h"
#include "foundation/host/emulation.h"
#include "foundation/host/short_names.h"

namespace sys::host {
namespace detail {
namespace {

// The sandbox folder lives until the next reset or the end of the process.
struct Sandbox {
  std::string root;
  ~Sandbox() { Remove(); }
  void Remove() {
    if (root.empty()) return;
    store::RemoveRoot(root);
    root.clear();
  }
};

Sandbox& TheSandbox() {
  static Sandbox sandbox;
  return sandbox;
}

const std::string& Root() {
  if (TheSandbox().root.empty()) PrepareDrives();
  return TheSandbox().root;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsValidNameCharacter(char c) {
  if (static_cast<unsigned char>(c) < 32) return false;
  for (const char* bad = "<>:\"|?*"; *bad; ++bad)
    if (c == *bad) return false;
  return true;
}

bool IsDirectory(const std::string& hostPath) {
  struct stat info;
  return store::Stat(hostPath, &info) == 0 && S_ISDIR(info.st_mode);
}

// The name of the entry of folder that matches name without regard to case, or whose short alias
// it is; name itself when there is none (or an exact match).
std::string ExistingSpelling(const std::string& folder, const std::string& name) {
  struct stat info;
  if (store::Stat(folder + "/" + name, &info) == 0) return name;
  // Several host spellings can only come from outside the emulation; take the first in order.
  std::string best;
  const bool listed = store::ForEachEntry(folder, [&](std::string_view candidate) {
    if (candidate.size() != name.size() || (!best.empty() && candidate >= best)) return;
    for (std::size_t i = 0; i < name.size(); ++i)
      if (Upper(candidate[i]) != Upper(name[i])) return;
    best = candidate;
  });
  if (!listed) return name;
  if (best.empty() && name.find('~') != std::string::npos) best = EntryOfAlias(folder, name);
  return best.empty() ? name : best;
}

} // namespace

void ResetSandbox() {
  Sandbox& sandbox = TheSandbox();
  sandbox.Remove();
  sandbox.root = store::NewRoot();
  store::Mkdir(sandbox.root + "/C", 0777);
}

bool ParseWindowsPath(const char* text, WindowsPath* path, DWORD* error) {
  *path = WindowsPath{};
  if (text == nullptr || *text == '\0') {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  const std::string_view full = text;
  if (full.size() >= MAX_PATH) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  std::size_t position = 0;
  if (full.size() >= 2 && full[1] == ':' &&
      ((full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z'))) {
    path->drive = Upper(full[0]);
    position = 2;
  } else if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
    *error = ERROR_PATH_NOT_FOUND; // network paths lead nowhere on this machine
    return false;
  }
  // Room for the usual depth at once, rather than growing step by step.
  path->components.reserve(8);
  std::string component;
  for (std::size_t i = position; i <= full.size(); ++i) {
    if (i < full.size() && !IsSeparator(full[i])) {
      if (!IsValidNameCharacter(full[i])) {
        *error = ERROR_INVALID_NAME;
        return false;
      }
      component += full[i];
      continue;
    }
    if (component == "..") {
      if (!path->components.empty()) path->components.pop_back();
    } else if (!component.empty() && component != ".") {
      path->components.push_back(component);
    }
    component.clear();
  }
  path->trailingSeparator = IsSeparator(full.back());
  return true;
}

std::string ToHostPath(const WindowsPath& path) { return ToHostPath(path, path.components.size()); }

std::string ToHostPath(const WindowsPath& path, std::size_t componentCount) {
  std::string host;
  std::size_t length = Root().size() + 2;
  for (const std::string& component : path.components) length += component.size() + 1;
  host.reserve(length);
  host += Root();
  host += '/';
  host += path.drive;
  bool inFolder = IsDirectory(host);
  for (std::size_t i = 0; i < componentCount && i < path.components.size(); ++i) {
    const std::string& component = path.components[i];
    const std::size_t folderLength = host.size();
    host += '/';
    host += component;
    if (!inFolder) continue;
    // The spelling as given is the usual case, and needs no look at the folder's other entries.
    struct stat info;
    if (store::Stat(host, &info) == 0) {
      inFolder = S_ISDIR(info.st_mode);
      continue;
    }
    host.resize(folderLength);
    const std::string spelling = ExistingSpelling(host, component);
    host += '/';
    host += spelling;
    inFolder = IsDirectory(host);
  }
  return host;
}

DWORD MissingPathError(const std::string& hostPath) {
  std::string parent = hostPath.substr(0, hostPath.find_last_of('/'));
  return IsDirectory(parent) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

void MakeHostDirectories(const std::string& windowsPath) {
  WindowsPath path;
  DWORD error = 0;
  if (!ParseWindowsPath(windowsPath.c_str(), &path, &error)) return;
  store::MakeDirectories(ToHostPath(path));
}

} // namespace detail

std::string HostPath(const std::string& windowsPath) {
  detail::WindowsPath path;
  DWORD error = 0;
  if (!detail::ParseWindowsPath(windowsPath.c_str(), &path, &error)) return "";
  return detail::ToHostPath(path);
}

bool ReadDriveFile(const std::string& windowsPath, std::string* bytes) {
  const std::string hostPath = HostPath(windowsPath);
  return !hostPath.empty() && detail::store::ReadWhole(hostPath, bytes);
}

bool WriteDriveFile(const std::string& windowsPath, const std::string& bytes) {
  const std::string hostPath = HostPath(windowsPath);
  if (hostPath.empty()) return false;
  struct stat info;
  const bool existed = detail::store::Stat(hostPath, &info) == 0;
  const int file = detail::store::Open(hostPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) return false;
  const bool written =
      detail::store::Write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  detail::store::Close(file);
  if (!existed) detail::NoteCreatedEntry(hostPath);
  return written;
}

} // namespace sys::host
