#pragma once
// Drives a running ORSK Trace Window from another process, as a sender and a user would: real
// WM_COPYDATA with replies, the controls' texts read across processes, real message boxes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// What senders look for: the window's class name and caption, as the public contract has them
// (the program itself takes both from its form description).
inline constexpr wchar_t kTraceWindowClass[] = L"TOrskTraceForm";
inline constexpr wchar_t kTraceWindowCaption[] = L"ORSK Trace Window";

// OrskTrace.exe: from ORSK_TRACE_EXE when set, else beside the test program.
std::wstring TraceExePath();

// A started trace window process; closes (or at worst ends) it when destroyed.
class TraceWindowProcess {
public:
    explicit TraceWindowProcess(const std::wstring& exePath = TraceExePath());
    ~TraceWindowProcess();
    TraceWindowProcess(const TraceWindowProcess&) = delete;
    TraceWindowProcess& operator=(const TraceWindowProcess&) = delete;

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    HWND Control(int id) const;

    // Waits for the process to end; returns its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitForExit(DWORD timeoutMs);
    bool Running() const;

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

// The child of `window` with control id `id` (at any depth), or nullptr.
HWND ControlOf(HWND window, int id);

struct SendResult {
    bool delivered = false;  // false: timed out or no such window
    LRESULT reply = 0;
};

SendResult SendTrace(HWND window, ULONG_PTR level, const void* bytes, DWORD count,
                     UINT timeoutMs = 10000);
SendResult SendTrace(HWND window, ULONG_PTR level, std::string_view utf8, UINT timeoutMs = 10000);

// The text of another process's control (WM_GETTEXT; GetWindowText would not cross processes).
std::wstring ReadText(HWND control);
// The view text as UTF-8, for readable comparisons.
std::string ReadTextUtf8(HWND control);
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// The top-level window of `processId` with class `className` and caption `caption`, waited for.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD timeoutMs = 10000);
// Counts the message boxes and dialogs (#32770) the process has open.
int CountDialogs(DWORD processId);
// A message box's text (its static text control).
std::wstring BoxText(HWND box);
// Presses the box's OK button and waits until the box is gone.
void PressOk(HWND box);

// Picks item `index` of the filter box the way a list pick does (selection, then the
// notification to its parent).
void ChooseFilterItem(HWND filterBox, int index);
// Replaces the text of a single-line edit control (its owner gets EN_CHANGE).
void SetEditText(HWND edit, std::wstring_view text);
// Clicks a button without waiting for its handler (which may open a modal box).
void ClickButton(HWND button);
// Lets the window handle everything queued so far.
void Sync(HWND window);

// The control that has the keyboard focus in the window's thread.
HWND FocusOf(DWORD threadId);

// The rows of an open popup menu as the user sees them, top to bottom: separators, items drawn
// in the normal menu text colour (enabled) and items drawn greyed (disabled).
enum class MenuRow { Separator, Enabled, Disabled };
std::vector<MenuRow> MenuRows(HWND popup);

// The top-level window of `processId` whose class is `className` (e.g. a combo box's open list
// "ComboLBox"), or nullptr.
HWND FindProcessWindow(DWORD processId, const wchar_t* className);

// Saves a 24-bit BMP of the window's screen area.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

// The screen's pixels (0xRRGGBB) in `area`, in the client coordinates of `window`, row by row.
std::vector<std::uint32_t> ClientPixels(HWND window, RECT area);

}  // namespace e2e
