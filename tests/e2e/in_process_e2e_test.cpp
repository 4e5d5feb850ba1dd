// The trace window and its text control, made in this test program's own process: what cannot
// be reached from another process (a constructor that fails, messages exactly as a 32-bit
// program's numbers arrive in a 64-bit window).

#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>
#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <string>

#include "common/TraceError.h"
#include "window/OrskTraceFrm.h"
#include "window/win32/Win32TextAutomation.h"
#include "window/win32/Win32TextControl.h"
#include "window/win32/Win32UiaInterfaces.h"

namespace e2e {
namespace {

// Takes its resources from this test program, whose TORSKTRACEFORM names no controls.
class TestHost final : public orsk::TraceWindowHost {
public:
    HINSTANCE Instance() const override { return ::GetModuleHandleW(nullptr); }
    HWND TaskbarWindow() const override { return nullptr; }
    const orsk::RegionalFormats& Formats() const override { return formats_; }
    void ShowException(std::exception_ptr) noexcept override { ++errorsShown; }

    int errorsShown = 0;

private:
    orsk::RegionalFormats formats_;
};

// The trace window built from a form description it cannot be built from: the constructor
// throws after the window exists, and no window may be left behind that could still reach the
// freed object (a sender's WM_COPYDATA during the error box, say).
TEST(FormConstruction, AFailedConstructionLeavesNoWindowBehind) {
    TestHost host;
    EXPECT_THROW(orsk::TOrskTraceForm form(host), orsk::TraceError);

    EXPECT_EQ(::FindWindowW(L"TOrskTraceFormBroken", nullptr), nullptr);
    // Whatever was still queued for the window finds no object to reach.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    EXPECT_EQ(host.errorsShown, 0);
}

// The edit messages' numbers are 32-bit, as for the system's edit control: a 32-bit program's -1
// reaches a 64-bit window as 0xFFFFFFFF (zero-extended) and must still mean -1. Sent within the
// process, the value arrives exactly as written.
TEST(TextControl, EditMessagesReadTheirNumbersAs32BitValues) {
    HWND control =
        ::CreateWindowExW(0, orsk::Win32TextControl::ClassName(), L"", WS_POPUP, 0, 0, 200, 100,
                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"----\r\nfirst\r\nsecond"));
    const auto ask = [&](UINT message, WPARAM wParam, LPARAM lParam = 0) {
        return ::SendMessageW(control, message, wParam, lParam);
    };
    const auto selection = [&] {
        DWORD start = 0;
        DWORD end = 0;
        ask(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::make_pair(start, end);
    };
    constexpr WPARAM kMinusOne = 0xFFFFFFFFu;
    constexpr DWORD kFirst = 6;  // "first" starts line 1

    ask(EM_SETSEL, kFirst, kFirst);
    EXPECT_EQ(ask(EM_LINEINDEX, kMinusOne), 6);     // the caret's line
    EXPECT_EQ(ask(EM_LINELENGTH, kMinusOne), 5);    // unselected units on the caret's line
    EXPECT_EQ(ask(EM_LINEFROMCHAR, kMinusOne), 1);  // the selection's line
    EXPECT_EQ(ask(EM_POSFROMCHAR, kMinusOne), -1);  // no such position
    ask(EM_SETSEL, kMinusOne, 0);                   // deselects, not the whole text
    EXPECT_EQ(selection(), std::make_pair(kFirst, kFirst));
    ask(EM_SETSEL, 0, static_cast<LPARAM>(kMinusOne));  // to the end
    EXPECT_EQ(selection(), std::make_pair(DWORD{0}, DWORD{19}));
    ::DestroyWindow(control);
}

// A text control of this process with the keyboard focus.
HWND FocusedTextControl(const wchar_t* text) {
    HWND control =
        ::CreateWindowExW(0, orsk::Win32TextControl::ClassName(), L"", WS_POPUP | WS_VISIBLE, 0, 0,
                          200, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ::SetForegroundWindow(control);
    ::SetFocus(control);
    return control;
}

int CaretWidth() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
    return info.rcCaret.right - info.rcCaret.left;
}

// The caret is as wide as the user's setting, and follows a change of it while it is shown.
TEST(TextControl, TheCaretIsAsWideAsTheUserSetsIt) {
    UINT saved = 1;
    ::SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &saved, 0);
    const auto setWidth = [](HWND control, UINT width) {
        ::SystemParametersInfoW(SPI_SETCARETWIDTH, 0, reinterpret_cast<void*>(UINT_PTR{width}), 0);
        ::SendMessageW(control, WM_SETTINGCHANGE, SPI_SETCARETWIDTH, 0);
    };
    HWND control = FocusedTextControl(L"text");
    ASSERT_EQ(::GetFocus(), control);
    EXPECT_EQ(CaretWidth(), static_cast<int>(std::max(saved, 1u)));
    setWidth(control, saved + 2);
    EXPECT_EQ(CaretWidth(), static_cast<int>(saved + 2));
    setWidth(control, saved);
    ::DestroyWindow(control);
}

// What an input method composed arrives as one string: typed as one edit, a surrogate pair
// whole, and not typed a second time as characters.
TEST(TextControl, WhatAnInputMethodComposedIsTypedOnce) {
    HWND control = FocusedTextControl(L"ab");
    ASSERT_EQ(::GetFocus(), control);
    ::SendMessageW(control, EM_SETSEL, 2, 2);
    const auto compose = [control](std::wstring text) {
        HIMC context = ::ImmGetContext(control);
        const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const bool set =
            context != nullptr &&
            ::ImmSetCompositionStringW(context, SCS_SETSTR, text.data(), bytes, nullptr, 0) &&
            ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
        ::ImmReleaseContext(control, context);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        return set;
    };
    const auto text = [control] {
        wchar_t buffer[64] = {};
        ::GetWindowTextW(control, buffer, 64);
        return std::wstring(buffer);
    };
    ASSERT_TRUE(compose(L"\u65E5\u672C\U0001F600"));
    EXPECT_EQ(text(), L"ab\u65E5\u672C\U0001F600");
    ::SendMessageW(control, EM_UNDO, 0, 0);
    EXPECT_EQ(text(), L"ab");

    ::SendMessageW(control, EM_SETREADONLY, TRUE, 0);
    compose(L"x");
    EXPECT_EQ(text(), L"ab");
    ::DestroyWindow(control);
}

// What assistive tools read of the text area: a short name and its role instead of the log,
// and ranges that step over whole characters (CR LF included) and copy no more than asked. The
// UI Automation answer to WM_GETOBJECT can only be used by UI Automation itself, so the
// provider is taken as a tool in another process would get it; MSAA's answer is read as tools
// read it. Once the control has gone, both say so instead of reading freed memory.
TEST(TextControl, AssistiveToolsReadANameAndRangesOfTheText) {
    using orsk::uia::TextPatternRangeEndpoint;
    using orsk::uia::TextUnit;
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    HWND control =
        ::CreateWindowExW(0, orsk::Win32TextControl::ClassName(), L"", WS_POPUP, 0, 0, 200, 100,
                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    // Longer than what a tool reads as the value.
    const std::wstring content =
        L"----\r\nfirst e\u0301\r\n\U0001F600 last " + std::wstring(300, L'x');
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(content.c_str()));
    IAccessible* accessible = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&accessible)),
              S_OK);
    IRawElementProviderSimple* element = orsk::Win32TextAccessibility::ProviderForWindow(control);
    ASSERT_NE(element, nullptr);
    orsk::uia::ITextProvider* textPattern = nullptr;
    ASSERT_EQ(
        element->GetPatternProvider(UIA_TextPatternId, reinterpret_cast<IUnknown**>(&textPattern)),
        S_OK);
    ASSERT_NE(textPattern, nullptr);

    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const auto text = [](BSTR value) {
        std::wstring read = value != nullptr ? std::wstring(value, ::SysStringLen(value)) : L"?";
        ::SysFreeString(value);
        return read;
    };
    const auto number = [](const VARIANT& value) {
        return value.vt == VT_I4 ? std::to_wstring(value.lVal) : std::wstring(L"?");
    };
    const auto property = [&](PROPERTYID id) {
        VARIANT value{};
        element->GetPropertyValue(id, &value);
        std::wstring read = value.vt == VT_BSTR
                                ? std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal))
                                : number(value);
        ::VariantClear(&value);
        return read;
    };
    struct Row {
        const char* what;
        std::function<std::wstring()> read;
        std::wstring expected;
    };
    const Row elementRows[] = {
        {"MSAA name",
         [&] {
             BSTR name = nullptr;
             accessible->get_accName(self, &name);
             return text(name);
         },
         L"Traces"},
        {"MSAA role",
         [&] {
             VARIANT role{};
             accessible->get_accRole(self, &role);
             return number(role);
         },
         std::to_wstring(ROLE_SYSTEM_TEXT)},
        {"UI Automation name", [&] { return property(UIA_NamePropertyId); }, L"Traces"},
        {"UI Automation control type", [&] { return property(UIA_ControlTypePropertyId); },
         std::to_wstring(orsk::uia::kDocumentControlTypeId)},
        {"MSAA value, its start only",
         [&] {
             BSTR value = nullptr;
             accessible->get_accValue(self, &value);
             return text(value);
         },
         content.substr(0, orsk::kAccessibleValueUnits)},
        {"UI Automation value, its start only",
         [&] {
             orsk::uia::IValueProvider* valuePattern = nullptr;
             element->GetPatternProvider(UIA_ValuePatternId,
                                         reinterpret_cast<IUnknown**>(&valuePattern));
             BSTR value = nullptr;
             if (valuePattern != nullptr) {
                 valuePattern->get_Value(&value);
                 valuePattern->Release();
             }
             return text(value);
         },
         content.substr(0, orsk::kAccessibleValueUnits)},
    };
    for (const Row& row : elementRows) {
        EXPECT_EQ(row.read(), row.expected) << row.what;
    }

    // Each row selects with EM_SETSEL, takes the selection as a range and changes it.
    enum class Step { None, MoveStart, MoveEnd, Expand };
    struct RangeRow {
        const char* what;
        DWORD start;
        DWORD end;
        Step step;
        TextUnit unit;
        int count;
        int maxLength;
        std::wstring expected;
    };
    const RangeRow rangeRows[] = {
        {"the selection", 6, 11, Step::None, TextUnit::Character, 0, -1, L"first"},
        {"at most 3 units", 6, 11, Step::None, TextUnit::Character, 0, 3, L"fir"},
        {"CR LF is one character", 4, 4, Step::MoveEnd, TextUnit::Character, 1, -1, L"\r\n"},
        {"a letter with its accent", 12, 12, Step::MoveEnd, TextUnit::Character, 1, -1, L"e\u0301"},
        {"a surrogate pair", 18, 18, Step::MoveStart, TextUnit::Character, -1, -1, L"\U0001F600"},
        {"a word with its blank", 8, 8, Step::Expand, TextUnit::Word, 0, -1, L"first "},
        {"a line with its break", 8, 8, Step::Expand, TextUnit::Line, 0, -1, L"first e\u0301\r\n"},
        {"two lines on", 0, 0, Step::MoveEnd, TextUnit::Line, 2, -1, L"----\r\nfirst e\u0301\r\n"},
    };
    for (const RangeRow& row : rangeRows) {
        ::SendMessageW(control, EM_SETSEL, row.start, row.end);
        SAFEARRAY* selection = nullptr;
        ASSERT_EQ(textPattern->GetSelection(&selection), S_OK) << row.what;
        LONG index = 0;
        orsk::uia::ITextRangeProvider* range = nullptr;
        ::SafeArrayGetElement(selection, &index, &range);
        ::SafeArrayDestroy(selection);
        ASSERT_NE(range, nullptr) << row.what;
        int moved = 0;
        if (row.step == Step::Expand) {
            range->ExpandToEnclosingUnit(row.unit);
        } else if (row.step != Step::None) {
            range->MoveEndpointByUnit(row.step == Step::MoveStart ? TextPatternRangeEndpoint::Start
                                                                  : TextPatternRangeEndpoint::End,
                                      row.unit, row.count, &moved);
            EXPECT_EQ(moved, row.count) << row.what;
        }
        BSTR read = nullptr;
        range->GetText(row.maxLength, &read);
        EXPECT_EQ(text(read), row.expected) << row.what;
        range->Release();
    }

    orsk::uia::ITextRangeProvider* document = nullptr;
    ASSERT_EQ(textPattern->get_DocumentRange(&document), S_OK);
    ::DestroyWindow(control);
    BSTR gone = nullptr;
    EXPECT_EQ(document->GetText(-1, &gone), orsk::uia::kElementNotAvailable);
    VARIANT name{};
    EXPECT_EQ(element->GetPropertyValue(UIA_NamePropertyId, &name),
              orsk::uia::kElementNotAvailable);
    EXPECT_EQ(accessible->get_accName(self, &gone), CO_E_OBJNOTCONNECTED);
    document->Release();
    textPattern->Release();
    element->Release();
    accessible->Release();
    ::CoUninitialize();
}

}  // namespace
}  // namespace e2e
