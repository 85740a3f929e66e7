#include <doctest/doctest.h>

#include <string>

#include "wizard/caption.h"

TEST_CASE("A button caption becomes the plain name that the welcome text quotes") {
  struct Case {
    const char* caption;
    const char* name;
  };
  const Case cases[] = {
      {"&Next >", "Next"},   {"&Weiter >", "Weiter"}, {"Next >>", "Next"}, {"&&Go", "Go"},
      {"a>b>", "a>b"},       {" > Next ", "> Next"},  {"Next > ", "Next"}, {"Go &>", "Go"},
      {"\tNext\t>", "Next"}, {"&>", "Next"},          {" & > ", "Next"},   {"", "Next"},
      {"   ", "Next"},       {"&&&", "Next"},         {">>", "Next"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.caption);
    ZString caption(c.caption);
    CleanButtonCaption(caption);
    CHECK(std::string(caption.CStr()) == c.name);
    CHECK(caption.Length() == static_cast<int>(std::string(c.name).size()));
  }
}
