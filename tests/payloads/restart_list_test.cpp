#include <doctest/doctest.h>

#include <string>

#include "uninstall/restart_list.h"

namespace {

constexpr char Path[] = "C:\\WINDOWS\\SYSTEM\\ZEMBRI~1.SCR";

std::string Add(const std::string& text, const char* path = Path) {
  std::string out(text.size() + 300, '?');
  long length =
      uninstall::AddDeletionAtRestart(text.data(), static_cast<unsigned long>(text.size()), path,
                                      &out[0], static_cast<unsigned long>(out.size()));
  REQUIRE(length >= 0);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

} // namespace

TEST_CASE("a deletion joins the [rename] section of wininit.ini and keeps every other line") {
  struct Case {
    const char* name;
    std::string before, after;
  };
  const std::string ours = std::string("NUL=") + Path + "\r\n";
  const Case cases[] = {
      {"no file yet", "", "[rename]\r\n" + ours},
      {"no such section", "[other]\r\na=b\r\n", "[other]\r\na=b\r\n[rename]\r\n" + ours},
      {"last line without a line break", "[other]\r\na=b", "[other]\r\na=b\r\n[rename]\r\n" + ours},
      {"section at the end", "[rename]\r\nNUL=C:\\A.TMP\r\n",
       "[rename]\r\nNUL=C:\\A.TMP\r\n" + ours},
      {"earlier deletions with the same key stay, in order",
       "[rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\nC:\\NEW.DLL=C:\\NEW.TMP\r\n",
       "[rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\nC:\\NEW.DLL=C:\\NEW.TMP\r\n" + ours},
      {"section followed by another", "[rename]\r\nNUL=C:\\A.TMP\r\n\r\n[x]\r\ny=z\r\n",
       "[rename]\r\nNUL=C:\\A.TMP\r\n" + ours + "\r\n[x]\r\ny=z\r\n"},
      {"empty section without a line break", "[rename]", "[rename]\r\n" + ours},
      {"header in another case and with blanks", "  [ Rename ]  \nNUL=C:\\A.TMP\n[x]\n",
       "  [ Rename ]  \nNUL=C:\\A.TMP\n" + ours + "[x]\n"},
      {"only the first section gets it", "[rename]\r\n[rename]\r\n",
       "[rename]\r\n" + ours + "[rename]\r\n"},
      {"a header-like word inside a line is no header", "[other]\r\nkey=[rename]\r\n",
       "[other]\r\nkey=[rename]\r\n[rename]\r\n" + ours},
      {"already listed, in another letter case: unchanged",
       "[rename]\r\nnul=c:\\windows\\system\\zembri~1.scr\r\n",
       "[rename]\r\nnul=c:\\windows\\system\\zembri~1.scr\r\n"},
      {"listed in another section only: added", "[x]\r\nNUL=" + std::string(Path) + "\r\n",
       "[x]\r\nNUL=" + std::string(Path) + "\r\n[rename]\r\n" + ours},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(Add(c.before) == c.after, c.name);
  }
}

TEST_CASE("too small an output buffer is reported, never overrun") {
  const std::string text = "[rename]\r\nNUL=C:\\A.TMP\r\n";
  const std::string expected = text + "NUL=" + Path + "\r\n";
  std::string out(expected.size() + 8, '#');
  CHECK(uninstall::AddDeletionAtRestart(text.data(), static_cast<unsigned long>(text.size()), Path,
                                        &out[0],
                                        static_cast<unsigned long>(expected.size() - 1)) == -1);
  CHECK(out.substr(expected.size() - 1) == std::string(9, '#'));
  CHECK(uninstall::AddDeletionAtRestart(text.data(), static_cast<unsigned long>(text.size()), Path,
                                        &out[0], static_cast<unsigned long>(expected.size())) ==
        static_cast<long>(expected.size()));
  CHECK(out.substr(0, expected.size()) == expected);
}
