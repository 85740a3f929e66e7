#include <doctest/doctest.h>

#include <string>

#include "support/expected_texts.h"
#include "wizard/welcome_text.h"

namespace {

std::string WelcomeTextFor(const char* buttonName) {
  ZString text;
  BuildWelcomeText(text, ZString(buttonName));
  return std::string(text.CStr(), static_cast<std::size_t>(text.Length()));
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST_CASE("The welcome text names the product, its home page and the button that leads on") {
  std::string text = WelcomeTextFor("Next");
  CHECK(text.rfind("Welcome!\n\nYou are about to install Zembrino's Screen Saver 1.2, ", 0) == 0);
  CHECK(text.find(std::string("please visit ") + expected::WebAddress + ".\n\nUpon installation") !=
        std::string::npos);
  CHECK(EndsWith(text, "\n\nClick \"Next\" to continue."));
  // The one double blank follows the first sentence.
  CHECK(text.find("  ") == text.find("saver.  For") + 6);
  CHECK(text.find("  ", text.find("  ") + 1) == std::string::npos);
}

TEST_CASE("The button name is quoted as it is, also when it looks like a format") {
  CHECK(EndsWith(WelcomeTextFor("100%s %d"), "Click \"100%s %d\" to continue."));
  CHECK(EndsWith(WelcomeTextFor("Weiter"), "Click \"Weiter\" to continue."));
}
