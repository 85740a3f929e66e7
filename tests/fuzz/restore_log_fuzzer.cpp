// Arbitrary bytes as the restore log, on a machine with a few keys the records can name. Whatever
// the bytes: no crash, no read out of bounds, no leak (the sanitizers), the log is closed, no
// registry key is created or removed (a restore only writes values into existing keys), and the
// log is gone afterwards, so that no later installation replays it again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/host/host_machine.h"
#include "foundation/platform_hooks.h"
#include "fuzz_machine.h"
#include "install/restore_log.h"

namespace {

constexpr char InstallDir[] = "C:\\WINDOWS\\";

int CallCount(const char* name) {
  int count = 0;
  for (const sys::hooks::Call& call : sys::hooks::Calls())
    if (call.name == name) ++count;
  return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const InputMachine machine;
  // Keys that the seeds' records name, so that writes are reached, not only skipped: made once,
  // and put back by the reset after each input.
  static const bool keysMade = [] {
    CreateRegistryKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
    CreateRegistryKey(HKEY_CURRENT_USER, "Software\\Zembrino");
    CreateRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zembrino");
    sys::host::KeepStartingRegistry();
    return true;
  }();
  static_cast<void>(keysMade);
  const std::string log = std::string(InstallDir) + RestoreLogFileName;
  WriteWholeFile(log, std::string(reinterpret_cast<const char*>(data), size));
  const int keyChangesBefore = sys::host::RegistryKeyChanges();
  sys::hooks::ClearCalls();

  ReplayRestoreLog(ZString(InstallDir));

  Require(!FileExists(log), "the log is deleted after the replay");
  Require(CallCount("CreateFileA") == 1 && CallCount("CloseHandle") == 1,
          "the log is opened and closed once");
  Require(sys::host::RegistryKeyChanges() == keyChangesBefore,
          "no registry key is created or removed");
  Require(sys::host::OpenRegistryHandles() == 0, "every key opened is closed again");
  return 0;
}
