// The program's settings as the registry holds them (HKCU\Software\Vardelo), read back by tests.
#pragma once
#include <windows.h>

#include <string>

// A stored number; 0xFFFFFFFF when it (or the key) is missing or not a DWORD.
DWORD StoredNumber(const wchar_t* name);
// A stored text; missing when it (or the key) is missing or not a string.
std::wstring StoredText(const wchar_t* name, const wchar_t* missing = L"");

// Forgets every camera's own settings (HKCU\Software\Vardelo\Cameras): the cameras a test adds
// are new to the program, whatever earlier tests of the prefix did with cameras of that name.
void ForgetCameraRecords();
