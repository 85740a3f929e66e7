// The registry: one tree of keys per predefined root, names without regard to case, values as
// raw bytes, handles as independent objects, and the status codes the platform reports.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/host/emulation.h"
#include "foundation/host/file_time.h"

namespace sys {
namespace {

using host::detail::Fails;
using host::detail::NoCaseLess;

// Access rights beyond those the engine names.
constexpr REGSAM KeyCreateSubKey = 0x0004;
constexpr REGSAM KeyCreateLink = 0x0020;
constexpr REGSAM Delete = 0x00010000;
constexpr REGSAM WriteDac = 0x00040000;
constexpr REGSAM WriteOwner = 0x00080000;
constexpr REGSAM MaximumAllowed = 0x02000000;
constexpr REGSAM GenericExecute = 0x20000000;
constexpr REGSAM GenericWrite = 0x40000000;
constexpr REGSAM GenericRead = 0x80000000;
constexpr REGSAM WriteRights =
    KEY_SET_VALUE | KeyCreateSubKey | KeyCreateLink | Delete | WriteDac | WriteOwner;

struct Value {
  DWORD type;
  std::string data;
};

struct Key {
  int root = 0;
  std::string path; // below the root, spelled as created; "" for the root itself
  std::weak_ptr<Key> parent;
  std::map<std::string, std::shared_ptr<Key>, NoCaseLess> subkeys;
  std::map<std::string, Value, NoCaseLess> values;
  FILETIME lastWrite{0, 0};
  bool deleted = false;
};

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM access;
};

constexpr int RootCount = 4;
constexpr std::uint32_t FirstRootValue = 0x80000000u;
const char* const RootNames[RootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                          "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

struct DeniedKey {
  int root;
  std::string path; // upper case, components joined by single backslashes
};

struct Registry {
  std::shared_ptr<Key> roots[RootCount];
  std::map<std::uintptr_t, OpenKey> handles;
  std::vector<DeniedKey> denied;
  int rootCloses = 0;
  int keyChanges = 0;
  // Anything done to the registry at all: keys, values, handles, denials. While it is 0 the
  // registry is still the one a reset made.
  int changes = 0;

  Registry() {
    for (int i = 0; i < RootCount; ++i) {
      roots[i] = std::make_shared<Key>();
      roots[i]->root = i;
    }
  }
  // Roots to be filled in by the caller.
  struct WithoutRoots {};
  explicit Registry(WithoutRoots) {}
};

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

Registry& State() {
  static Registry registry;
  return registry;
}

// Only the low 32 bits name a predefined root, however the value was widened to a handle.
int RootIndex(HKEY handle) {
  auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
  if (low >= FirstRootValue && low < FirstRootValue + RootCount)
    return static_cast<int>(low - FirstRootValue);
  return -1;
}

// A null name is the empty one (the default value, no subkey); the trace shows it as "(null)".
std::string Name(LPCSTR text) { return text ? text : ""; }

// The components of a subkey path. Separators at the end (or doubled) are ignored; one at the
// start is refused, as the platform does for keys below a root.
LONG SplitKeyPath(LPCSTR subKey, std::vector<std::string>* components) {
  components->clear();
  std::string path = Name(subKey);
  if (!path.empty() && path[0] == '\\') return ERROR_BAD_PATHNAME;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) components->push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::string JoinPath(const std::string& base, const std::string& name) {
  return base.empty() ? name : base + "\\" + name;
}

bool IsPrefixPath(const std::string& prefix, const std::string& path) {
  return prefix.empty() || path == prefix ||
         (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
          path[prefix.size()] == '\\');
}

bool IsDenied(int root, const std::string& path) {
  std::string upper = host::detail::UpperCase(path);
  for (const DeniedKey& denied : State().denied)
    if (denied.root == root && IsPrefixPath(denied.path, upper)) return true;
  return false;
}

// Whether the key at path, or any key below it, is out of reach.
bool IsDeniedAtOrBelow(int root, const std::string& path) {
  std::string upper = host::detail::UpperCase(path);
  for (const DeniedKey& denied : State().denied)
    if (denied.root == root &&
        (IsPrefixPath(denied.path, upper) || IsPrefixPath(upper, denied.path)))
      return true;
  return false;
}

// The rights a request amounts to once its generic rights are spelled out.
REGSAM SpecificRights(REGSAM requested, bool denied) {
  REGSAM rights =
      requested & ~(GENERIC_ALL | GenericExecute | GenericWrite | GenericRead | MaximumAllowed);
  if (requested & (GenericRead | GenericExecute)) rights |= KEY_READ;
  if (requested & GenericWrite) rights |= KEY_WRITE;
  if (requested & GENERIC_ALL) rights |= KEY_ALL_ACCESS;
  if (requested & MaximumAllowed) rights |= denied ? KEY_READ : KEY_ALL_ACCESS;
  return rights;
}

struct Resolved {
  std::shared_ptr<Key> key;
  REGSAM access = 0;
  bool isRoot = false;
};

LONG Resolve(HKEY handle, Resolved* resolved) {
  Registry& registry = State();
  int root = RootIndex(handle);
  if (root >= 0) {
    resolved->key = registry.roots[root];
    resolved->access = IsDenied(root, "") ? KEY_READ : KEY_ALL_ACCESS;
    resolved->isRoot = true;
  } else {
    auto found = registry.handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == registry.handles.end()) return ERROR_INVALID_HANDLE;
    resolved->key = found->second.key;
    resolved->access = found->second.access;
    resolved->isRoot = false;
  }
  return resolved->key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

// The fault check of the two calls that hand back a key: a failed call leaves no handle behind.
template <typename Call>
bool FailsHandingBack(HKEY parent, LPCSTR subKey, PHKEY result, LONG* status) {
  DWORD error = 0;
  if (!Fails(Call::name, Call::Detail(parent, subKey), Call::usualError, &error)) return false;
  if (result) *result = nullptr;
  *status = Call::Failure(error);
  return true;
}

// The opening that every call on an open key shares: an armed fault (the call's detail given),
// the handle, and the right the call needs. Anything but ERROR_SUCCESS is the call's answer.
template <typename Call>
LONG OpenForCall(const std::string& detail, HKEY key, REGSAM right, Resolved* open) {
  DWORD error = 0;
  if (Fails(Call::name, detail, Call::usualError, &error)) return Call::Failure(error);
  LONG status = Resolve(key, open);
  if (status != ERROR_SUCCESS) return status;
  return open->access & right ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// The key a path starts from and the path's components, for the calls that take a subkey.
LONG ResolvePath(HKEY parent, LPCSTR subKey, Resolved* from, std::vector<std::string>* components) {
  LONG status = Resolve(parent, from);
  if (status != ERROR_SUCCESS) return status;
  return SplitKeyPath(subKey, components);
}

// The key's full name, for the trace ("HKEY_CURRENT_USER\\Software"); "" for no key at all.
std::string Describe(HKEY handle) {
  Resolved resolved;
  Resolve(handle, &resolved);
  if (!resolved.key) return "";
  return JoinPath(RootNames[resolved.key->root], resolved.key->path);
}

std::shared_ptr<Key> Find(std::shared_ptr<Key> key, const std::vector<std::string>& components) {
  for (const std::string& component : components) {
    auto found = key->subkeys.find(component);
    if (found == key->subkeys.end()) return nullptr;
    key = found->second;
  }
  return key;
}

HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM access) {
  std::uintptr_t value = host::detail::NextHandleValue();
  State().handles[value] = OpenKey{key, access};
  ++State().changes;
  return reinterpret_cast<HKEY>(value);
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  for (auto& subkey : key.subkeys) MarkDeleted(*subkey.second);
  key.subkeys.clear();
}

} // namespace

std::string calls::KeyName(HKEY key) { return Describe(key); }

namespace host {

void DenyKeyAccess(HKEY root, const std::string& path) {
  int index = RootIndex(root);
  if (index < 0) return;
  std::size_t start = path.find_first_not_of('\\');
  std::vector<std::string> components;
  if (start != std::string::npos) SplitKeyPath(path.c_str() + start, &components);
  std::string normalized;
  for (const std::string& component : components) normalized = JoinPath(normalized, component);
  State().denied.push_back(DeniedKey{index, detail::UpperCase(normalized)});
  ++State().changes;
}

int PredefinedRootCloses() { return State().rootCloses; }

namespace {

void DumpKey(const Key& key, const std::string& name, std::vector<std::string>& lines) {
  lines.push_back(name);
  for (const auto& [valueName, value] : key.values)
    lines.push_back(name + " [" + valueName + "] = " + std::to_string(value.type) + ":" +
                    value.data);
  for (const auto& [subkeyName, subkey] : key.subkeys)
    if (!subkey->deleted) DumpKey(*subkey, name + "\\" + subkeyName, lines);
}

} // namespace

std::vector<std::string> RegistryDump() {
  std::vector<std::string> lines;
  for (int i = 0; i < RootCount; ++i) DumpKey(*State().roots[i], RootNames[i], lines);
  return lines;
}

int RegistryKeyChanges() { return State().keyChanges; }

int OpenRegistryHandles() { return static_cast<int>(State().handles.size()); }

namespace {

std::shared_ptr<Key> CopyOf(const Key& key, const std::shared_ptr<Key>& parent) {
  auto copy = std::make_shared<Key>();
  copy->root = key.root;
  copy->path = key.path;
  copy->parent = parent;
  copy->values = key.values;
  copy->lastWrite = key.lastWrite;
  for (const auto& [name, subkey] : key.subkeys) copy->subkeys[name] = CopyOf(*subkey, copy);
  return copy;
}

// Keys and denied keys alone: no open key, nothing counted.
Registry CopyOf(const Registry& registry) {
  Registry copy{Registry::WithoutRoots{}};
  for (int i = 0; i < RootCount; ++i) copy.roots[i] = CopyOf(*registry.roots[i], nullptr);
  copy.denied = registry.denied;
  return copy;
}

std::unique_ptr<Registry>& StartingRegistry() {
  static std::unique_ptr<Registry> starting;
  return starting;
}

} // namespace

void KeepStartingRegistry() {
  if (!State().handles.empty()) {
    std::fprintf(stderr, "KeepStartingRegistry: %zu keys are still open\n", State().handles.size());
    std::abort();
  }
  StartingRegistry() = std::make_unique<Registry>(CopyOf(State()));
  ++State().changes; // the next reset makes its copy from the kept one
}

void ForgetStartingRegistry() {
  StartingRegistry().reset();
  ++State().changes;
}

namespace detail {

void ResetRegistry() {
  const std::unique_ptr<Registry>& starting = StartingRegistry();
  // Untouched since the last reset, it is still what the reset made.
  if (State().changes == 0) return;
  State() = starting ? CopyOf(*starting) : Registry{};
}

} // namespace detail
} // namespace host

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  static_cast<void>(options);
  LONG status = ERROR_SUCCESS;
  if (FailsHandingBack<calls::RegOpenKeyExA>(parent, subKey, result, &status)) return status;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Resolved from;
  std::vector<std::string> components;
  status = ResolvePath(parent, subKey, &from, &components);
  if (status != ERROR_SUCCESS) return status;
  // Opening a predefined root itself gives back the predefined handle, not a new one.
  if (components.empty() && from.isRoot) {
    *result = parent;
    return ERROR_SUCCESS;
  }
  std::shared_ptr<Key> key = Find(from.key, components);
  if (!key) return ERROR_FILE_NOT_FOUND;
  bool denied = IsDenied(key->root, key->path);
  REGSAM rights = SpecificRights(access, denied);
  if (denied && (rights & WriteRights)) return ERROR_ACCESS_DENIED;
  *result = NewHandle(key, rights);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
  LONG status = ERROR_SUCCESS;
  if (FailsHandingBack<calls::RegCreateKeyA>(parent, subKey, result, &status)) return status;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Resolved from;
  std::vector<std::string> components;
  status = ResolvePath(parent, subKey, &from, &components);
  if (status != ERROR_SUCCESS) return status;
  // Without a subkey the call hands back the handle it was given.
  if (components.empty()) {
    *result = parent;
    return ERROR_SUCCESS;
  }
  std::string path = from.key->path;
  for (const std::string& component : components) path = JoinPath(path, component);
  if (IsDenied(from.key->root, path)) {
    *result = nullptr;
    return ERROR_ACCESS_DENIED;
  }
  std::shared_ptr<Key> key = from.key;
  for (const std::string& component : components) {
    auto found = key->subkeys.find(component);
    if (found != key->subkeys.end()) {
      key = found->second;
      continue;
    }
    if (!(from.access & KeyCreateSubKey)) {
      *result = nullptr;
      return ERROR_ACCESS_DENIED;
    }
    auto created = std::make_shared<Key>();
    created->root = key->root;
    created->path = JoinPath(key->path, component);
    created->parent = key;
    created->lastWrite = host::detail::CurrentFileTime();
    key->subkeys[component] = created;
    ++State().keyChanges;
    ++State().changes;
    key = created;
  }
  *result = NewHandle(key, KEY_ALL_ACCESS);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  static_cast<void>(reserved);
  Resolved open;
  LONG status = OpenForCall<calls::RegQueryValueExA>(
      calls::RegQueryValueExA::Detail(key, valueName), key, KEY_QUERY_VALUE, &open);
  if (status != ERROR_SUCCESS) return status;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  auto found = open.key->values.find(Name(valueName));
  if (found == open.key->values.end()) {
    // Asked for the size alone: the NT family clears it, the 95/98 family clears the type and
    // leaves the size.
    if (data == nullptr && host::detail::CurrentFamily() == host::Family::Win9x) {
      if (type) *type = 0;
    } else if (data == nullptr && size != nullptr) {
      *size = 0;
    }
    return ERROR_FILE_NOT_FOUND;
  }
  const Value& value = found->second;
  if (type) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  auto needed = static_cast<DWORD>(value.data.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), needed);
    // A string stored without its terminator is handed out with one when the buffer has room;
    // the size reported stays that of the stored bytes.
    if (IsText(value.type) && *size > needed && (needed == 0 || data[needed - 1] != 0))
      data[needed] = 0;
  }
  *size = needed;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  static_cast<void>(reserved);
  Resolved open;
  LONG status = OpenForCall<calls::RegSetValueExA>(calls::RegSetValueExA::Detail(key, valueName),
                                                   key, KEY_SET_VALUE, &open);
  if (status != ERROR_SUCCESS) return status;
  if (data == nullptr && size != 0) return ERROR_NOACCESS;
  // A string whose size leaves out its terminator gets it back when the byte after the data is
  // one, as the platform does for callers that pass strlen.
  if (IsText(type) && size != 0 && data[size - 1] != 0 && data[size] == 0) ++size;
  std::string bytes = size ? std::string(reinterpret_cast<const char*>(data), size) : "";
  auto found = open.key->values.find(Name(valueName));
  if (found != open.key->values.end())
    found->second = Value{type, bytes}; // the name keeps its first spelling
  else
    open.key->values.emplace(Name(valueName), Value{type, bytes});
  open.key->lastWrite = host::detail::CurrentFileTime();
  ++State().changes;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, PFILETIME lastWriteTime) {
  static_cast<void>(reserved);
  Resolved open;
  LONG status = OpenForCall<calls::RegEnumKeyExA>(calls::RegEnumKeyExA::Detail(key, index), key,
                                                  KEY_ENUMERATE_SUB_KEYS, &open);
  if (status != ERROR_SUCCESS) return status;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  // The map keeps the subkeys in the platform's order: by name, without regard to case.
  if (index >= open.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto entry = std::next(open.key->subkeys.begin(), index);
  const std::string& subkeyName = entry->first;
  if (subkeyName.size() >= *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, subkeyName.c_str(), subkeyName.size() + 1);
  *nameSize = static_cast<DWORD>(subkeyName.size());
  if (className != nullptr && classSize != nullptr && *classSize > 0) className[0] = '\0';
  if (classSize != nullptr) *classSize = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = entry->second->lastWrite;
  return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  static_cast<void>(reserved);
  Resolved open;
  LONG status = OpenForCall<calls::RegQueryInfoKeyA>(calls::RegQueryInfoKeyA::Detail(key), key,
                                                     KEY_QUERY_VALUE, &open);
  if (status != ERROR_SUCCESS) return status;
  DWORD longestSubKey = 0, longestName = 0, longestData = 0;
  for (const auto& entry : open.key->subkeys)
    longestSubKey = std::max(longestSubKey, static_cast<DWORD>(entry.first.size()));
  for (const auto& entry : open.key->values) {
    longestName = std::max(longestName, static_cast<DWORD>(entry.first.size()));
    longestData = std::max(longestData, static_cast<DWORD>(entry.second.data.size()));
  }
  if (className != nullptr && classSize != nullptr && *classSize > 0) className[0] = '\0';
  if (classSize != nullptr) *classSize = 0;
  if (subKeys != nullptr) *subKeys = static_cast<DWORD>(open.key->subkeys.size());
  if (maxSubKeyLength != nullptr) *maxSubKeyLength = longestSubKey;
  if (maxClassLength != nullptr) *maxClassLength = 0;
  if (values != nullptr) *values = static_cast<DWORD>(open.key->values.size());
  if (maxValueNameLength != nullptr) *maxValueNameLength = longestName;
  if (maxValueLength != nullptr) *maxValueLength = longestData;
  if (securityDescriptorSize != nullptr) *securityDescriptorSize = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = open.key->lastWrite;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  Resolved open;
  LONG status = OpenForCall<calls::RegEnumKeyA>(calls::RegEnumKeyA::Detail(key, index), key,
                                                KEY_ENUMERATE_SUB_KEYS, &open);
  if (status != ERROR_SUCCESS) return status;
  if (name == nullptr) return ERROR_INVALID_PARAMETER;
  if (index >= open.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& subkeyName = std::next(open.key->subkeys.begin(), index)->first;
  if (subkeyName.size() >= nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, subkeyName.c_str(), subkeyName.size() + 1);
  return ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey) {
  ZM_TRACED(RegDeleteKeyA, parent, subKey);
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  Resolved from;
  std::vector<std::string> components;
  LONG status = ResolvePath(parent, subKey, &from, &components);
  if (status != ERROR_SUCCESS) return status;
  std::shared_ptr<Key> key = Find(from.key, components);
  if (!key) return ERROR_FILE_NOT_FOUND;
  std::shared_ptr<Key> owner = key->parent.lock();
  if (!owner) return ERROR_ACCESS_DENIED; // a predefined root cannot be deleted
  if (IsDeniedAtOrBelow(key->root, key->path)) return ERROR_ACCESS_DENIED;
  // The NT family deletes only keys without subkeys; the 95/98 family takes the whole subtree.
  if (!key->subkeys.empty() && host::detail::CurrentFamily() != host::Family::Win9x)
    return ERROR_ACCESS_DENIED;
  MarkDeleted(*key);
  ++State().keyChanges;
  ++State().changes;
  owner->subkeys.erase(key->path.substr(key->path.find_last_of('\\') + 1));
  return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  Resolved open;
  LONG status = OpenForCall<calls::RegDeleteValueA>(calls::RegDeleteValueA::Detail(key, valueName),
                                                    key, KEY_SET_VALUE, &open);
  if (status != ERROR_SUCCESS) return status;
  if (open.key->values.erase(Name(valueName)) == 0) return ERROR_FILE_NOT_FOUND;
  open.key->lastWrite = host::detail::CurrentFileTime();
  ++State().changes;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  ZM_TRACED(RegCloseKey, key);
  Registry& registry = State();
  if (RootIndex(key) >= 0) {
    ++registry.rootCloses;
    ++registry.changes;
    return ERROR_SUCCESS;
  }
  // A handle to a deleted key is still closed normally.
  if (registry.handles.erase(reinterpret_cast<std::uintptr_t>(key)) == 0)
    return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

} // namespace sys
