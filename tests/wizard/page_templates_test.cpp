#include <doctest/doctest.h>

#include <cctype>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sheet_driver.h"

// The page templates as the resource compiler stored them: a resource compiler adds styles of
// its own to some control statements, and the pages rely on the exact ones.
namespace {

struct Control {
  DWORD style;
  short x, y, cx, cy;
  int id;
  std::string windowClass; // "#128" for a predefined class by atom
  std::string text;        // "#102" for a resource by number
};

struct Template {
  DWORD style;
  short x, y, cx, cy;
  std::string caption;
  WORD pointSize;
  std::string font;
  std::vector<Control> controls;
};

class Reader {
public:
  explicit Reader(const BYTE* at) : At(at) {}

  WORD Word() {
    WORD value = static_cast<WORD>(At[0] | (At[1] << 8));
    At += 2;
    return value;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  short Short() { return static_cast<short>(Word()); }
  std::string Text() {
    std::string text;
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  // A string, or 0xFFFF and a number.
  std::string TextOrNumber() {
    if (At[0] == 0xFF && At[1] == 0xFF) {
      Word();
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void AlignToDword(const BYTE* base) {
    while ((At - base) % 4 != 0) ++At;
  }

private:
  const BYTE* At;
};

// A predefined control class may be stored by name or by its atom; both mean the same.
std::string PredefinedClass(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (name == "BUTTON") return "#128";
  if (name == "EDIT") return "#129";
  if (name == "STATIC") return "#130";
  return name;
}

Template LoadTemplate(int id) {
  HRSRC found = FindResourceA(TestModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
  REQUIRE(found != nullptr);
  const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(TestModule(), found)));
  REQUIRE(base != nullptr);
  REQUIRE_FALSE((base[2] == 0xFF && base[3] == 0xFF)); // a classic template, not the extended one

  Reader read(base);
  Template result{};
  result.style = read.Dword();
  read.Dword(); // extended style
  WORD count = read.Word();
  result.x = read.Short();
  result.y = read.Short();
  result.cx = read.Short();
  result.cy = read.Short();
  CHECK(read.TextOrNumber().empty()); // no menu
  CHECK(read.TextOrNumber().empty()); // the standard dialog class
  result.caption = read.Text();
  if (result.style & DS_SETFONT) {
    result.pointSize = read.Word();
    result.font = read.Text();
  }
  for (WORD i = 0; i < count; ++i) {
    read.AlignToDword(base);
    Control control{};
    control.style = read.Dword();
    read.Dword();
    control.x = read.Short();
    control.y = read.Short();
    control.cx = read.Short();
    control.cy = read.Short();
    control.id = static_cast<short>(read.Word());
    control.windowClass = PredefinedClass(read.TextOrNumber());
    control.text = read.TextOrNumber();
    WORD extra = read.Word();
    for (WORD b = 0; b < extra; b += 2) read.Word();
    result.controls.push_back(control);
  }
  return result;
}

void CheckPageFrame(const Template& page) {
  CHECK(page.style == (WS_CHILD | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
  CHECK(page.x == 0);
  CHECK(page.y == 0);
  CHECK(page.cx == 276);
  CHECK(page.cy == 130);
  CHECK(page.caption == "Zembrino's Screen Saver Installer");
  CHECK(page.pointSize == 8);
  CHECK(page.font == "MS Sans Serif");
}

void CheckControls(const Template& page, const std::vector<Control>& expected) {
  REQUIRE(page.controls.size() == expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    CAPTURE(i);
    const Control& found = page.controls[i];
    const Control& wanted = expected[i];
    CHECK(found.id == wanted.id);
    CHECK(found.style == wanted.style);
    CHECK(found.x == wanted.x);
    CHECK(found.y == wanted.y);
    CHECK(found.cx == wanted.cx);
    CHECK(found.cy == wanted.cy);
    CHECK(found.windowClass == wanted.windowClass);
    CHECK(found.text == wanted.text);
  }
}

const char Button[] = "#128";
const char Edit[] = "#129";
const char Static[] = "#130";
constexpr DWORD Shown = WS_CHILD | WS_VISIBLE;

} // namespace

TEST_CASE("The Welcome page template: the text beside the page icon") {
  Template page = LoadTemplate(IDD_WELCOME);
  CheckPageFrame(page);
  CheckControls(page, {
                          {Shown | SS_LEFT | WS_GROUP | WS_TABSTOP, 50, 0, 215, 121,
                           IDC_WELCOME_TEXT, Static, ""},
                          {Shown | SS_ICON, 5, 0, 20, 20, -1, Static, "#102"},
                      });
}

TEST_CASE("The Agreement page template: two radio buttons in one group, the text box") {
  Template page = LoadTemplate(IDD_AGREEMENT);
  CheckPageFrame(page);
  CheckControls(
      page,
      {
          {Shown | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 144, 119, 132, 11, IDC_ACCEPT,
           Button, "I have read and accept these terms"},
          {Shown | BS_AUTORADIOBUTTON, 50, 119, 85, 11, IDC_REJECT, Button, "I reject these terms"},
          {Shown | SS_ICON | SS_REALSIZEIMAGE, 5, 0, 20, 20, -1, Static, "#102"},
          {Shown | SS_LEFT | WS_GROUP, 50, 0, 215, 20, -1, Static,
           "Zembrino's Screen Saver is a freeware product. Please read the license agreement "
           "before proceeding."},
          {Shown | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP, 50,
           23, 226, 93, IDC_LICENSE_TEXT, Edit, ""},
      });
}

TEST_CASE("Both icons are single 32 x 32 images of 16 colours") {
  for (int id : {IDI_WIZARD, IDI_PAGE}) {
    CAPTURE(id);
    HRSRC found = FindResourceA(TestModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    REQUIRE(found != nullptr);
    Reader read(static_cast<const BYTE*>(LockResource(LoadResource(TestModule(), found))));
    CHECK(read.Word() == 0);
    CHECK(read.Word() == 1);      // icons
    CHECK(read.Word() == 1);      // one image
    CHECK(read.Word() == 0x2020); // 32 x 32
    CHECK(read.Word() == 16);     // colours
    CHECK(read.Word() == 1);      // planes
    CHECK(read.Word() == 4);      // bits per pixel
    HICON icon = static_cast<HICON>(
        LoadImageA(TestModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    CHECK(icon != nullptr);
    DestroyIcon(icon);
  }
}
