// Builds restore logs for tests from a readable description: records in, bytes out. Malformed
// logs are described the same way, with stored lengths that differ from the text, odd type
// bytes and a cut at any byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// A counted text of the log. The stored length is normally the text's own; Length() stores
// another one, for the cases a reader must refuse.
struct LogText {
  LogText(const char* text) : Bytes(text) {}
  LogText(std::string text) : Bytes(std::move(text)) {}

  std::string Bytes;
  std::optional<std::uint32_t> StoredLength;
};

// A text stored with the given length in front of it, whatever its real size.
LogText WithLength(std::uint32_t storedLength, std::string bytes = "");

inline constexpr std::uint32_t LogRootCurrentUser = 0x80000001;
inline constexpr std::uint32_t LogRootLocalMachine = 0x80000002;

class RestoreLogWriter {
public:
  static constexpr std::uint8_t Format = 10;
  enum Type : std::uint8_t { End = 0, Registry = 1, Profile = 2 };

  // A log that starts with the given format byte.
  explicit RestoreLogWriter(std::uint8_t format = Format);
  // No bytes at all, not even the format byte.
  static RestoreLogWriter Empty();

  RestoreLogWriter& RegistryValue(std::uint32_t root, const LogText& subKey,
                                  const LogText& valueName, const LogText& data);
  RestoreLogWriter& ProfileEntry(const LogText& section, const LogText& key, const LogText& value);
  RestoreLogWriter& EndByte() { return Byte(End); }

  // Raw pieces.
  RestoreLogWriter& Byte(std::uint8_t value);
  RestoreLogWriter& UInt32(std::uint32_t value);
  RestoreLogWriter& Text(const LogText& text);

  // Keeps the first size bytes.
  RestoreLogWriter& CutAt(std::size_t size);
  std::size_t Size() const { return Log.size(); }
  const std::string& Bytes() const { return Log; }

private:
  std::string Log;
};
