#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "foundation/regkey.h"
#include "support/test_machine.h"

namespace {

std::string Under(const std::string& relative) {
  return std::string(TestRegistryRoot) + "\\" + relative;
}

int CallCount(const std::string& name) {
  const auto& calls = sys::hooks::Calls();
  return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                        [&](const sys::hooks::Call& c) { return c.name == name; }));
}

// Closes of HKEY_CURRENT_USER itself, by the name that the call trace gives the handle.
int RootCloses() {
  const std::string root = "HKEY_CURRENT_USER";
  int closes = 0;
  for (const auto& call : sys::hooks::Calls())
    if (call.name == "RegCloseKey" && (call.detail == root || call.detail == root + "\\")) ++closes;
  return closes;
}

std::vector<std::string> Sorted(const std::vector<ZString>& names) {
  std::vector<std::string> texts;
  for (const ZString& name : names) texts.emplace_back(name.CStr(), name.Length());
  std::sort(texts.begin(), texts.end());
  return texts;
}

// Each test works below its own subtree of the tests' key, which the fixture empties.
struct RegistryFixture : MachineFixture {
  ZRegKey currentUser{HKEY_CURRENT_USER};
  ZRegKey tests{currentUser, TestRegistryRoot, ZRegKey::ModeCreate};
};

} // namespace

TEST_CASE_FIXTURE(RegistryFixture, "create mode creates a missing key and opens an existing one") {
  const std::string path = Under("Created");
  REQUIRE_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, path));
  {
    ZRegKey created(tests, "Created", ZRegKey::ModeCreate);
    CHECK(created.Owned);
    CHECK(created.SetString("name", "first"));
  }
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, path));

  // Bits other than bit 0 do not matter.
  {
    ZRegKey created(tests, "CreatedToo", ZRegKey::ModeCreate | 2);
    CHECK(RegistryKeyExists(HKEY_CURRENT_USER, Under("CreatedToo")));
  }
  for (int mode : {static_cast<int>(ZRegKey::ModeCreate), ZRegKey::ModeCreate | 2}) {
    CAPTURE(mode);
    ZRegKey reopened(tests, "Created", mode);
    ZString text;
    CHECK(reopened.QueryString("name", text, 2048));
    CHECK(text.Equals("first"));
  }
  for (int mode : {static_cast<int>(ZRegKey::ModeOpen), 2}) {
    CAPTURE(mode);
    ZRegKey opened(tests, "Created", mode);
    CHECK(opened.Owned);
  }
}

TEST_CASE_FIXTURE(RegistryFixture, "open mode of a missing key throws EOpen, a handler for E "
                                   "catches it, and nothing is created or closed") {
  sys::hooks::ClearCalls();
  CHECK_THROWS_AS(ZRegKey(tests, "Missing", ZRegKey::ModeOpen), ZRegKey::EOpen);
  CHECK_THROWS_AS(ZRegKey(tests, "Missing\\Deeper", 2), ZRegKey::EOpen);
  bool caughtAsBase = false;
  try {
    ZRegKey missing(tests, "Missing", ZRegKey::ModeOpen);
  } catch (const ZRegKey::E&) {
    caughtAsBase = true;
  }
  CHECK(caughtAsBase);
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Under("Missing")));
  CHECK(CallCount("RegCloseKey") == 0);
}

TEST_CASE_FIXTURE(RegistryFixture,
                  "a refused create throws ECreate, which a handler for E catches") {
  sys::hooks::FailWhen("RegCreateKeyA", "Refused", ERROR_ACCESS_DENIED);
  sys::hooks::ClearCalls();
  CHECK_THROWS_AS(ZRegKey(tests, "Refused", ZRegKey::ModeCreate), ZRegKey::ECreate);
  bool caughtAsBase = false;
  try {
    ZRegKey refused(tests, "Refused", ZRegKey::ModeCreate);
  } catch (const ZRegKey::E&) {
    caughtAsBase = true;
  }
  CHECK(caughtAsBase);
  CHECK(CallCount("RegCloseKey") == 0);
}

TEST_CASE_FIXTURE(MachineFixture, "a wrapped predefined root is never closed") {
  sys::hooks::ClearCalls();
  {
    ZRegKey root(HKEY_CURRENT_USER);
    CHECK_FALSE(root.Owned);
    root.Close();
    ZRegKey child(root, TestRegistryRoot, ZRegKey::ModeCreate);
    child.Close();
    root.DeleteTree(TestRegistryRoot);
  }
  // The created child and the child that DeleteTree opened; never the root.
  CHECK(CallCount("RegCloseKey") == 2);
  CHECK(RootCloses() == 0);
#ifndef _WIN32
  CHECK(sys::host::PredefinedRootCloses() == 0);
#endif
}

