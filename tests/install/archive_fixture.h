// What the payload tests share: the packed fixture archives as the module under test carries
// them, the original fixture files, and tables put together from the packed records.
#pragma once

#include "support/call_trace.h"

#include <string>
#include <vector>

#include "DAMAGED_archive.h"
#include "FIXTURE_archive.h"
#include "install/payload_archive.h"

// The stamp the packer gives every payload: 2000-09-13 12:00:00 UTC.
inline constexpr FILETIME PayloadTime{0x24622000, 0x01C01D7A};

inline bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The module whose resources hold both fixture archives. On the emulated platform it is made
// afresh, so call it after the machine was reset.
HINSTANCE ArchiveModule();

// The bytes of a file under tests/install/fixtures, read from the source tree.
std::string FixtureFile(const std::string& name);

// The record of that resource in a packed table.
PayloadEntry Record(const PayloadEntry* table, const char* resourceName);

// The records in this order, followed by the end record.
std::vector<PayloadEntry> Table(std::vector<PayloadEntry> records);
