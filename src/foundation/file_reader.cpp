#include "foundation/file_reader.h"

#include <cstring>

namespace {

// A single read asks for no more than this, whatever the width of the request.
constexpr std::size_t LargestFetch = 0x40000000;

} // namespace

bool FileReader::Open(const char* path) {
  Close();
  File = sys::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  Ended = File == INVALID_HANDLE_VALUE;
  Next = Filled = 0;
  return !Ended;
}

void FileReader::Close() {
  if (File == INVALID_HANDLE_VALUE) return;
  sys::CloseHandle(File);
  File = INVALID_HANDLE_VALUE;
  Ended = true;
  Next = Filled = 0;
}

std::size_t FileReader::Fetch(unsigned char* destination, std::size_t size) {
  if (Ended) return 0;
  const DWORD asked = static_cast<DWORD>(size < LargestFetch ? size : LargestFetch);
  DWORD got = 0;
  if (!sys::ReadFile(File, destination, asked, &got, nullptr) || got < asked) Ended = true;
  return got;
}

std::size_t FileReader::Read(void* destination, std::size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  std::size_t done = 0;
  while (done < count) {
    if (Next == Filled) {
      if (Ended) break;
      const std::size_t left = count - done;
      if (left >= BufferSize) {
        done += Fetch(out + done, left);
        continue;
      }
      Filled = Fetch(Buffer, BufferSize);
      Next = 0;
      continue;
    }
    const std::size_t buffered = Filled - Next;
    const std::size_t piece = count - done < buffered ? count - done : buffered;
    std::memcpy(out + done, Buffer + Next, piece);
    Next += piece;
    done += piece;
  }
  return done;
}
