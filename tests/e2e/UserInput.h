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

// Presses the left button at one point of a window's client area, moves to another and lets go.
void DragInClient(HWND window, POINT from, POINT to);
// Turns the mouse wheel over a window by `notches` (positive: away from the user).
void WheelOver(HWND window, int notches);

// Polls `condition` until it holds or `timeoutMs` passes; returns the last result.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Lets every input event sent so far reach the window's thread and be handled.
void SettleInput(HWND window);

}  // namespace e2e
