// The prompt toast: one small bordered box of black text on pale yellow inside the main window
// (child id ID_PROMPT), used for "File saved: ..." and the tool buttons' tooltips. It closes
// itself about 3.9 s after its text was last set.
#pragma once
#include <windows.h>

#include "app/prompt_layout.h"

constexpr wchar_t kPromptClass[] = L"PromptWndClass";
constexpr UINT_PTR kPromptTimerId = 118;

// One per toast window; the same four values form its creation record.
struct PromptState {
    wchar_t text[kPromptTextChars];
    int x, y;      // requested place in the parent's client area; x <= 0 centres horizontally
    int autoHide;  // non-zero: the toast closes itself
    int ticks;     // 100 ms ticks since the text was last set
};

bool RegisterPromptClass(HINSTANCE instance);

// Shows text in parent's toast at (x, y), reusing the toast when there is one; returns it.
HWND ShowPrompt(HWND parent, const wchar_t* text, int x, int y);
