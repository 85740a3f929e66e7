#include "install/restore_log.h"

#include <cstdint>

#include "foundation/file_reader.h"
#include "foundation/platform.h"
#include "foundation/regkey.h"

namespace {

constexpr std::uint8_t LogFormat = 10;

enum RecordType : std::uint8_t { EndOfLog = 0, RegistryValue = 1, ProfileEntry = 2 };

// Every text of the log fits a buffer of this size with the NUL the reader appends.
constexpr int TextRoom = 1024;
constexpr std::int32_t MaxTextLength = TextRoom - 1;

struct RecordBuffers {
  char SubKey[TextRoom];
  char ValueName[TextRoom];
  char Data[TextRoom];
  char Section[TextRoom];
  char Key[TextRoom];
  char IniValue[TextRoom];
};

std::uint8_t ReadByte(FileReader& log) {
  std::uint8_t value = 0;
  ReadExact(&value, 1, log);
  return value;
}

// The log is little-endian whatever machine reads it.
std::uint32_t ReadUInt32(FileReader& log) {
  unsigned char bytes[4];
  ReadExact(bytes, sizeof bytes, log);
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Lengths are signed in the log, so 0x80000000 and above are negative and refused.
std::int32_t ReadLength(FileReader& log) { return static_cast<std::int32_t>(ReadUInt32(log)); }

// Reads a value whose length may be 0; returns that length.
std::int32_t ReadOptionalText(char* buffer, FileReader& log) {
  std::int32_t length = ReadLength(log);
  if (length < 0 || length > MaxTextLength) throw EFile();
  if (length > 0) ReadExact(buffer, static_cast<std::size_t>(length), log);
  buffer[length] = '\0';
  return length;
}

// Root values are 32-bit handle numbers; predefined roots are sign-extended, as Windows does.
HKEY RootKeyFromLog(std::uint32_t value) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(value))));
}

void ReplayRegistryValue(FileReader& log, RecordBuffers& buffers) {
  const std::uint32_t root = ReadUInt32(log);
  ReadCounted(buffers.SubKey, TextRoom, log);
  ReadCounted(buffers.ValueName, TextRoom, log);
  // An empty value is a no-op: the key is not even opened.
  if (ReadOptionalText(buffers.Data, log) == 0) return;

  try {
    ZRegKey rootKey(RootKeyFromLog(root));
    // Only an existing key gets the value: a restore never creates keys.
    ZRegKey key(rootKey, buffers.SubKey, ZRegKey::ModeOpen);
    rootKey.Close();
    key.SetString(buffers.ValueName, buffers.Data);
    key.Close();
  } catch (const ZRegKey::EOpen&) {
    // A key that is missing or not open to us: this record is skipped, the next one is read.
  }
}

void ReplayProfileEntry(FileReader& log, RecordBuffers& buffers) {
  ReadCounted(buffers.Section, TextRoom, log);
  ReadCounted(buffers.Key, TextRoom, log);
  // An empty value removes the entry.
  const bool remove = ReadOptionalText(buffers.IniValue, log) == 0;
  sys::WritePrivateProfileStringA(buffers.Section, buffers.Key, remove ? nullptr : buffers.IniValue,
                                  SystemIniFileName);
}

// Applies each record as soon as it has been read whole.
void ReplayRecords(FileReader& log) {
  if (ReadByte(log) != LogFormat) throw EFile();
  RecordBuffers buffers;
  for (;;) {
    switch (ReadByte(log)) {
    case RegistryValue:
      ReplayRegistryValue(log, buffers);
      break;
    case ProfileEntry:
      ReplayProfileEntry(log, buffers);
      break;
    default:
      // The end byte, and any type this reader does not know: nothing after it is read.
      return;
    }
  }
}

} // namespace

void ReadExact(void* destination, std::size_t count, FileReader& log) {
  if (log.Read(destination, count) != count) throw EFile();
}

void ReadCounted(char* buffer, int capacity, FileReader& log) {
  const std::int32_t length = ReadLength(log);
  if (length < 1 || length > capacity - 1) throw EFile();
  ReadExact(buffer, static_cast<std::size_t>(length), log);
  buffer[length] = '\0';
}

void ReplayRestoreLog(const ZString& installDir) {
  const ZString logPath = installDir.Concat(RestoreLogFileName);
  // The reader closes the log on every way out of the replay, an exception passing through
  // included, so that the log is never deleted while it is still open.
  if (FileReader log; log.Open(logPath.CStr())) {
    try {
      ReplayRecords(log);
    } catch (const EFile&) {
      // A malformed log ends the replay; what came before it stays applied.
    }
  }
  // Deleted whether it was applied, malformed or missing, so that a later installation does not
  // replay it again. Only an allocation failure, which passes through, leaves it for a later
  // installation to replay whole.
  sys::DeleteFileA(logPath.CStr());
}
