#include "support/call_trace.h"

#include <map>

Trace TakeTrace() {
  Trace trace = sys::hooks::Calls();
  sys::hooks::ClearCalls();
  return trace;
}

std::vector<std::string> CallNames(const Trace& trace, const std::vector<std::string>& only) {
  std::vector<std::string> names;
  for (const auto& call : trace) {
    bool wanted = only.empty();
    for (const auto& name : only) wanted = wanted || call.name == name;
    if (wanted) names.push_back(call.name);
  }
  return names;
}

int CallCount(const Trace& trace, const std::string& name, const std::string& detailContains) {
  int count = 0;
  for (const auto& call : trace)
    if (call.name == name && call.detail.find(detailContains) != std::string::npos) ++count;
  return count;
}

int CallCount(const std::string& name, const std::string& detailContains) {
  return CallCount(sys::hooks::Calls(), name, detailContains);
}

std::vector<std::string> CallDetails(const Trace& trace, const std::string& name) {
  std::vector<std::string> details;
  for (const auto& call : trace)
    if (call.name == name) details.push_back(call.detail);
  return details;
}

std::vector<NumberedCall> NumberCalls(const Trace& trace) {
  std::vector<NumberedCall> calls;
  std::map<std::string, int> seen;
  for (const auto& call : trace) calls.push_back({call.name, call.detail, ++seen[call.name]});
  return calls;
}
