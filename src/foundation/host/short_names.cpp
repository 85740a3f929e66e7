// Short (8.3) names: a component that already is one stays as written; a long one gets the
// classic alias, numbered so that no two entries of a folder share a short name.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "foundation/host/drive_store.h"
#include "foundation/host/emulation.h"
#include "foundation/host/sandbox.h"
#include "foundation/host/short_names.h"

namespace sys {
namespace {

using host::detail::Upper;

bool IsShortNameCharacter(char c) {
  if (static_cast<unsigned char>(c) >= 0x80) return true;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::strchr("$%'-_@~`!(){}^#&", c) != nullptr && c != '\0';
}

bool IsShortName(const std::string& name) {
  std::size_t dot = name.find('.');
  std::string base = name.substr(0, dot);
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  if (dot != std::string::npos && extension.empty()) return false;
  return std::all_of(base.begin(), base.end(), IsShortNameCharacter) &&
         std::all_of(extension.begin(), extension.end(), IsShortNameCharacter);
}

// Upper case, without blanks, dots and characters that short names cannot hold.
std::string ShortNameCharacters(const std::string& text, std::size_t limit) {
  std::string kept;
  for (char c : text)
    if (kept.size() < limit && IsShortNameCharacter(c)) kept += Upper(c);
  return kept;
}

struct AliasParts {
  std::string base;      // at most six characters
  std::string extension; // at most three
};

AliasParts AliasPartsOf(const std::string& name) {
  std::string trimmed = name.substr(std::min(name.find_first_not_of('.'), name.size()));
  std::size_t lastDot = trimmed.rfind('.');
  AliasParts parts;
  parts.base = ShortNameCharacters(trimmed.substr(0, lastDot), 6);
  if (lastDot != std::string::npos)
    parts.extension = ShortNameCharacters(trimmed.substr(lastDot + 1), 3);
  if (parts.base.empty()) parts.base = "_";
  return parts;
}

// The base gives up characters so that it and "~N" still fit in eight.
std::string Alias(const AliasParts& parts, int number) {
  std::string suffix = "~" + std::to_string(number);
  std::string alias = parts.base.substr(0, std::min(parts.base.size(), 8 - suffix.size())) + suffix;
  return parts.extension.empty() ? alias : alias + "." + parts.extension;
}

// The aliases handed out so far, by host folder and exact entry name.
std::map<std::string, std::map<std::string, std::string>>& Aliases() {
  static std::map<std::string, std::map<std::string, std::string>> aliases;
  return aliases;
}

bool Exists(const std::string& hostPath) {
  struct stat info;
  return host::detail::store::Stat(hostPath, &info) == 0;
}

// The alias of an existing entry of a folder: the one it was given, or else the smallest number
// whose alias neither a short name of the folder nor another entry's alias holds. The aliases
// of entries that are gone are free again.
std::string AliasIn(const std::string& folder, const std::string& name) {
  std::map<std::string, std::string>& given = Aliases()[folder];
  for (auto entry = given.begin(); entry != given.end();)
    entry = Exists(folder + "/" + entry->first) ? std::next(entry) : given.erase(entry);
  auto known = given.find(name);
  if (known != given.end()) return known->second;

  std::set<std::string> taken;
  std::vector<std::string> siblings;
  host::detail::store::List(folder, &siblings);
  for (const std::string& sibling : siblings)
    if (IsShortName(sibling)) taken.insert(host::detail::UpperCase(sibling));
  for (const auto& entry : given) taken.insert(entry.second);
  AliasParts parts = AliasPartsOf(name);
  int number = 1;
  while (taken.count(Alias(parts, number))) ++number;
  return given[name] = Alias(parts, number);
}

} // namespace

namespace host::detail {

void NoteCreatedEntry(const std::string& hostPath) {
  std::size_t slash = hostPath.find_last_of('/');
  std::string name = hostPath.substr(slash + 1);
  if (!IsShortName(name)) AliasIn(hostPath.substr(0, slash), name);
}

std::string EntryOfAlias(const std::string& folder, const std::string& alias) {
  // Entries that were never given an alias get theirs now, in name order.
  std::vector<std::string> entries;
  store::List(folder, &entries);
  std::sort(entries.begin(), entries.end());
  std::string wanted = UpperCase(alias);
  for (const std::string& entry : entries)
    if (!IsShortName(entry) && AliasIn(folder, entry) == wanted) return entry;
  return "";
}

void ResetShortNames() { Aliases().clear(); }

} // namespace host::detail

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  DWORD error = 0;
  ZM_TRACED(GetShortPathNameA, longPath, shortPath, size);
  if (longPath == nullptr) {
    host::detail::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  host::detail::WindowsPath parsed;
  if (!host::detail::ParseWindowsPath(longPath, &parsed, &error)) {
    host::detail::SetError(error);
    return 0;
  }
  std::string text = longPath;
  std::string result;
  if (text.size() >= 2 && text[1] == ':') result = text.substr(0, 2);
  if (text.size() > result.size() && (text[result.size()] == '\\' || text[result.size()] == '/'))
    result += '\\';
  struct stat info;
  if (parsed.components.empty() &&
      host::detail::store::Stat(host::detail::ToHostPath(parsed), &info) != 0) {
    host::detail::SetError(ERROR_PATH_NOT_FOUND); // no such drive
    return 0;
  }
  for (std::size_t i = 0; i < parsed.components.size(); ++i) {
    std::string hostPath = host::detail::ToHostPath(parsed, i + 1);
    if (host::detail::store::Stat(hostPath, &info) != 0) {
      host::detail::SetError(host::detail::MissingPathError(hostPath));
      return 0;
    }
    const std::string& component = parsed.components[i];
    std::size_t slash = hostPath.find_last_of('/');
    if (i > 0 && result.back() != '\\') result += '\\';
    result += IsShortName(component)
                  ? component
                  : AliasIn(hostPath.substr(0, slash), hostPath.substr(slash + 1));
  }
  if (parsed.trailingSeparator && !parsed.components.empty()) result += '\\';
  auto length = static_cast<DWORD>(result.size());
  // Too small: the size it would need, NUL included, and nothing written.
  if (shortPath == nullptr || size <= length) return length + 1;
  std::memcpy(shortPath, result.c_str(), length + 1);
  return length;
}

} // namespace sys
