#include "platform_hooks.h"

namespace sys::hooks {
namespace {

struct Fault {
  std::string name;
  std::string detailContains;
  int remainingBefore; // calls of that name to let through first; -1 for "every matching call"
  DWORD error;
};

std::vector<Call>& CallList() {
  static std::vector<Call> calls;
  return calls;
}

std::vector<Fault>& FaultList() {
  static std::vector<Fault> faults;
  return faults;
}

// Writes to let through in full before the short one; 0 when none is armed.
int& WritesBeforeShortOne() {
  static int writes = 0;
  return writes;
}

CallObserver& Observer() {
  static CallObserver observer = nullptr;
  return observer;
}

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler = nullptr;
  return handler;
}

} // namespace

const std::vector<Call>& Calls() { return CallList(); }

void ClearCalls() { CallList().clear(); }

void FailNth(const std::string& name, int nth, DWORD error) {
  FaultList().push_back(Fault{name, "", nth - 1, error});
}

void FailWhen(const std::string& name, const std::string& detailContains, DWORD error) {
  FaultList().push_back(Fault{name, detailContains, -1, error});
}

void ClearFaults() {
  FaultList().clear();
  WritesBeforeShortOne() = 0;
}

void ShortenNthWrite(int nth) { WritesBeforeShortOne() = nth; }

DWORD AllowedWriteCount(DWORD count) {
  int& writes = WritesBeforeShortOne();
  if (writes == 0 || --writes > 0) return count;
  return count / 2;
}

void SetCallObserver(CallObserver observer) { Observer() = observer; }

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = handler; }

MessageBoxHandler GetMessageBoxHandler() { return Handler(); }

void Reset() {
  ClearCalls();
  ClearFaults();
  Observer() = nullptr;
}

bool Enter(const char* name, const std::string& detail, DWORD* error) {
  CallList().push_back(Call{name, detail});
  static bool observing = false;
  if (Observer() != nullptr && !observing) {
    const Call call = CallList().back();
    observing = true;
    Observer()(call);
    observing = false;
  }
  auto& faults = FaultList();
  for (auto it = faults.begin(); it != faults.end(); ++it) {
    if (it->name != name) continue;
    if (it->remainingBefore < 0) {
      if (detail.find(it->detailContains) == std::string::npos) continue;
      *error = it->error;
      return true;
    }
    if (it->remainingBefore > 0) {
      --it->remainingBefore;
      continue;
    }
    *error = it->error;
    faults.erase(it);
    return true;
  }
  return false;
}

} // namespace sys::hooks
