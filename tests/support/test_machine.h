// Helpers that let one test source run against the emulated platform and under Wine alike: a
// fresh state per test, scratch folders, and files and registry values read back through the
// platform layer.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"
// DeleteRegistryTree: the tests clear keys as the programs do.
#include "shared/registry_tree.h"

#ifndef _WIN32
#include "foundation/host/host_machine.h"
#endif

// Each test case that touches the machine starts from a clean slate: on the emulated platform
// a whole new machine; in both builds no traced calls, no armed faults, no recorded boxes.
struct MachineFixture {
  MachineFixture();
  ~MachineFixture();
};

// The platform family a case runs on, true for NT: under Wine the prefix's, which must be the
// one the run was started for (RequireExpectedFamily); on the emulated machine each family in
// turn, as two subcases of the calling test case.
bool ChooseFamily();

#ifdef _WIN32
// Stops the test unless Windows reports the family that ZM_EXPECT_FAMILY names ("nt" or "98"),
// set on every Windows test run (tests/CMakeLists.txt), so that a badly prepared prefix cannot
// pass as the other family.
void RequireExpectedFamily();
#endif

// A new, empty folder; a Windows path that ends in a backslash.
std::string NewScratchDirectory();

bool FileExists(const std::string& path);
// The whole content of a file; "" also when it is missing (check FileExists).
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
FILETIME FileLastWriteTime(const std::string& path);
// Makes each path a read-only file, as files copied from a CD are on the 95/98 family. Under Wine
// run by the host's superuser the platform writes read-only files all the same (it refuses them
// through the host's permission bits, which the superuser passes): there that deviation is checked
// on the first file, the files are made ordinary again and the answer is false, for the caller to
// stop; elsewhere true.
bool MakeReadOnlyFiles(const std::vector<std::string>& paths);

bool RegistryKeyExists(HKEY root, const std::string& path);
// Creates the key when needed.
void SetRegistryValue(HKEY root, const std::string& path, const char* name, DWORD type,
                      const std::string& bytes);
void SetRegistryString(HKEY root, const std::string& path, const char* name,
                       const std::string& text);
// False when the key or the value is missing.
bool GetRegistryValue(HKEY root, const std::string& path, const char* name, DWORD* type,
                      std::string* bytes);

// A registry path under HKEY_CURRENT_USER that belongs to the tests alone, emptied by the fixture.
inline constexpr char TestRegistryRoot[] = "Software\\ZembrinoTests";
