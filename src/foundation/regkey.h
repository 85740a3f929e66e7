// The system's one way into the registry: an open key handle and whether this object must close
// it. Keys are opened or created below a parent key object; failures to open or create are
// thrown, everything else reports true or false.
#pragma once

#include <vector>

#include "foundation/platform.h"
#include "foundation/zstring.h"

class ZRegKey {
public:
  class E {};
  class EOpen : public E {};
  class ECreate : public E {};

  enum Mode { ModeOpen = 0, ModeCreate = 1 };

  // Wraps a handle that belongs to somebody else (a predefined root, for example); never closed.
  explicit ZRegKey(HKEY handle);
  // ModeCreate (bit 0 set): creates the key when missing, opens it when present; throws ECreate.
  // Otherwise opens an existing key with full access; throws EOpen.
  ZRegKey(const ZRegKey& parent, const char* path, int mode);
  ~ZRegKey();
  ZRegKey(const ZRegKey&) = delete;
  ZRegKey& operator=(const ZRegKey&) = delete;

  void Close();

  // Reads a REG_SZ value of at most maxLength characters; out must be empty. On false, out is
  // empty.
  bool QueryString(const char* valueName, ZString& out, int maxLength);
  // Writes a REG_SZ value with its terminating NUL; a null name means the key's default value.
  bool SetString(const char* valueName, const ZString& value);
  bool SetString(const char* valueName, const char* value);
  // Appends the names of all direct subkeys, in the platform's enumeration order.
  void GetSubKeyNames(std::vector<ZString>& names);
  // Deletes the subkey at path (below this key) with everything below it (DeleteRegistryTree).
  // True when the final deletion of that subkey succeeded.
  bool DeleteTree(const char* path);

  HKEY Handle;
  bool Owned;
};
