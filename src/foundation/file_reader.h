// Reads a file from front to back through the platform layer, a buffer at a time, so that reading
// it a byte at a time costs no call to the system per byte.
#pragma once

#include <cstddef>

#include "foundation/platform.h"

class FileReader {
public:
  // The bytes fetched from the file at a time; a request at least this large whose bytes are not
  // in the buffer goes to the file directly.
  static constexpr std::size_t BufferSize = 512;

  FileReader() = default;
  ~FileReader() { Close(); }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Opens an existing file for reading and lets others read and write it meanwhile, as the C
  // library's streams do. False when it cannot be opened; the platform's last error says why.
  bool Open(const char* path);

  // Copies up to count bytes to destination and returns how many. Fewer only at the end of the
  // file or after a failed read; from then on every read returns 0.
  std::size_t Read(void* destination, std::size_t count);

  void Close();

private:
  // Reads up to size bytes from the file; a short read marks the end.
  std::size_t Fetch(unsigned char* destination, std::size_t size);

  HANDLE File = INVALID_HANDLE_VALUE;
  // Nothing more comes from the file: its end was reached, a read failed or it is not open.
  bool Ended = true;
  std::size_t Next = 0;
  std::size_t Filled = 0;
  unsigned char Buffer[BufferSize];
};
