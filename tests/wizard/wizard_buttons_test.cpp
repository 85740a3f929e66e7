#include <doctest/doctest.h>

#include "wizard/wizard_buttons.h"

TEST_CASE("Finish is enabled only while the agreement is accepted, Back always") {
  CHECK(AgreementButtons(true) == 5u);
  CHECK(AgreementButtons(false) == 9u);
  CHECK(WelcomeButtons == 2u);
}

TEST_CASE("Only a DM_GETDEFID answer with the marker names a default button") {
  struct Case {
    std::uint32_t answer;
    bool names;
    int id;
  };
  const Case cases[] = {
      {0x534B3024u, true, 0x3024}, {0x534B0002u, true, 2},  {0u, false, 0},
      {0x00003024u, false, 0},     {0x12343024u, false, 0}, {0x534C3024u, false, 0},
  };
  for (const Case& c : cases) {
    CAPTURE(c.answer);
    int id = -1;
    CHECK(DefaultButtonId(c.answer, &id) == c.names);
    if (c.names) {
      CHECK(id == c.id);
    } else {
      CHECK(id == -1); // untouched
    }
  }
}
