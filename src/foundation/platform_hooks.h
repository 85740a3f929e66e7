// What tests see of the platform layer: a trace of every call, failures injected on demand and
// message boxes answered by a handler instead of being shown. Built into the emulated platform
// and into the test variant of the Windows platform; the shipped program has none of it.
#pragma once

#include <string>
#include <vector>

#include "platform.h"

namespace sys::hooks {

struct Call {
  std::string name;   // the Win32 name, for example "RegCreateKeyA"
  std::string detail; // what the call was about: a path, a key, a value name, a command line
};

// Every platform call since the last reset, in order.
const std::vector<Call>& Calls();
void ClearCalls();

// The nth call of that name from now on (1 = the next one) fails once.
void FailNth(const std::string& name, int nth, DWORD error = 0);
// Every call of that name whose detail contains the text fails ("" matches every call).
void FailWhen(const std::string& name, const std::string& detailContains, DWORD error = 0);
void ClearFaults();

// The nth WriteFile from now on writes only half of its bytes and still reports success, as a
// write to a full or failing medium may.
void ShortenNthWrite(int nth);
// For the implementations: how many of count bytes the write being made may really write.
DWORD AllowedWriteCount(DWORD count);

// Message boxes go to the handler when one is set; it returns the button "pressed".
using MessageBoxHandler = int (*)(HWND owner, LPCSTR text, LPCSTR title, UINT style);
void SetMessageBoxHandler(MessageBoxHandler handler);
MessageBoxHandler GetMessageBoxHandler();

// Called with each platform call once it is recorded and before it takes effect, so that a test
// can act at that very moment as another program could. The calls the observer makes itself are
// recorded but not observed.
using CallObserver = void (*)(const Call& call);
void SetCallObserver(CallObserver observer);

// Forgets calls, faults and the observer (the message-box handler stays).
void Reset();

// For the implementations: records the call and tells whether it must fail; on a failure
// *error receives the error code to report (the fault's own, or 0 for the call's usual one).
bool Enter(const char* name, const std::string& detail, DWORD* error);

} // namespace sys::hooks
