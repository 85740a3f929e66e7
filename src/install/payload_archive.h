// The archive the installer carries inside itself: resources of the type "ZEMBRINO", each payload
// one zlib stream, guarded by an Adler-32 of the stored bytes and one of the inflated file.
#pragma once

#include <cstdint>

#include "foundation/platform.h"
#include "foundation/zstring.h"

inline constexpr char ArchiveResourceType[] = "ZEMBRINO";

struct PayloadEntry {
  char ResourceName[16];
  char FileName[32];
  std::uint32_t InflatedAdler;
  std::uint32_t StoredAdler;
  FILETIME LastWriteTime;
};

// What the build packed, in extraction order, ended by a record whose first byte is 0.
extern const PayloadEntry PayloadTable[];

// Finds, loads, locks and checks one archive resource. On success the caller owns *loaded and
// must FreeResource it; on failure nothing is left loaded.
bool LoadArchiveResource(HINSTANCE instance, LPCSTR name, std::uint32_t expectedAdler,
                         HGLOBAL* loaded, const BYTE** bytes, DWORD* size);

// Writes every payload of the table into installDir (which ends in a backslash). Shows its own
// message box, owned by owner, and returns false on the first failure.
bool ExtractPayloads(const ZString& installDir, HWND owner, HINSTANCE instance,
                     const PayloadEntry* table = PayloadTable);

// Inflates one stored stream into targetPath, checks the written bytes' sum and stamps the
// last-write time. On failure the file is gone, unless it could not even be created.
bool ExtractPayload(const BYTE* stored, DWORD storedSize, const ZString& targetPath,
                    FILETIME lastWriteTime, std::uint32_t inflatedAdler);
