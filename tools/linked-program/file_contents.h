// The whole of a file the build's checkers read: a linked program or its map.
#pragma once

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace linked {

inline std::string ReadFileContents(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace linked
