#include "UserInput.h"

#include <chrono>
#include <thread>
#include <vector>

#include "tests/support/TraceWindowDriver.h"

namespace e2e {
namespace {

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Presses (or, in reverse order, releases) the modifier keys.
void AddModifiers(std::vector<INPUT>& inputs, unsigned modifiers, bool up) {
    const WORD held[] = {VK_CONTROL, VK_SHIFT, VK_MENU};
    const unsigned flags[] = {kCtrl, kShift, kAlt};
    for (int k = 0; k < 3; ++k) {
        const int i = up ? 2 - k : k;
        if (modifiers & flags[i]) {
            inputs.push_back(KeyInput(held[i], up));
        }
    }
}

void Send(std::vector<INPUT>& inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void Activate(HWND window) {
    ::SetForegroundWindow(window);
    WaitUntil([window] { return ::GetForegroundWindow() == window; }, 3000);
}

void PressKey(WORD virtualKey, unsigned modifiers) {
    std::vector<INPUT> inputs;
    AddModifiers(inputs, modifiers, false);
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    AddModifiers(inputs, modifiers, true);
    Send(inputs);
}

void TypeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = c;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    Send(inputs);
}

void ClickOn(HWND window, bool rightButton) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs(3);
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = x * 65535 / (width - 1);
        input.mi.dy = y * 65535 / (height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags =
        MOUSEEVENTF_ABSOLUTE | (rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    inputs[2].mi.dwFlags =
        MOUSEEVENTF_ABSOLUTE | (rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    Send(inputs);
}

namespace {

INPUT MouseAt(POINT screen, DWORD flags) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = screen.x * 65535 / (width - 1);
    input.mi.dy = screen.y * 65535 / (height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

}  // namespace

void DragInClient(HWND window, POINT from, POINT to, bool doubleClick) {
    ::ClientToScreen(window, &from);
    ::ClientToScreen(window, &to);
    std::vector<INPUT> inputs = {MouseAt(from, MOUSEEVENTF_MOVE)};
    if (doubleClick) {
        inputs.push_back(MouseAt(from, MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseAt(from, MOUSEEVENTF_LEFTUP));
    }
    inputs.push_back(MouseAt(from, MOUSEEVENTF_LEFTDOWN));
    // A few steps on the way, as a hand moves.
    for (int step = 1; step <= 4; ++step) {
        const POINT at{from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4};
        inputs.push_back(MouseAt(at, MOUSEEVENTF_MOVE));
    }
    inputs.push_back(MouseAt(to, MOUSEEVENTF_LEFTUP));
    Send(inputs);
}

void WheelOver(HWND window, int notches, unsigned modifiers, bool sideways) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    std::vector<INPUT> inputs = {MouseAt(middle, MOUSEEVENTF_MOVE)};
    AddModifiers(inputs, modifiers, false);
    inputs.push_back(MouseAt(middle, sideways ? MOUSEEVENTF_HWHEEL : MOUSEEVENTF_WHEEL));
    inputs.back().mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    AddModifiers(inputs, modifiers, true);
    Send(inputs);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void SettleInput(HWND window) {
    // Input travels through the display server before it is queued; give it a moment, then
    // make sure the window has handled what is queued.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Sync(window);
}

}  // namespace e2e
