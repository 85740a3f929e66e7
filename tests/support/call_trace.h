// The traced platform calls of a test, read in the ways the tests ask about them.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"

// The traced platform calls of one action, kept before reading the machine back adds more.
using Trace = std::vector<sys::hooks::Call>;
// The calls traced so far; clears the trace.
Trace TakeTrace();
// The names of the calls, in order; with a filter only the named ones.
std::vector<std::string> CallNames(const Trace& trace, const std::vector<std::string>& only = {});
// How many calls had that name and a detail containing the text.
int CallCount(const Trace& trace, const std::string& name, const std::string& detailContains = "");
// The same over the calls traced since the trace was last cleared.
int CallCount(const std::string& name, const std::string& detailContains = "");
// The details of the calls of that name, in order.
std::vector<std::string> CallDetails(const Trace& trace, const std::string& name);

// A call as a fault sweep names it: which call of that name it was, from 1 on.
struct NumberedCall {
  std::string name;
  std::string detail;
  int nth;
};
std::vector<NumberedCall> NumberCalls(const Trace& trace);