TEST_CASE_FIXTURE(RegistryFixture, "an owned key is closed exactly once") {
  sys::hooks::ClearCalls();
  {
    ZRegKey key(tests, "Once", ZRegKey::ModeCreate);
    key.Close();
    CHECK_FALSE(key.Owned);
    key.Close();
  }
  CHECK(CallCount("RegCloseKey") == 1);
  { ZRegKey key(tests, "Once", ZRegKey::ModeOpen); }
  CHECK(CallCount("RegCloseKey") == 2);
}

TEST_CASE_FIXTURE(RegistryFixture, "QueryString reads REG_SZ text of at most the maximum length") {
  const std::string longest(2048, 'L');
  const std::string tooLong(2049, 'T');
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
    bool accepted;
    std::string text;
  };
  const Case cases[] = {
      {"2048 characters", REG_SZ, longest + '\0', true, longest},
      {"2049 characters", REG_SZ, tooLong + '\0', false, ""},
      {"no data bytes", REG_SZ, "", true, ""},
      {"only the NUL", REG_SZ, std::string(1, '\0'), true, ""},
      {"text after a NUL", REG_SZ, std::string("ab\0cd\0", 6), true, "ab"},
      // Other writers may leave out the NUL: the text ends with the bytes stored.
      {"no NUL", REG_SZ, "abc", true, "abc"},
      {"2048 characters without NUL", REG_SZ, longest, true, longest},
      {"2049 characters without NUL", REG_SZ, tooLong, false, ""},
      {"expandable text", REG_EXPAND_SZ, std::string("%SystemRoot%\\x.scr", 19), false, ""},
      {"number", REG_DWORD, std::string("\x01\x00\x00\x00", 4), false, ""},
  };
  for (const Case& c : cases) {
    INFO("value: ", std::string(c.name));
    SetRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, c.name, c.type, c.data);
    ZString text;
    CHECK(tests.QueryString(c.name, text, 2048) == c.accepted);
    CHECK(std::string(text.CStr(), text.Length()) == c.text);
    CHECK(text.CharAt(text.Length()) == '\0');
  }

  ZString missing;
  CHECK_FALSE(tests.QueryString("missing", missing, 2048));
  CHECK(missing.Length() == 0);
}

TEST_CASE_FIXTURE(RegistryFixture,
                  "QueryString gives up when the value changes between its reads") {
  SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "changing", "value");
  // The second query is the one that reads the data.
  sys::hooks::FailNth("RegQueryValueExA", 2, ERROR_MORE_DATA);
  ZString text;
  CHECK_FALSE(tests.QueryString("changing", text, 2048));
  CHECK(text.Length() == 0);
  CHECK(text.CharAt(0) == '\0');
}

TEST_CASE_FIXTURE(RegistryFixture, "SetString writes the text with its NUL as REG_SZ") {
  struct Case {
    const char* valueName;
    std::string text;
  };
  const Case cases[] = {{"empty", ""}, {"path", "C:\\WINNT\\ZMSAVE~1.SCR"}, {nullptr, "default"}};
  for (const Case& c : cases) {
    INFO("value: ", std::string(c.valueName ? c.valueName : "(default)"));
    CHECK(tests.SetString(c.valueName, ZString(c.text.c_str())));
    DWORD type = REG_NONE;
    std::string bytes;
    REQUIRE(GetRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, c.valueName, &type, &bytes));
    CHECK(type == REG_SZ);
    CHECK(bytes == c.text + '\0');
  }
  CHECK(tests.SetString("plain", "plain text"));
  DWORD type = REG_NONE;
  std::string bytes;
  REQUIRE(GetRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, "plain", &type, &bytes));
  CHECK(bytes == std::string("plain text", 11));

  sys::hooks::FailWhen("RegSetValueExA", "");
  CHECK_FALSE(tests.SetString("refused", "text"));
}

TEST_CASE_FIXTURE(RegistryFixture, "GetSubKeyNames appends the direct subkeys") {
  for (const char* name : {"Alpha", "Beta", "Gamma", "Beta\\Nested"})
    SetRegistryString(HKEY_CURRENT_USER, Under(name), "value", "x");

  std::vector<ZString> names;
  names.push_back(ZString("kept"));
  tests.GetSubKeyNames(names);
  CHECK(Sorted(names) == std::vector<std::string>{"Alpha", "Beta", "Gamma", "kept"});
  CHECK(names.front().Equals("kept"));

  std::vector<ZString> none;
  ZRegKey leaf(tests, "Alpha", ZRegKey::ModeOpen);
  leaf.GetSubKeyNames(none);
  CHECK(none.empty());

  // A failing enumeration ends the list there.
  sys::hooks::FailNth("RegEnumKeyExA", 2, ERROR_INVALID_HANDLE);
  std::vector<ZString> partial;
  tests.GetSubKeyNames(partial);
  CHECK(partial.size() == 1);
}

