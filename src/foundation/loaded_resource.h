// Releases a loaded resource when its owner is done with it, also when an exception passes, so
// that no path leaves a resource loaded.
#pragma once

#include "foundation/platform.h"

class LoadedResource {
public:
  explicit LoadedResource(HGLOBAL loaded) : Loaded(loaded) {}
  LoadedResource(const LoadedResource&) = delete;
  LoadedResource& operator=(const LoadedResource&) = delete;
  ~LoadedResource() { sys::FreeResource(Loaded); }

private:
  HGLOBAL Loaded;
};
