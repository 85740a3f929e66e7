// Module resources: bytes filed by type and name, each a text (matched without regard to case)
// or an integer id. Every load is counted until it is released, so that tests can see that
// nothing stays loaded.
#include <map>
#include <memory>

#include "foundation/host/emulation.h"

namespace sys {
namespace {

struct Resource {
  std::uintptr_t module;
  std::string type; // lookup keys: "#id" or the text in upper case
  std::string name;
  std::string bytes; // never changes while loaded: its address is what LockResource gives
};

struct Resources {
  std::vector<std::uintptr_t> modules;
  std::vector<std::unique_ptr<Resource>> resources;
  std::map<std::uintptr_t, Resource*> loads;
};

Resources& State() {
  static Resources resources;
  return resources;
}

std::string LookupKey(LPCSTR id) {
  // Integer ids and their "#120" spelling are the same name.
  std::string shown = calls::ResourceName(id);
  if (shown.size() > 1 && shown.size() <= 6 && shown[0] == '#' &&
      shown.find_first_not_of("0123456789", 1) == std::string::npos)
    return "#" + std::to_string(std::stoul(shown.substr(1)) & 0xFFFF);
  return host::detail::UpperCase(shown);
}

Resource* FindByHandle(HRSRC handle) {
  for (const auto& resource : State().resources)
    if (reinterpret_cast<HRSRC>(resource.get()) == handle) return resource.get();
  return nullptr;
}

Resource* Loaded(HGLOBAL loaded) {
  auto found = State().loads.find(reinterpret_cast<std::uintptr_t>(loaded));
  return found == State().loads.end() ? nullptr : found->second;
}

} // namespace

namespace host {

HMODULE AddModule() {
  std::uintptr_t value = detail::NextHandleValue();
  State().modules.push_back(value);
  return reinterpret_cast<HMODULE>(value);
}

void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const std::string& bytes) {
  auto moduleValue = reinterpret_cast<std::uintptr_t>(module);
  for (const auto& resource : State().resources) {
    if (resource->module == moduleValue && resource->type == LookupKey(type) &&
        resource->name == LookupKey(name)) {
      resource->bytes = bytes;
      return;
    }
  }
  State().resources.push_back(
      std::make_unique<Resource>(Resource{moduleValue, LookupKey(type), LookupKey(name), bytes}));
}

int LoadedResourceCount() { return static_cast<int>(State().loads.size()); }

namespace detail {

void ResetResources() { State() = Resources{}; }

} // namespace detail
} // namespace host

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  ZM_TRACED(FindResourceA, module, name, type);
  Resources& state = State();
  auto moduleValue = reinterpret_cast<std::uintptr_t>(module);
  // No module means the program's own, the first one there is.
  if (module == nullptr && !state.modules.empty()) moduleValue = state.modules.front();
  bool knownModule = false, knownType = false;
  for (std::uintptr_t value : state.modules) knownModule = knownModule || value == moduleValue;
  if (!knownModule) return host::detail::FailWith(ERROR_RESOURCE_DATA_NOT_FOUND, HRSRC{});
  for (const auto& resource : state.resources) {
    if (resource->module != moduleValue || resource->type != LookupKey(type)) continue;
    knownType = true;
    if (resource->name == LookupKey(name)) return reinterpret_cast<HRSRC>(resource.get());
  }
  return host::detail::FailWith(
      knownType ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND, HRSRC{});
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  static_cast<void>(module);
  Resource* found = FindByHandle(resource);
  ZM_TRACED(SizeofResource, module, resource);
  if (!found) return host::detail::FailWith(ERROR_INVALID_HANDLE, DWORD{0});
  return static_cast<DWORD>(found->bytes.size());
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  static_cast<void>(module);
  Resource* found = FindByHandle(resource);
  ZM_TRACED(LoadResource, module, resource);
  if (!found) return host::detail::FailWith(ERROR_INVALID_HANDLE, HGLOBAL{});
  std::uintptr_t value = host::detail::NextHandleValue();
  State().loads[value] = found;
  return reinterpret_cast<HGLOBAL>(value);
}

LPVOID LockResource(HGLOBAL loaded) {
  Resource* found = Loaded(loaded);
  ZM_TRACED(LockResource, loaded);
  if (!found) return host::detail::FailWith(ERROR_INVALID_HANDLE, LPVOID{});
  return found->bytes.data();
}

// Success is FALSE here, as on the platform.
BOOL FreeResource(HGLOBAL loaded) {
  Resource* found = Loaded(loaded);
  ZM_TRACED(FreeResource, loaded);
  if (!found) return host::detail::FailWith(ERROR_INVALID_HANDLE, BOOL{TRUE});
  State().loads.erase(reinterpret_cast<std::uintptr_t>(loaded));
  return FALSE;
}

} // namespace sys
