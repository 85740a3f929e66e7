#include <doctest/doctest.h>

#include <climits>
#include <cstring>
#include <string>

#include "foundation/zstring.h"

namespace {

// The counted bytes, NULs included; also checks that the NUL after them is in place.
std::string Bytes(const ZString& s) {
  CHECK_MESSAGE(s.CharAt(s.Length()) == '\0', "no NUL at index " << s.Length());
  return std::string(s.CStr(), static_cast<std::size_t>(s.Length()));
}

template <typename... Args> std::string Formatted(const char* format, Args... args) {
  ZString s;
  int length = s.Format(format, args...);
  CHECK(length == s.Length());
  return Bytes(s);
}

} // namespace

TEST_CASE("construction takes the bytes up to the first NUL or exactly the given length") {
  struct Case {
    const char* bytes;
    int length;
    std::string expected;
  };
  const Case cases[] = {
      {"", -1, ""},      {"abcdef", -1, "abcdef"}, {"abcdef", 3, "abc"},
      {"abcdef", 0, ""}, {"a\0b", -1, "a"},        {"a\0b", 3, std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    CAPTURE(c.length);
    CHECK(Bytes(ZString(c.bytes, c.length)) == c.expected);
  }
  CHECK(Bytes(ZString()) == "");
}

TEST_CASE("NUL bytes inside the text: copies carry them, plain-text measures stop at them") {
  const std::string threeBytes("a\0b", 3);
  ZString s(threeBytes.data(), 3);
  CHECK(s.Equals("a"));
  CHECK(s.CompareNoCase("A") == 0);

  CHECK(Bytes(ZString(s)) == threeBytes);
  CHECK(Bytes(s.Left(3)) == threeBytes);
  CHECK(Bytes(s.Concat("c")) == threeBytes + "c");

  ZString assigned("old");
  CHECK(Bytes(assigned.Assign(s)) == threeBytes);
  CHECK(Bytes(assigned.Assign(s.CStr())) == "a");

  ZString appended("x");
  appended.Append(s.CStr(), s.Length());
  CHECK(Bytes(appended) == "x" + threeBytes);
  CHECK(Bytes(appended.Append(s.CStr())) == "x" + threeBytes + "a");

  s.ReleaseBuffer(-1);
  CHECK(s.Length() == 1);
}

TEST_CASE("copies are deep") {
  ZString original("path");
  ZString copy(original);
  copy.At(0) = 'b';
  CHECK(Bytes(original) == "path");
  CHECK(Bytes(copy) == "bath");
  CHECK(copy.CStr() != original.CStr());
}

TEST_CASE("Assign replaces the text and returns the string") {
  ZString s("a much longer old text");
  CHECK(&s.Assign("new") == &s);
  CHECK(Bytes(s) == "new");
  ZString other("from another string");
  CHECK(Bytes(s.Assign(other)) == "from another string");
  CHECK(Bytes(s.Assign("")) == "");
}

TEST_CASE("Append adds bytes, text or one character") {
  ZString s("C:\\WINDOWS");
  CHECK(&s.Append('\\') == &s);
  CHECK(Bytes(s.Append("system").Append('\\')) == "C:\\WINDOWS\\system\\");
  s.Append("xyz", 2);
  CHECK(Bytes(s) == "C:\\WINDOWS\\system\\xy");
  s.Append("ignored", 0);
  CHECK(Bytes(s) == "C:\\WINDOWS\\system\\xy");
}

TEST_CASE("Append of the string's own bytes copies them before the old buffer goes") {
  ZString s("abc");
  s.Append(s.CStr(), s.Length());
  CHECK(Bytes(s) == "abcabc");
  s.Append(s.CStr() + 4);
  CHECK(Bytes(s) == "abcabcbc");
}

TEST_CASE("Equals is exact, CompareNoCase folds only A to Z and compares bytes unsigned") {
  struct Case {
    const char* mine;
    const char* theirs;
    int sign;
    bool equal;
  };
  const Case cases[] = {
      {"C:\\WINNT\\Zembrino.scr", "c:\\winnt\\ZEMBRINO.SCR", 0, false},
      {"same", "same", 0, true},
      {"", "", 0, true},
      {"abc", "abd", -1, false},
      {"ABD", "abc", 1, false},
      {"ab", "abc", -1, false},
      {"abc", "AB", 1, false},
      // Letters fold to lower case, so '[' (0x5B) and '_' (0x5F) sort before any letter.
      {"[", "A", -1, false},
      {"_", "a", -1, false},
      // Bytes from 0x80 up sort after ASCII and are never folded.
      {"\xE4", "z", 1, false},
      {"\xC4", "\xE4", -1, false},
  };
  for (const Case& c : cases) {
    INFO("\"", std::string(c.mine), "\" against \"", std::string(c.theirs), "\"");
    ZString s(c.mine);
    int result = s.CompareNoCase(c.theirs);
    CHECK((result > 0) - (result < 0) == c.sign);
    CHECK(s.Equals(c.theirs) == c.equal);
  }
}

TEST_CASE("GetBuffer makes room for a platform call, ReleaseBuffer fixes the length") {
  ZString s;
  char* buffer = s.GetBuffer(260);
  CHECK(s.Length() == 0);
  CHECK(std::strcmp(buffer, "") == 0);
  // The whole room and a NUL may be written (the sanitizers would catch an overrun).
  std::memset(buffer, 'x', 260);
  buffer[260] = '\0';
  std::memcpy(buffer, "C:\\WINDOWS\\\0tail", 16);

  SUBCASE("an explicit length counts bytes and writes the NUL") {
    s.ReleaseBuffer(12);
    CHECK(Bytes(s) == std::string("C:\\WINDOWS\\\0", 12));
  }
  SUBCASE("-1 measures up to the first NUL") {
    s.ReleaseBuffer(-1);
    CHECK(Bytes(s) == "C:\\WINDOWS\\");
  }
  SUBCASE("0 empties the text") {
    s.ReleaseBuffer(0);
    CHECK(Bytes(s) == "");
  }
}

TEST_CASE("GetBuffer keeps the text and grows only beyond the length") {
  ZString s("abc");
  const char* before = s.CStr();
  CHECK(s.GetBuffer(3) == before);
  CHECK(s.GetBuffer(-1) == before);

  char* grown = s.GetBuffer(10);
  CHECK(Bytes(s) == "abc");
  std::memcpy(grown + 3, "defghij", 8);
  s.ReleaseBuffer();
  CHECK(Bytes(s) == "abcdefghij");

  ZString empty;
  CHECK(empty.GetBuffer(-1) == empty.CStr());
  CHECK(empty.GetBuffer(0) == empty.CStr());
}

TEST_CASE("Clear empties the text") {
  ZString s("text");
  s.Clear();
  CHECK(Bytes(s) == "");
  CHECK(s.Equals(""));
}

TEST_CASE("trimming removes C-locale white space only") {
  enum Which { Left, Right, Both };
  struct Case {
    const char* text;
    Which which;
    const char* expected;
  };
  const Case cases[] = {
      {" \t\r\n\v\fword \t\r\n\v\f", Both, "word"},
      {" \t word \t ", Left, "word \t "},
      {" \t word \t ", Right, " \t word"},
      {"   ", Both, ""},
      {"   ", Left, ""},
      {"   ", Right, ""},
      {"", Both, ""},
      {"", Right, ""},
      {"two words", Both, "two words"},
      {"\xA0word\xA0", Both, "\xA0word\xA0"},
      {"\xFFword\xFF", Left, "\xFFword\xFF"},
      {"\xFFword\xFF", Right, "\xFFword\xFF"},
      {" \x85", Both, "\x85"},
  };
  for (const Case& c : cases) {
    INFO("\"", std::string(c.text), "\", trimmed at ", c.which);
    ZString s(c.text);
    if (c.which == Left) s.TrimLeft();
    if (c.which == Right) s.TrimRight();
    if (c.which == Both) s.Trim();
    CHECK(Bytes(s) == c.expected);
  }
}

TEST_CASE("Erase removes bytes or cuts the text") {
  struct Case {
    int pos;
    int count;
    const char* expected;
  };
  const Case cases[] = {
      {2, 2, "abef"}, {4, 10, "abcd"}, {3, 0, "abcdef"}, {0, 6, ""},
      {2, 4, "ab"},   {0, 1, "bcdef"}, {6, 0, "abcdef"}, {6, 3, "abcdef"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.pos);
    CAPTURE(c.count);
    ZString s("abcdef");
    CHECK(s.Erase(c.pos, c.count) == static_cast<int>(std::strlen(c.expected)));
    CHECK(Bytes(s) == c.expected);
  }
}

TEST_CASE("Left gives a prefix or a copy of the whole text") {
  const ZString s("hello world");
  struct Case {
    int n;
    const char* expected;
  };
  const Case cases[] = {{5, "hello"}, {11, "hello world"}, {50, "hello world"}, {0, ""}};
  for (const Case& c : cases) {
    CAPTURE(c.n);
    CHECK(Bytes(s.Left(c.n)) == c.expected);
  }
  CHECK(Bytes(s) == "hello world");
}

TEST_CASE("Concat joins a directory and a file name into a new string") {
  const ZString directory("C:\\WINNT\\");
  ZString path = directory.Concat("Zembrino's Screen Saver.scr");
  CHECK(Bytes(path) == "C:\\WINNT\\Zembrino's Screen Saver.scr");
  CHECK(Bytes(directory) == "C:\\WINNT\\");
  CHECK(Bytes(directory.Concat("")) == "C:\\WINNT\\");
  CHECK(Bytes(ZString().Concat("")) == "");
}

TEST_CASE("CharAt and At reach single bytes") {
  ZString s("abc");
  CHECK(s.CharAt(1) == 'b');
  CHECK(s.CharAt(3) == '\0');
  s.At(1) = 'x';
  CHECK(Bytes(s) == "axc");
}

TEST_CASE("Format knows six conversions") {
  CHECK(Formatted("%d|%u|%x|%c|%s|%%", -42, 4294967295u, 0x1A2Bu, 'Q', "ok") ==
        "-42|4294967295|1A2B|Q|ok|%");
  CHECK(Formatted("no conversions") == "no conversions");
  CHECK(Formatted("") == "");
}

TEST_CASE("Format writes numbers without leading zeros, signs or prefixes") {
  CHECK(Formatted("%d", 0) == "0");
  CHECK(Formatted("%u", 0u) == "0");
  CHECK(Formatted("%x", 0u) == "0");
  CHECK(Formatted("%d", 7) == "7");
  CHECK(Formatted("%d", -7) == "-7");
  CHECK(Formatted("%d", 1000000000) == "1000000000");
  CHECK(Formatted("%d", 100) == "100");
  CHECK(Formatted("%d", INT_MAX) == "2147483647");
  CHECK(Formatted("%d", INT_MIN) == "-2147483648");
  CHECK(Formatted("%u", 4000000000u) == "4000000000");
  CHECK(Formatted("%u", 1000000000u) == "1000000000");
  CHECK(Formatted("%x", 255u) == "FF");
  CHECK(Formatted("%x", 0x10u) == "10");
  CHECK(Formatted("%x", 0x80000000u) == "80000000");
  CHECK(Formatted("%x", 0xFFFFFFFFu) == "FFFFFFFF");
  CHECK(Formatted("%x", 0xABCDEF01u) == "ABCDEF01");
}

TEST_CASE("Format drops an unknown conversion with its letter and takes no argument for it") {
  CHECK(Formatted("%q%s", "x") == "x");
  CHECK(Formatted("%5d", 3) == "d");
  CHECK(Formatted("%X%S%D|%d", 9) == "|9");
  CHECK(Formatted("%ld %d", 4) == "d 4");
  // A lone '%' at the very end ends the text there.
  CHECK(Formatted("100%") == "100");
  CHECK(Formatted("%s%", "a") == "a");
}

TEST_CASE("Format of texts and characters") {
  CHECK(Formatted("[%s]", "") == "[]");
  CHECK(Formatted("%s and %s", "this", "that") == "this and that");
  CHECK(Formatted("%c", 0) == std::string(1, '\0'));
  CHECK(Formatted("%c%c", 'o', 'k') == "ok");
  // Only the low byte of a character's argument counts.
  CHECK(Formatted("%c", 0x141) == "A");
  const std::string longText(5000, 'z');
  CHECK(Formatted("<%s>", longText.c_str()) == "<" + longText + ">");
}

TEST_CASE("Format replaces the text and returns the new length") {
  ZString s("some old text that is longer");
  CHECK(s.Format("Press %s to go on.", "Next >") == 22);
  CHECK(Bytes(s) == "Press Next > to go on.");
  CHECK(s.Format("") == 0);
  CHECK(Bytes(s) == "");
}
