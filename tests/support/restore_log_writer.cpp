#include "support/restore_log_writer.h"

LogText WithLength(std::uint32_t storedLength, std::string bytes) {
  LogText text(std::move(bytes));
  text.StoredLength = storedLength;
  return text;
}

RestoreLogWriter::RestoreLogWriter(std::uint8_t format) { Byte(format); }

RestoreLogWriter RestoreLogWriter::Empty() { return RestoreLogWriter().CutAt(0); }

RestoreLogWriter& RestoreLogWriter::RegistryValue(std::uint32_t root, const LogText& subKey,
                                                  const LogText& valueName, const LogText& data) {
  return Byte(Registry).UInt32(root).Text(subKey).Text(valueName).Text(data);
}

RestoreLogWriter& RestoreLogWriter::ProfileEntry(const LogText& section, const LogText& key,
                                                 const LogText& value) {
  return Byte(Profile).Text(section).Text(key).Text(value);
}

RestoreLogWriter& RestoreLogWriter::Byte(std::uint8_t value) {
  Log.push_back(static_cast<char>(value));
  return *this;
}

RestoreLogWriter& RestoreLogWriter::UInt32(std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<std::uint8_t>(value >> shift));
  return *this;
}

RestoreLogWriter& RestoreLogWriter::Text(const LogText& text) {
  UInt32(text.StoredLength ? *text.StoredLength : static_cast<std::uint32_t>(text.Bytes.size()));
  Log += text.Bytes;
  return *this;
}

RestoreLogWriter& RestoreLogWriter::CutAt(std::size_t size) {
  if (size < Log.size()) Log.resize(size);
  return *this;
}
