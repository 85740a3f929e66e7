// Everything on the emulated machine that a program under test may change, one item a line, for
// the fault sweeps' comparisons of before and after: every registry key ("HKEY_...\Path\", so
// that a key's pattern matches it and everything below it) and value ("HKEY_...\Path [name]"),
// every file below a folder ("file:C:\..." = size, sum and last-write time), every entry of
// system.ini ("ini:[section] key") and every deletion or rename waiting for the restart
// ("restart:<operation>").
#pragma once

#ifndef _WIN32

#include <map>
#include <string>
#include <vector>

using Snapshot = std::map<std::string, std::string>;

// root: a Windows folder ending in a backslash, such as "C:\WINDOWS\" or "C:\".
Snapshot TakeSnapshot(const std::string& root);

// "(absent)" when the snapshot has no such item.
std::string ValueIn(const Snapshot& snapshot, const std::string& item);

#endif