namespace {

// A tree three levels deep with several keys and values on every level.
void BuildTree(const std::string& top) {
  for (const char* first : {"One", "Two", "Three"}) {
    const std::string level1 = top + "\\" + first;
    SetRegistryString(HKEY_CURRENT_USER, level1, nullptr, first);
    SetRegistryString(HKEY_CURRENT_USER, level1, "value", "1");
    for (const char* second : {"Left", "Right"}) {
      const std::string level2 = level1 + "\\" + second;
      SetRegistryString(HKEY_CURRENT_USER, level2, "a", "2");
      SetRegistryString(HKEY_CURRENT_USER, level2, "b", "2");
      for (const char* third : {"Up", "Down"}) {
        SetRegistryString(HKEY_CURRENT_USER, level2 + "\\" + third, "c", "3");
        SetRegistryString(HKEY_CURRENT_USER, level2 + "\\" + third, "d", "3");
      }
    }
  }
  SetRegistryString(HKEY_CURRENT_USER, top, "top", "0");
}

} // namespace

TEST_CASE_FIXTURE(RegistryFixture, "DeleteTree removes a key with everything below it") {
  BuildTree(Under("Tree"));
  SetRegistryString(HKEY_CURRENT_USER, Under("Sibling\\Child"), "kept", "yes");
  sys::hooks::ClearCalls();

  CHECK(tests.DeleteTree("Tree"));
  // The tree root and its 3 + 6 + 12 descendants, each opened once and closed once.
  CHECK(CallCount("RegDeleteKeyA") == 22);
  CHECK(CallCount("RegOpenKeyExA") == 22);
  CHECK(CallCount("RegCloseKey") == 22);
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Under("Tree")));
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, Under("Sibling\\Child")));
}

TEST_CASE_FIXTURE(RegistryFixture, "DeleteTree of a missing key changes nothing") {
  SetRegistryString(HKEY_CURRENT_USER, Under("Present"), "kept", "yes");
  sys::hooks::ClearCalls();
  CHECK_FALSE(tests.DeleteTree("Absent"));
  CHECK_FALSE(tests.DeleteTree("Present\\Absent"));
  CHECK(CallCount("RegDeleteKeyA") == 0);
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, Under("Present")));
}

TEST_CASE_FIXTURE(RegistryFixture, "DeleteTree of a path of several components deletes its last") {
  const std::string uninstall = Under("Windows\\CurrentVersion\\Uninstall");
  BuildTree(uninstall + "\\Product");
  SetRegistryString(HKEY_CURRENT_USER, uninstall + "\\Other", "DisplayName", "other");
  sys::hooks::ClearCalls();

  ZRegKey root(HKEY_CURRENT_USER);
  CHECK(root.DeleteTree((uninstall + "\\Product").c_str()));
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, uninstall + "\\Product"));
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, uninstall + "\\Other"));
  CHECK(RootCloses() == 0);
#ifndef _WIN32
  CHECK(sys::host::PredefinedRootCloses() == 0);
#endif
}

TEST_CASE_FIXTURE(RegistryFixture, "a deeper deletion that fails leaves the walk going and the "
                                   "result false") {
  BuildTree(Under("Tree"));
  SetRegistryString(HKEY_CURRENT_USER, Under("Tree\\One\\Locked\\Below"), "e", "4");
  sys::hooks::FailWhen("RegDeleteKeyA", "Locked", ERROR_ACCESS_DENIED);

  CHECK_FALSE(tests.DeleteTree("Tree"));
  // Everything else went: below the locked key, beside it and beside its parent, whichever
  // comes after it in the enumeration.
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, Under("Tree\\One\\Locked")));
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Under("Tree\\One\\Locked\\Below")));
  std::vector<ZString> left;
  ZRegKey tree(tests, "Tree", ZRegKey::ModeOpen);
  tree.GetSubKeyNames(left);
  CHECK(Sorted(left) == std::vector<std::string>{"One"});
  ZRegKey one(tree, "One", ZRegKey::ModeOpen);
  left.clear();
  one.GetSubKeyNames(left);
  CHECK(Sorted(left) == std::vector<std::string>{"Locked"});
}
