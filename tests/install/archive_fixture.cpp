#include "archive_fixture.h"

#include <doctest/doctest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "foundation/platform_hooks.h"

#ifndef _WIN32
#include "foundation/host/host_machine.h"
#endif

HINSTANCE ArchiveModule() {
#ifdef _WIN32
  // The resource scripts are linked into the test program itself.
  return ::GetModuleHandleA(nullptr);
#else
  HMODULE module = sys::host::AddModule();
  RegisterFixtureArchive(module);
  RegisterDamagedArchive(module);
  return module;
#endif
}

std::string FixtureFile(const std::string& name) {
  const std::string path = std::string(ZM_FIXTURE_DIR) + name;
  std::ifstream file(path, std::ios::binary);
  REQUIRE_MESSAGE(file.good(), "cannot open the fixture " << path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

PayloadEntry Record(const PayloadEntry* table, const char* resourceName) {
  for (const PayloadEntry* entry = table; entry->ResourceName[0] != '\0'; ++entry)
    if (std::strcmp(entry->ResourceName, resourceName) == 0) return *entry;
  FAIL("no record for " << resourceName);
  return PayloadEntry{};
}

std::vector<PayloadEntry> Table(std::vector<PayloadEntry> records) {
  records.push_back(PayloadEntry{});
  return records;
}
