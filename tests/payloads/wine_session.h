// Helpers for the tests that run the payload programs as separate processes under Wine, in a
// copy of a prefix of their own (tests/payloads/CMakeLists.txt, through scripts/wine).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The Windows path of a payload program, from a variable holding its host path.
std::string PayloadPath(const char* environmentVariable);

bool IsNtFamily();

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
};
Process Start(const std::string& program, const std::string& arguments);
// Waits, handling this thread's messages meanwhile (other processes' windows may send to ours).
// Returns the exit code, or -1 when the process is still running after Patience(milliseconds).
long WaitForExit(Process& process, DWORD milliseconds);
void EndProcess(Process& process);

// Handles this thread's messages for a while.
void PumpMessages(DWORD milliseconds);
// False when the condition does not hold within Patience(milliseconds).
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// A visible top-level window of the process with that class and title, or null.
HWND FindProcessWindow(DWORD processId, const char* className, const char* title);
// The texts of a message box's static controls, joined by line breaks.
std::string MessageBoxText(HWND box);

std::string ShortPath(const std::string& path);
bool SameFile(const std::string& a, const std::string& b);

// The screen saver setting of the current family; nullopt when there is none at all.
std::optional<std::string> ScreenSaverSetting();
void SetScreenSaverSetting(const std::optional<std::string>& setting);

// Files the system will delete at the next start (MoveFileEx's list on the NT family, the
// [rename] section of wininit.ini on 95/98).
std::vector<std::string> FilesDeletedAtRestart();
