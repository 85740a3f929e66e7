// Profile files ("system.ini" and the like): sections and keys without regard to case, values
// with their surrounding blanks trimmed, changes made in place so that every other line of the
// file (comments, other sections, blank lines) stays as it was. Written with CR LF line ends.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "foundation/host/drive_store.h"
#include "foundation/host/emulation.h"
#include "foundation/host/sandbox.h"
#include "foundation/zstring.h"

namespace sys {
namespace {

using host::detail::EqualsNoCase;
using host::detail::Fails;
using host::detail::SetError;

// The blanks around names and values in a profile file: spaces and tabs.
bool IsProfileBlank(char c) { return c == ' ' || c == '\t'; }
std::string Trim(const std::string& text) { return host::detail::Trimmed(text, IsProfileBlank); }

// A file name without a folder means the file in the Windows directory.
bool ProfileHostPath(LPCSTR fileName, std::string* hostPath, DWORD* error) {
  std::string name = fileName ? fileName : "win.ini";
  if (name.find_first_of("\\/:") == std::string::npos) {
    std::string windows;
    if (!host::detail::WindowsDirectory(&windows)) {
      *error = ERROR_PATH_NOT_FOUND;
      return false;
    }
    // The directory itself, not the white space around its text that the engine trims.
    windows = host::detail::Trimmed(windows, IsWhiteSpace);
    name = windows + (!windows.empty() && windows.back() == '\\' ? "" : "\\") + name;
  }
  host::detail::WindowsPath path;
  if (!host::detail::ParseWindowsPath(name.c_str(), &path, error)) return false;
  *hostPath = host::detail::ToHostPath(path);
  return true;
}

std::vector<std::string> ReadLines(const std::string& hostPath) {
  std::vector<std::string> lines;
  std::string bytes;
  host::detail::store::ReadWhole(hostPath, &bytes);
  // A last line without a line break counts; an empty one after the last break does not.
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool WriteLines(const std::string& hostPath, const std::vector<std::string>& lines, DWORD* error) {
  namespace store = host::detail::store;
  const int file = store::Open(hostPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) {
    *error = host::detail::MissingPathError(hostPath) == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND
                                                                              : ERROR_ACCESS_DENIED;
    return false;
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t step = store::Write(file, text.data() + done, text.size() - done);
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) break;
    done += static_cast<std::size_t>(step);
  }
  store::Close(file);
  if (done < text.size()) {
    *error = ERROR_DISK_FULL;
    return false;
  }
  return true;
}

bool IsSection(const std::string& line, std::string* name) {
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return false;
  std::size_t close = trimmed.find(']');
  *name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

bool IsEntry(const std::string& line, std::string* key, std::string* value) {
  std::string trimmed = Trim(line);
  std::size_t equals = trimmed.find('=');
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[' || equals == std::string::npos)
    return false;
  *key = Trim(trimmed.substr(0, equals));
  *value = Trim(trimmed.substr(equals + 1));
  return true;
}

// Where a section and one of its keys are: the header's line, the line after the section's last
// line, and the key's line (npos when missing). The first section of that name counts.
struct Location {
  std::size_t header = std::string::npos;
  std::size_t end = 0;
  std::size_t entry = std::string::npos;
  std::string key;   // as spelled in the file
  std::string value; // trimmed
};

Location Locate(const std::vector<std::string>& lines, const std::string& section,
                const char* key) {
  Location location;
  std::string name, entryKey, entryValue;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsSection(lines[i], &name)) {
      if (location.header != std::string::npos) break;
      if (EqualsNoCase(name, section)) location.header = i;
      continue;
    }
    if (location.header == std::string::npos) continue;
    location.end = i + 1;
    if (key && location.entry == std::string::npos && IsEntry(lines[i], &entryKey, &entryValue) &&
        EqualsNoCase(entryKey, key)) {
      location.entry = i;
      location.key = entryKey;
      location.value = entryValue;
    }
  }
  if (location.header != std::string::npos && location.end == 0) location.end = location.header + 1;
  return location;
}

// A value written in matching quotes is read without them.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

// The names of all sections, or of all keys of one section, each ended by a NUL.
std::string NameList(const std::vector<std::string>& lines, const char* section) {
  std::string list, name, key, value;
  bool inSection = false;
  for (const std::string& line : lines) {
    if (IsSection(line, &name)) {
      if (!section) list += name + '\0';
      inSection = section && EqualsNoCase(name, section);
    } else if (inSection && IsEntry(line, &key, &value)) {
      list += key + '\0';
    }
  }
  return list;
}

// A list ends with a second NUL; one cut short keeps both NULs and reports size - 2.
DWORD CopyList(const std::string& list, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size > 1) buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

DWORD CopyText(const std::string& text, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
  using Call = calls::GetPrivateProfileStringA;
  DWORD error = 0;
  // A failing read leaves an empty text, in both layers.
  if (Fails(Call::name, Call::Detail(section, key), Call::usualError, &error)) {
    if (buffer && size) buffer[0] = '\0';
    return Call::Failure(error);
  }
  if (buffer == nullptr) return 0;
  std::string hostPath;
  std::vector<std::string> lines;
  if (ProfileHostPath(fileName, &hostPath, &error)) lines = ReadLines(hostPath);
  if (section == nullptr || key == nullptr) return CopyList(NameList(lines, section), buffer, size);
  Location location = Locate(lines, section, key);
  if (location.entry != std::string::npos) return CopyText(Unquoted(location.value), buffer, size);
  // The default loses its trailing blanks, as the platform's does.
  std::string fallback = defaultValue ? defaultValue : "";
  fallback.erase(fallback.find_last_not_of(' ') + 1);
  return CopyText(fallback, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  DWORD error = 0;
  ZM_TRACED(WritePrivateProfileStringA, section, key, value, fileName);
  // Also the flush (all three NULL): there is no cache to write out, and the answer is FALSE,
  // as in Wine's own implementation, since no record of Windows' answer exists.
  if (section == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string hostPath;
  if (!ProfileHostPath(fileName, &hostPath, &error)) {
    SetError(error);
    return FALSE;
  }
  // The 95/98 family writes no empty value into a file that does not exist yet: FALSE, and no
  // file. The error it sets is not known.
  struct stat info;
  if (host::detail::CurrentFamily() == host::Family::Win9x && key != nullptr && value != nullptr &&
      value[0] == '\0' && host::detail::store::Stat(hostPath, &info) != 0) {
    SetError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::vector<std::string> lines = ReadLines(hostPath);
  Location location = Locate(lines, section, key);
  if (key == nullptr) {
    // The whole section goes, its header and every line up to the next section.
    if (location.header == std::string::npos) return TRUE;
    lines.erase(lines.begin() + static_cast<long>(location.header),
                lines.begin() + static_cast<long>(location.end));
  } else if (value == nullptr) {
    if (location.entry == std::string::npos) return TRUE;
    lines.erase(lines.begin() + static_cast<long>(location.entry));
  } else if (location.entry != std::string::npos) {
    lines[location.entry] = location.key + "=" + value;
  } else if (location.header != std::string::npos) {
    // A new key goes after the section's last non-blank line.
    std::size_t at = location.end;
    while (at > location.header + 1 && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<long>(at), std::string(key) + "=" + value);
  } else {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(std::string(key) + "=" + value);
  }
  if (!WriteLines(hostPath, lines, &error)) {
    SetError(error);
    return FALSE;
  }
  return TRUE;
}

} // namespace sys
