#include "install/payload_archive.h"

#include <memory>

#include <zlib.h>

#include "foundation/loaded_resource.h"
#include "install/product.h"
#include "shared/product_names.h"

namespace {

constexpr char CopyErrorFormat[] = "Fatal error: could not copy %s.";
constexpr char CopyErrorTitle[] = "File copy error";

constexpr DWORD OutputBufferSize = 0x8000;

std::uint32_t AdlerStart() { return static_cast<std::uint32_t>(adler32(0L, Z_NULL, 0)); }

std::uint32_t AddToAdler(std::uint32_t sum, const BYTE* bytes, DWORD count) {
  return static_cast<std::uint32_t>(adler32(sum, bytes, count));
}

// Files copied from a CD keep their read-only attribute on the 95/98 family, and so may an
// earlier version's files here. They are ours to replace: when the platform refuses one and it
// is read-only, its attributes are cleared and the call is made once more. A refusal for any
// other reason (a running program's file, say) is left as it is.
bool ClearedAfterRefusal(LPCSTR path) {
  if (sys::GetLastError() != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = sys::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         sys::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

HANDLE CreateOwnFile(LPCSTR path) {
  HANDLE file = sys::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && ClearedAfterRefusal(path)) {
    file = sys::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  }
  return file;
}

void DeleteOwnFile(LPCSTR path) {
  if (!sys::DeleteFileA(path) && ClearedAfterRefusal(path)) sys::DeleteFileA(path);
}

} // namespace

bool LoadArchiveResource(HINSTANCE instance, LPCSTR name, std::uint32_t expectedAdler,
                         HGLOBAL* loaded, const BYTE** bytes, DWORD* size) {
  HRSRC resource = sys::FindResourceA(instance, name, ArchiveResourceType);
  if (resource == nullptr) return false;
  // An empty resource is no archive member, even though its sum would be the initial 1.
  DWORD count = sys::SizeofResource(instance, resource);
  if (count == 0) return false;
  HGLOBAL handle = sys::LoadResource(instance, resource);
  if (handle == nullptr) return false;
  const BYTE* data = static_cast<const BYTE*>(sys::LockResource(handle));
  if (data == nullptr || AddToAdler(AdlerStart(), data, count) != expectedAdler) {
    sys::FreeResource(handle);
    return false;
  }
  *loaded = handle;
  *bytes = data;
  *size = count;
  return true;
}

bool ExtractPayloads(const ZString& installDir, HWND owner, HINSTANCE instance,
                     const PayloadEntry* table) {
  // A file left by an earlier version may or may not be there; either way is fine.
  DeleteOwnFile(installDir.Concat(OlderScreenSaverFileName).CStr());

  for (const PayloadEntry* entry = table; entry->ResourceName[0] != '\0'; ++entry) {
    HGLOBAL handle = nullptr;
    const BYTE* stored = nullptr;
    DWORD storedSize = 0;
    if (!LoadArchiveResource(instance, entry->ResourceName, entry->StoredAdler, &handle, &stored,
                             &storedSize)) {
      sys::MessageBoxA(owner, ArchiveErrorText, ArchiveErrorTitle, MB_OK | MB_ICONERROR);
      return false;
    }
    LoadedResource release(handle);

    ZString target = installDir.Concat(entry->FileName);
    if (!ExtractPayload(stored, storedSize, target, entry->LastWriteTime, entry->InflatedAdler)) {
      ZString message;
      message.Format(CopyErrorFormat, target.CStr());
      sys::MessageBoxA(owner, message.CStr(), CopyErrorTitle, MB_OK | MB_ICONERROR);
      return false;
    }
  }
  return true;
}

bool ExtractPayload(const BYTE* stored, DWORD storedSize, const ZString& targetPath,
                    FILETIME lastWriteTime, std::uint32_t inflatedAdler) {
  // Taken before the target is created, so that running out of memory here leaves an existing
  // file as it was instead of truncated.
  std::unique_ptr<BYTE[]> buffer(new BYTE[OutputBufferSize]);

  HANDLE file = CreateOwnFile(targetPath.CStr());
  if (file == INVALID_HANDLE_VALUE) return false;

  // Zeroed: null allocators select zlib's own, and should inflateInit fail, the null state
  // makes the first inflate report an error instead of touching anything.
  z_stream stream{};
  stream.next_in = const_cast<Bytef*>(stored); // zlib reads the input but declares it mutable
  stream.avail_in = storedSize;
  inflateInit(&stream);

  bool writeFailed = false;
  int result = Z_OK;
  do {
    stream.next_out = buffer.get();
    stream.avail_out = OutputBufferSize;
    result = inflate(&stream, Z_NO_FLUSH);
    DWORD produced = OutputBufferSize - stream.avail_out;
    if (produced > 0) {
      DWORD written = 0;
      // A write that takes fewer bytes than asked leaves the file short just as a failed one
      // does. Both end the extraction on their own: the sum alone could miss a lost chunk (a
      // run of zero bytes need not change an Adler-32).
      if (!sys::WriteFile(file, buffer.get(), produced, &written, nullptr) || written != produced) {
        writeFailed = true;
        break;
      }
    }
  } while (result == Z_OK);
  // inflate keeps the Adler-32 of everything it has produced, and every byte it produced has
  // been written: that is the sum of the written bytes, without a second pass over them.
  const auto sum = static_cast<std::uint32_t>(stream.adler);
  inflateEnd(&stream);

  if (!writeFailed && result == Z_STREAM_END && sum == inflatedAdler) {
    sys::SetFileTime(file, nullptr, nullptr, &lastWriteTime);
    sys::CloseHandle(file);
    return true;
  }
  sys::CloseHandle(file);
  sys::DeleteFileA(targetPath.CStr());
  return false;
}
