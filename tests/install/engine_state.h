// What the installation engine leaves on the machine, read back and cleared for the tests of
// the engine: the screen saver setting on both families, its backup, the uninstall entries and
// profile entries of system.ini.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"
#include "foundation/platform_hooks.h"
#include "shared/product_names.h"
#include "support/call_trace.h"

inline constexpr char MissingText[] = "(missing)";

// A REG_SZ value without its NUL, MissingText when the key or the value is missing. A value of
// another type reads as "(type n)".
std::string RegistryText(HKEY root, const std::string& path, const char* name);
void DeleteRegistryValue(HKEY root, const std::string& path, const char* name);

// An entry of the Windows directory's system.ini, MissingText when it is not there.
std::string ProfileText(const char* section, const char* key);
void SetProfileText(const char* section, const char* key, const std::string& value);
void DeleteProfileEntry(const char* section, const char* key);

// The screen saver setting of either family: the Desktop value on NT, the [boot] entry on 95/98.
std::string Setting(bool nt);
void SetSetting(bool nt, const std::string& value);

// Removes every trace of an installation from the registry and system.ini: the backup key, both
// settings, both uninstall entries. On the emulated machine also creates "Control Panel\Desktop",
// which every real NT-family profile has.
void ClearEngineState();

// The 95/98 family for the rest of the test: on the emulated machine by its setting; under Wine,
// whose version is fixed for the process, by a failing version query, which the engine takes
// for the 95/98 family.
void UseWin9xFamily();
