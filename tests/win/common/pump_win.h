// Helpers for the Wine tests: pump this thread's messages and wait on a condition with a
// generous bound (never a fixed sleep).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Dispatches every queued message of this thread.
void PumpMessages();

// Pumps messages until cond() holds or timeoutMs passes; returns cond()'s last value.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 10000);

// Pumps messages for about ms milliseconds (for "nothing must happen" checks only).
void PumpFor(DWORD ms);

// Full path of a file beside the running test executable (build/win/bin).
std::wstring BinPath(const wchar_t* fileName);
