#include "install/uninstall_registration.h"

#include <optional>

#include "foundation/platform.h"
#include "foundation/regkey.h"
#include "shared/path_text.h"
#include "shared/product_names.h"

namespace {

constexpr char ProductDisplayName[] = "Zembrino's Screen Saver";
// An older entry is the maker's only when its display name starts with this word, case as written.
constexpr char MakerWord[] = "Zembrino";
constexpr int MakerWordLength = sizeof MakerWord - 1;
constexpr int MaxDisplayNameLength = 2048;

void RemoveOlderEntry(ZRegKey& localMachine) {
  std::optional<ZRegKey> older;
  try {
    older.emplace(localMachine, OldUninstallKeyPath, ZRegKey::ModeOpen);
  } catch (const ZRegKey::EOpen&) {
    return;
  }
  ZString name;
  const bool makers = older->QueryString(DisplayNameValueName, name, MaxDisplayNameLength) &&
                      name.Left(MakerWordLength).Equals(MakerWord);
  // Closed before the tree goes, so that no handle of ours points into it.
  older->Close();
  if (makers) localMachine.DeleteTree(OldUninstallKeyPath);
}

// The command the system runs to uninstall. A path with a blank is quoted: unquoted, the system
// would try the path's first words as a program of their own.
ZString UninstallCommand(const ZString& installDir) {
  const ZString program = installDir.Concat(UninstallerFileName);
  if (!NeedsQuotes(program.CStr())) return program;
  ZString quoted("\"");
  quoted.Append(program.CStr(), program.Length());
  quoted.Append('"');
  return quoted;
}

} // namespace

void RegisterUninstall(const ZString& installDir) {
  ZRegKey localMachine(HKEY_LOCAL_MACHINE);
  RemoveOlderEntry(localMachine);

  std::optional<ZRegKey> entry;
  try {
    entry.emplace(localMachine, UninstallKeyPath, ZRegKey::ModeCreate);
  } catch (const ZRegKey::ECreate&) {
    return;
  }
  entry->SetString(DisplayNameValueName, ProductDisplayName);
  entry->SetString(UninstallStringValueName, UninstallCommand(installDir));
  entry->Close();
}
