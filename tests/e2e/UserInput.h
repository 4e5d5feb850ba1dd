#pragma once
// Real user input for the end-to-end tests: keystrokes and mouse clicks through SendInput, as
// the platform delivers them to the window that has the focus.

#include <windows.h>

#include <functional>
#include <string_view>

namespace e2e {

// Brings the window to the foreground so that input reaches it.
void Activate(HWND window);

enum Modifier : unsigned { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

// Presses and releases a virtual key with modifiers held.
void PressKey(WORD virtualKey, unsigned modifiers = kNone);
// Types text as Unicode characters.
void TypeText(std::wstring_view text);
// Clicks the middle of a window (left or right button).
void ClickOn(HWND window, bool rightButton = false);

// Presses the left button at one point of a window's client area, moves to another and lets go;
// with `doubleClick` the press is the second click of a double-click.
void DragInClient(HWND window, POINT from, POINT to, bool doubleClick = false);
// Turns the mouse wheel over a window by `notches` (positive: away from the user), with
// modifiers held; `sideways`: the tilt wheel (positive: to the right).
void WheelOver(HWND window, int notches, unsigned modifiers = kNone, bool sideways = false);

// Polls `condition` until it holds or `timeoutMs` passes; returns the last result.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Lets every input event sent so far reach the window's thread and be handled.
void SettleInput(HWND window);

}  // namespace e2e
