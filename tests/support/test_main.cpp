#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "support/message_boxes.h"

int main(int argc, char** argv) {
  // No test may ever wait for a person to close a box.
  RecordMessageBoxes();
  doctest::Context context;
  context.setOption("no-intro", true);
  context.applyCommandLine(argc, argv);
  return context.run();
}
