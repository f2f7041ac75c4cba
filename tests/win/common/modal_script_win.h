// Driving modal dialogs from a test: a thread timer runs a script of steps inside whatever
// message loop is running (a dialog's own, a message box's), one step per tick.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using ScriptStep = std::function<bool()>;  // true when done; false to retry at the next tick

// Runs open() (which shows a modal dialog, or waits while a posted command shows one) while the
// steps run one by one, a step every stepMs; fails the test when the script did not finish. After
// timeoutMs every dialog of the thread is cancelled, and ended if that did not close it, so the
// test fails instead of hanging. Returns what open() returned.
INT_PTR RunScripted(const std::function<INT_PTR()>& open, std::vector<ScriptStep> steps, DWORD timeoutMs = 30000,
                    UINT stepMs = 20);
// True once every step of the running script has returned true.
bool ScriptFinished();

// The visible dialog with this title, or null.
HWND VisibleDialog(const wchar_t* title);
// A visible dialog that owner owns (a dialog over the main window, the folder browser), or null.
HWND OwnedDialog(HWND owner);
// A step that waits until find() gives a dialog (or the dialog titled title is visible) and then
// runs action on it once.
ScriptStep OnDialog(std::function<HWND()> find, std::function<void(HWND)> action);
ScriptStep OnDialog(const wchar_t* title, std::function<void(HWND)> action);
// Posts a button click to a dialog.
void ClickDialogButton(HWND dlg, int id);
// A window's text.
std::wstring WindowText(HWND hwnd);
