#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <cstdio>

#include "support/message_boxes.h"

namespace {

// Counts the test cases that a run executed. A filter that matches nothing (a suite renamed, a
// case misspelt) would otherwise end the run green having tested nothing.
unsigned executedTestCases = 0;
bool runEnded = false;

struct ExecutedCount : doctest::IReporter {
  explicit ExecutedCount(const doctest::ContextOptions&) {}
  void report_query(const doctest::QueryData&) override {}
  void test_run_start() override {}
  void test_run_end(const doctest::TestRunStats& stats) override {
    runEnded = true;
    executedTestCases = stats.numTestCasesPassingFilters;
  }
  void test_case_start(const doctest::TestCaseData&) override {}
  void test_case_reenter(const doctest::TestCaseData&) override {}
  void test_case_end(const doctest::CurrentTestCaseStats&) override {}
  void test_case_exception(const doctest::TestCaseException&) override {}
  void subcase_start(const doctest::SubcaseSignature&) override {}
  void subcase_end() override {}
  void log_assert(const doctest::AssertData&) override {}
  void log_message(const doctest::MessageData&) override {}
  void test_case_skipped(const doctest::TestCaseData&) override {}
};

} // namespace

DOCTEST_REGISTER_LISTENER("executed_count", 0, ExecutedCount);

int main(int argc, char** argv) {
  // No test may ever wait for a person to close a box.
  RecordMessageBoxes();
  doctest::Context context;
  context.setOption("no-intro", true);
  context.applyCommandLine(argc, argv);
  const int result = context.run();
  // Listing, counting and help end no run: they are not tests.
  if (result == 0 && runEnded && executedTestCases == 0) {
    std::fprintf(stderr, "no test case matched the filters: nothing was tested\n");
    return 1;
  }
  return result;
}
