// The prompt toast's geometry and its self-closing count, as plain arithmetic.
#pragma once

constexpr int kPromptTextChars = 512;    // text buffer, terminator included (511 characters)
constexpr int kPromptAutoHide = 38;      // auto-hide value every prompt is shown with
constexpr int kPromptCloseSoonTicks = 37;  // command 2: closes at the second tick from now

// Commands the toast accepts (WM_COMMAND, low word of wParam).
constexpr int PROMPT_CMD_MOVE = 1;         // lParam: x low 16 bits, y high 16 bits (unsigned)
constexpr int PROMPT_CMD_CLOSE_SOON = 2;
constexpr int PROMPT_CMD_RELAYOUT = 6;
constexpr int PROMPT_CMD_RESTART = 32000;  // ticks = 0, auto-hide = lParam

struct PromptRect { int x, y, width, height; };

// Toast rectangle for a one-line text of textWidth x textHeight: 16 pixels of margin left and
// right, 8 above and below (at 96 dpi, scaled with dpi); left edge at x when x > 0, else centred
// in the parent's client width.
PromptRect PromptLayout(int textWidth, int textHeight, int x, int y, int parentClientWidth, int dpi = 96);

// Where the text starts inside the toast: its left and top margins.
struct PromptMargins { int left, top; };
PromptMargins PromptTextOrigin(int dpi);

// One 100 ms timer tick; returns true when the toast must close (more than 38 ticks counted).
bool PromptTick(int& ticks, int autoHide);
