#include <doctest/doctest.h>

// The agreement text is a build input that the program shows byte for byte; these are the
// promises its form makes. Read straight from the source tree, so only in the native build.
#ifndef _WIN32

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string AgreementText() {
  std::ifstream file(ZM_AGREEMENT_TEXT, std::ios::binary);
  REQUIRE(file);
  return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_CASE("The agreement text is 7-bit text with CR LF line ends and no final line break") {
  const std::string text = AgreementText();
  REQUIRE(text.size() > 1000);
  std::size_t stray = std::string::npos; // a byte that is neither 7-bit text nor half a CR LF
  for (std::size_t i = 0; i < text.size() && stray == std::string::npos; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    bool printable = byte == '\t' || (byte >= 0x20 && byte < 0x7F);
    bool lineEnd = (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ||
                   (byte == '\n' && i > 0 && text[i - 1] == '\r');
    if (!printable && !lineEnd) stray = i;
  }
  CHECK(stray == std::string::npos);
  CHECK(text.compare(text.size() - 2, 2, "\r\n") != 0);
}

TEST_CASE("The agreement text has one paragraph a line, separated by empty lines") {
  const std::string text = AgreementText();
  CHECK(text.find("\r\n\r\n\r\n") == std::string::npos);
  CHECK(text.find("\r\n\t") == std::string::npos);
  CHECK(text.find(" \r\n") == std::string::npos);
  CHECK(text.find("Zembrino's Screen Saver") != std::string::npos);
}

#endif
