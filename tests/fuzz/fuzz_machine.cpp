#include "fuzz_machine.h"

#include <cstdio>
#include <cstdlib>

#include "foundation/host/host_machine.h"
#include "foundation/platform_hooks.h"

InputMachine::InputMachine() {
  // The drives live in memory, which is what makes a machine per input affordable; ZM_FUZZ_DISK
  // puts them on disk (under TMPDIR) for a look at the files of a single input.
  static const bool made = [] {
    sys::host::UseMemoryDrives(std::getenv("ZM_FUZZ_DISK") == nullptr);
    sys::hooks::Reset();
    return true;
  }();
  static_cast<void>(made);
}

InputMachine::~InputMachine() {
  sys::host::Reset();
  sys::hooks::Reset();
}

bool FileExists(const std::string& path) {
  // Through the machine's own drives rather than a traced call, which costs a record each time
  // and would show in the trace the engine is judged by. A folder cannot be read as a file.
  std::string bytes;
  return sys::host::ReadDriveFile(path, &bytes);
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  sys::host::ReadDriveFile(path, &bytes);
  return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  Require(sys::host::WriteDriveFile(path, bytes), "the fixture file can be written");
}

FILETIME LastWriteTime(const std::string& path) {
  FILETIME time{};
  HANDLE file = sys::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  Require(file != INVALID_HANDLE_VALUE, "the written file can be opened");
  sys::GetFileTime(file, nullptr, nullptr, &time);
  sys::CloseHandle(file);
  return time;
}

void CreateRegistryKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  Require(sys::RegCreateKeyA(root, path, &key) == ERROR_SUCCESS, "the fixture key can be made");
  sys::RegCloseKey(key);
}

void Require(bool condition, const char* invariant) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}
