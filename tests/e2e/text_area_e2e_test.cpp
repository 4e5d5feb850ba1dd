// The view's text area as other programs and the user meet it: the standard edit-control
// messages sent from another process, keyboard and mouse selection, the wheel and the scroll
// bar, and a flood of traces from several senders while the window is on screen.

#include <gtest/gtest.h>
#include <usp10.h>

#include <cstdio>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"
#include "window/win32/Win32UiaInterfaces.h"

namespace e2e {
namespace {

using namespace orsk;

class TextArea : public ::testing::Test {
protected:
    void SetUp() override {
        Activate(trace.Window());
        SettleInput(trace.Window());
        memo = trace.Control(kIdMemTrace);
    }

    LRESULT Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(memo, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
        return static_cast<LRESULT>(result);
    }
    LRESULT AskWithText(UINT message, WPARAM wParam, const wchar_t* text) const {
        return Ask(message, wParam, reinterpret_cast<LPARAM>(text));
    }
    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0;
        DWORD end = 0;
        ::SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    std::wstring Line(int line, WORD room = 256) const {
        std::wstring buffer(std::max<WORD>(room, 2), L'\0');
        *reinterpret_cast<WORD*>(buffer.data()) = room;
        const LRESULT copied =
            Ask(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data()));
        buffer.resize(static_cast<std::size_t>(copied));
        return buffer;
    }
    // Where a character of the view is drawn, in the text area's client coordinates.
    POINT PointOf(LRESULT position) const {
        const LRESULT at = Ask(EM_POSFROMCHAR, static_cast<WPARAM>(position));
        return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    }
    DWORD Find(const std::wstring& text) const {
        return static_cast<DWORD>(ReadText(memo).find(text));
    }
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1);
    }
    void Press(WORD key, unsigned modifiers = kNone) {
        PressKey(key, modifiers);
        SettleInput(trace.Window());
    }
    void FocusTextArea() {
        ClickOn(memo);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(trace.ThreadId()) == memo; }));
    }

    TraceWindowProcess trace;
    HWND memo = nullptr;
};

TEST_F(TextArea, AnotherProgramReadsTheViewLineByLine) {
    Send(1, "alpha");
    Send(2, "beta gamma");
    const std::wstring view = ReadText(memo);
    EXPECT_EQ(Ask(WM_GETTEXTLENGTH), static_cast<LRESULT>(view.size()));
    // Two blocks of four lines, and the empty line after the last break.
    EXPECT_EQ(Ask(EM_GETLINECOUNT), 9);
    const auto alpha = static_cast<LRESULT>(view.find(L"alpha"));
    EXPECT_EQ(Ask(EM_LINEINDEX, 2), alpha);
    EXPECT_EQ(Ask(EM_LINEINDEX, 9), -1);
    EXPECT_EQ(Ask(EM_LINELENGTH, static_cast<WPARAM>(alpha)), 5);
    EXPECT_EQ(Ask(EM_LINEFROMCHAR, static_cast<WPARAM>(alpha + 3)), 2);
    EXPECT_EQ(Line(0), L"----");
    EXPECT_EQ(Line(6), L"beta gamma");
    EXPECT_EQ(Line(3), L"");
    EXPECT_EQ(Line(9), L"");
}

TEST_F(TextArea, AnotherProgramSelectsCopiesReplacesAndUndoes) {
    Send(2, "beta gamma");
    const DWORD gamma = Find(L"gamma");
    Ask(EM_SETSEL, gamma, gamma + 5);
    EXPECT_EQ(Selection(), std::make_pair(gamma, gamma + 5));
    EXPECT_EQ(Ask(EM_GETSEL), static_cast<LRESULT>(MAKELONG(gamma, gamma + 5)));
    Ask(WM_COPY);
    EXPECT_EQ(ClipboardText(), L"gamma");

    AskWithText(EM_REPLACESEL, TRUE, L"delta");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta delta"));
    EXPECT_EQ(Ask(EM_CANUNDO), TRUE);
    Ask(EM_UNDO);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta gamma"));
    Ask(EM_UNDO);  // the undo undone
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta delta"));

    Ask(EM_SETSEL, gamma, gamma + 5);
    Ask(WM_CLEAR);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta "));
    ASSERT_TRUE(SetClipboardText(L"omega"));
    Ask(WM_PASTE);
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta omega"));
    Ask(EM_SETSEL, gamma, gamma + 5);
    Ask(WM_CUT);
    EXPECT_EQ(ClipboardText(), L"omega");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta "));

    Ask(EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, static_cast<DWORD>(Ask(WM_GETTEXTLENGTH))));
    Ask(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Selection().first, Selection().second);

    // A trace that arrives goes after the edited text, and the edit can no longer be undone.
    Send(3, "next");
    EXPECT_EQ(WithoutDates(View(trace)), Block("beta ") + Block("next"));
    EXPECT_EQ(Ask(EM_CANUNDO), FALSE);
}

// Assistive tools in another process find a document named "Traces", not one named after the
// log: through UI Automation's own client functions and through MSAA. (Wine 8 has no client
// functions for the text pattern yet, so the ranges are tested in the control's own process.)
TEST_F(TextArea, AssistiveToolsInAnotherProcessFindANamedDocument) {
    Send(1, "a trace, not a name");
    EXPECT_NE(Ask(WM_GETOBJECT, 0, uia::kRootObjectId), 0);
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    using Node = void*;
    HMODULE core = ::LoadLibraryW(L"uiautomationcore.dll");
    const auto load = [core](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            reinterpret_cast<void*>(::GetProcAddress(core, name)));
        return function != nullptr;
    };
    HRESULT(WINAPI * nodeFromHandle)(HWND, Node*) = nullptr;
    HRESULT(WINAPI * propertyValue)(Node, PROPERTYID, VARIANT*) = nullptr;
    BOOL(WINAPI * releaseNode)(Node) = nullptr;
    ASSERT_TRUE(load(nodeFromHandle, "UiaNodeFromHandle") &&
                load(propertyValue, "UiaGetPropertyValue") && load(releaseNode, "UiaNodeRelease"));
    Node node = nullptr;
    ASSERT_EQ(nodeFromHandle(memo, &node), S_OK);
    VARIANT name{};
    VARIANT type{};
    EXPECT_EQ(propertyValue(node, UIA_NamePropertyId, &name), S_OK);
    EXPECT_EQ(propertyValue(node, UIA_ControlTypePropertyId, &type), S_OK);
    EXPECT_EQ(name.vt == VT_BSTR ? std::wstring(name.bstrVal) : L"?", L"Traces");
    EXPECT_EQ(type.vt == VT_I4 ? type.lVal : 0, uia::kDocumentControlTypeId);
    ::VariantClear(&name);
    releaseNode(node);

    IAccessible* accessible = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(memo, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&accessible)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR accessibleName = nullptr;
    VARIANT role{};
    EXPECT_EQ(accessible->get_accName(self, &accessibleName), S_OK);
    EXPECT_EQ(accessible->get_accRole(self, &role), S_OK);
    EXPECT_EQ(std::wstring(accessibleName != nullptr ? accessibleName : L"?"), L"Traces");
    EXPECT_EQ(role.vt == VT_I4 ? role.lVal : 0, ROLE_SYSTEM_TEXT);
    ::SysFreeString(accessibleName);
    // The object answers on COM's threads, not the window's: the value and the focus are still
    // the control's own.
    BSTR value = nullptr;
    EXPECT_EQ(accessible->get_accValue(self, &value), S_OK);
    EXPECT_NE(std::wstring(value != nullptr ? value : L"?").find(L"a trace, not a name"),
              std::wstring::npos);
    ::SysFreeString(value);
    FocusTextArea();
    VARIANT state{};
    EXPECT_EQ(accessible->get_accState(self, &state), S_OK);
    EXPECT_EQ(state.vt == VT_I4 ? state.lVal & STATE_SYSTEM_FOCUSED : 0, STATE_SYSTEM_FOCUSED);
    accessible->Release();
    ::CoUninitialize();
}

TEST_F(TextArea, TheKeyboardMovesTheCaretAndSelectsAsInATextBox) {
    Send(1, "one two three");
    Send(1, "second");
    FocusTextArea();
    Press(VK_HOME, kCtrl);
    EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{0}));
    // Right at the end of a line steps over the whole line break.
    Press(VK_END);
    EXPECT_EQ(Selection().second, 4u);
    Press(VK_RIGHT);
    const auto dateLine = static_cast<DWORD>(Ask(EM_LINEINDEX, 1));
    EXPECT_EQ(Selection(), std::make_pair(dateLine, dateLine));

    Press(VK_DOWN);
    const auto textLine = static_cast<DWORD>(Ask(EM_LINEINDEX, 2));
    EXPECT_EQ(Selection().second, textLine);
    Press(VK_END);
    Press(VK_LEFT, kCtrl | kShift);
    EXPECT_EQ(Selection(), std::make_pair(textLine + 8, textLine + 13));  // "three"

    // Typing replaces the selection; Ctrl+Z brings it back, selected.
    TypeText(L"four");
    SettleInput(trace.Window());
    EXPECT_EQ(WithoutDates(View(trace)), Block("one two four") + Block("second"));
    Press('Z', kCtrl);
    EXPECT_EQ(WithoutDates(View(trace)), Block("one two three") + Block("second"));
    EXPECT_EQ(Selection(), std::make_pair(textLine + 8, textLine + 13));

    Press(VK_END);
    Press(VK_HOME, kShift);
    EXPECT_EQ(Selection(), std::make_pair(textLine, textLine + 13));
    Press(VK_BACK);
    EXPECT_EQ(WithoutDates(View(trace)), Block("") + Block("second"));

    // Shift+Ctrl+End selects to the end; Del takes it away.
    Press(VK_END, kCtrl | kShift);
    Press(VK_DELETE);
    EXPECT_EQ(WithoutDates(View(trace)), "----\r\n<dt>\r\n");
}

// Pixels as rows of characters, darker pixels as denser ones, for a failure's message.
std::string Picture(const std::vector<std::uint32_t>& pixels, int width) {
    std::string picture;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % static_cast<std::size_t>(width) == 0) {
            picture += '\n';
        }
        const std::uint32_t p = pixels[i];
        const unsigned light = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        picture += " .:+#"[std::min(4u, (765 - light) / 153)];
    }
    return picture;
}

// What the system's script processor draws of one cluster in `face` (the view's font with the
// face changed, as the view makes its fallback fonts), centred in `cells` on the view's
// baseline, over the window colour: the oracle for the view's drawing of that cluster.
std::vector<std::uint32_t> DrawnBySystem(const std::wstring& cluster, const wchar_t* face,
                                         SIZE cells) {
    // The form's font of the view: "Courier", 10 points, ANSI.
    HDC screen = ::GetDC(nullptr);
    LOGFONTW look{};
    look.lfHeight = -::MulDiv(10, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    look.lfWeight = FW_NORMAL;
    look.lfCharSet = ANSI_CHARSET;
    wcsncpy_s(look.lfFaceName, LF_FACESIZE, L"Courier", _TRUNCATE);
    HDC dc = ::CreateCompatibleDC(screen);
    TEXTMETRICW metrics{};
    HFONT viewFont = ::CreateFontIndirectW(&look);
    HGDIOBJ oldFont = ::SelectObject(dc, viewFont);
    ::GetTextMetricsW(dc, &metrics);
    look.lfWidth = 0;
    look.lfCharSet = DEFAULT_CHARSET;
    look.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy_s(look.lfFaceName, LF_FACESIZE, face, _TRUNCATE);
    HFONT font = ::CreateFontIndirectW(&look);
    ::SelectObject(dc, font);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cells.cx;
    info.bmiHeader.biHeight = -cells.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    RECT all{0, 0, cells.cx, cells.cy};
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);

    SCRIPT_ITEM items[8]{};
    int itemCount = 0;
    WORD glyphs[32]{};
    WORD map[32]{};
    SCRIPT_VISATTR attributes[32]{};
    int advances[32]{};
    GOFFSET offsets[32]{};
    ABC extent{};
    int glyphCount = 0;
    SCRIPT_CACHE cache = nullptr;
    const int length = static_cast<int>(cluster.size());
    if (SUCCEEDED(
            ::ScriptItemize(cluster.c_str(), length, 7, nullptr, nullptr, items, &itemCount)) &&
        SUCCEEDED(::ScriptShape(dc, &cache, cluster.c_str(), length, 32, &items[0].a, glyphs, map,
                                attributes, &glyphCount)) &&
        SUCCEEDED(::ScriptPlace(dc, &cache, glyphs, glyphCount, attributes, &items[0].a, advances,
                                offsets, &extent))) {
        int natural = 0;
        for (int g = 0; g < glyphCount; ++g) {
            natural += advances[g];
        }
        ::ScriptTextOut(dc, &cache, std::max<int>(0, (cells.cx - natural) / 2), metrics.tmAscent, 0,
                        nullptr, &items[0].a, nullptr, 0, glyphs, glyphCount, advances, nullptr,
                        offsets);
    }
    ::ScriptFreeCache(&cache);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(cells.cx) *
                                      static_cast<std::size_t>(cells.cy));
    const auto* from = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; bits != nullptr && i < pixels.size(); ++i) {
        pixels[i] = from[i] & 0x00FFFFFFu;
    }
    ::SelectObject(dc, oldBitmap);
    ::SelectObject(dc, oldFont);
    ::DeleteObject(bitmap);
    ::DeleteObject(font);
    ::DeleteObject(viewFont);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The form's "Courier" is a raster font with the glyphs of one code page. Every character it
// lacks is drawn by the system's script processor in a font that has it, whole with its marks,
// in as many cells as it is wide: pixel for pixel what the system draws of it in that font.
TEST_F(TextArea, EveryScriptIsDrawnAsTheSystemDrawsItInTheFontThatHasIt) {
    struct Row {
        const char* utf8;
        const wchar_t* face;  // the first of the view's fallback fonts that has it, here
        int cells;
    };
    const Row rows[] = {
        {"\xD0\x96", L"Courier New", 1},              // Cyrillic
        {"\xCE\xA3", L"Courier New", 1},              // Greek
        {"e\xCC\x81", L"Courier New", 1},             // e and a combining acute
        {"\xE2\x90\x80", L"Symbola", 1},              // the view's stand-in for NUL
        {"\xD7\xA9", L"Courier New", 1},              // Hebrew, right to left
        {"\xE5\xB1\xB1", L"WenQuanYi Micro Hei", 2},  // Chinese, wide
        {"\xE0\xB8\x81", L"Loma", 1},                 // Thai
        {"\xF0\x9F\x98\x80", L"Courier New", 2},      // an emoji above U+FFFF, wide
    };
    std::string lines = "ab";
    for (const Row& row : rows) {
        lines += std::string("\r\n[") + row.utf8 + "]";
    }
    Send(1, lines);
    ::SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
    ::RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sync(memo);
    const LRESULT first = Ask(EM_LINEINDEX, 2);
    const int cellWidth = PointOf(first + 1).x - PointOf(first).x;
    const int lineHeight = PointOf(Ask(EM_LINEINDEX, 3)).y - PointOf(first).y;
    ASSERT_GT(cellWidth, 0);
    ASSERT_GT(lineHeight, 0);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const std::wstring cluster = FromUtf8(row.utf8);
        SCOPED_TRACE(testing::Message() << "row " << i);
        const LRESULT open = Ask(EM_LINEINDEX, static_cast<WPARAM>(i + 3));
        const POINT bracket = PointOf(open);
        const RECT cells{bracket.x + cellWidth, bracket.y, bracket.x + (1 + row.cells) * cellWidth,
                         bracket.y + lineHeight};
        // The caret stands before the cluster and after it at the cells' edges: in right-to-left
        // text "before" is on the right.
        const bool rightToLeft = i == 4;
        EXPECT_EQ(PointOf(open + 1).x, rightToLeft ? cells.right : cells.left);
        EXPECT_EQ(PointOf(open + 1 + static_cast<LRESULT>(cluster.size())).x, cells.right);
        const SIZE size{cells.right - cells.left, lineHeight};
        const std::vector<std::uint32_t> view = ClientPixels(memo, cells);
        EXPECT_EQ(view, DrawnBySystem(cluster, row.face, size))
            << Picture(view, size.cx) << "\n"
            << Picture(DrawnBySystem(cluster, row.face, size), size.cx);
        EXPECT_NE(view, DrawnBySystem(L" ", row.face, size)) << "nothing drawn";
    }
}

// The caret steps over whole clusters (a letter with its mark, a wide character, a surrogate
// pair, a flag, a joined emoji) and stands where they are drawn; Arabic is drawn right to left
// and joined, its first letter on the right.
TEST_F(TextArea, TheCaretStepsOverClustersAndStandsWhereTheyAreDrawn) {
    const std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9";
    Send(1, "e\xCC\x81\xE5\xB1\xB1\xF0\x9F\x98\x80\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA" + family +
                "x\r\n\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85");
    FocusTextArea();
    const auto line = static_cast<DWORD>(Ask(EM_LINEINDEX, 2));
    ::SendMessageW(memo, EM_SETSEL, line, line);
    // Units: e U+0301 | U+5C71 | pair | two pairs | pair ZWJ pair | x; columns 1, 2, 2, 2, 2, 1.
    const DWORD stops[] = {2, 3, 5, 9, 14, 15};
    const int cells[] = {1, 2, 2, 2, 2, 1};
    const int cellWidth = PointOf(line + 15).x - PointOf(line + 14).x;
    for (std::size_t i = 0; i < std::size(stops); ++i) {
        Press(VK_RIGHT);
        EXPECT_EQ(Selection().second, line + stops[i]) << "step " << i;
        const DWORD from = i == 0 ? line : line + stops[i - 1];
        EXPECT_EQ(PointOf(line + stops[i]).x - PointOf(from).x, cells[i] * cellWidth)
            << "step " << i;
    }
    Press(VK_BACK);
    Press(VK_BACK);
    EXPECT_EQ(Selection().second, line + 9) << "Backspace takes the joined emoji whole";
    Press(VK_LEFT, kShift);
    EXPECT_EQ(Selection(), std::make_pair(line + 5, line + 9)) << "the flag, both halves";

    // A click on the right half of the wide character puts the caret after it.
    const POINT wide = PointOf(line + 2);
    const int lineHeight = PointOf(Ask(EM_LINEINDEX, 3)).y - wide.y;
    const POINT rightHalf{wide.x + cellWidth + cellWidth / 2 + 1, wide.y + lineHeight / 2};
    DragInClient(memo, rightHalf, rightHalf);
    SettleInput(trace.Window());
    EXPECT_EQ(Selection(), std::make_pair(line + 3, line + 3));

    // Arabic: the caret before the first letter stands at the right of the word, after the last
    // one at its left; the joined word is not drawn as its letters alone.
    const auto arabic = static_cast<DWORD>(Ask(EM_LINEINDEX, 3));
    EXPECT_EQ(PointOf(arabic).x - PointOf(arabic + 4).x, 4 * cellWidth);
    ::RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const POINT left = PointOf(arabic + 4);
    const RECT word{left.x, left.y, left.x + 4 * cellWidth, left.y + lineHeight};
    const std::vector<std::uint32_t> joined = ClientPixels(memo, word);
    // The same letters kept apart by zero-width non-joiners.
    Send(1, "\xD8\xB3\xE2\x80\x8C\xD9\x84\xE2\x80\x8C\xD8\xA7\xE2\x80\x8C\xD9\x85");
    ::RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const POINT apart = PointOf(Find(L"\u0633\u200C") + 7);
    EXPECT_EQ(apart.x, left.x);
    EXPECT_NE(
        ClientPixels(memo, RECT{apart.x, apart.y, apart.x + 4 * cellWidth, apart.y + lineHeight}),
        joined);
}

// One trace of 1 MiB on one line: End takes the caret to its far end, scrolled into view, where
// the last characters are drawn (a wide one takes two cells).
TEST_F(TextArea, TheCaretAtTheFarEndOfAOneMebibyteLineStandsWhereItIsDrawn) {
    std::string line(1 << 20, 'a');
    line.replace(line.size() - 4, 4, "\xE5\xB1\xB1x");  // ... a 山 x
    Send(1, line);
    FocusTextArea();
    const auto textLine = static_cast<DWORD>(Ask(EM_LINEINDEX, 2));
    const DWORD end = textLine + static_cast<DWORD>(line.size()) - 2;  // 山 is one unit
    ::SendMessageW(memo, EM_SETSEL, textLine, textLine);
    Press(VK_END);
    EXPECT_EQ(Selection(), std::make_pair(end, end));
    RECT client{};
    ::GetClientRect(memo, &client);
    const POINT caret = PointOf(end);
    const int cellWidth = caret.x - PointOf(end - 1).x;
    EXPECT_GT(cellWidth, 0);
    EXPECT_EQ(PointOf(end - 1).x - PointOf(end - 2).x, 2 * cellWidth);
    EXPECT_GT(caret.x, client.left);
    EXPECT_LT(caret.x, client.right);
}

TEST_F(TextArea, TheMouseSelectsAndTheWheelAndScrollBarScroll) {
    for (int i = 0; i < 100; ++i) {
        Send(1, "trace " + std::to_string(i));
    }
    // The newest lines are in view.
    const LRESULT lines = Ask(EM_GETLINECOUNT);
    ASSERT_EQ(lines, 401);
    ASSERT_TRUE(WaitUntil([&] { return Ask(EM_GETFIRSTVISIBLELINE) > 300; }))
        << Ask(EM_GETFIRSTVISIBLELINE);
    ::SendMessageW(memo, WM_VSCROLL, SB_BOTTOM, 0);
    const LRESULT bottom = Ask(EM_GETFIRSTVISIBLELINE);

    UINT wheelLines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
    WheelOver(memo, 1);
    EXPECT_TRUE(WaitUntil([&] {
        return Ask(EM_GETFIRSTVISIBLELINE) == bottom - static_cast<LRESULT>(wheelLines);
    })) << Ask(EM_GETFIRSTVISIBLELINE);

    ::SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Ask(EM_GETFIRSTVISIBLELINE), 0);
    ::SendMessageW(memo, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Ask(EM_GETFIRSTVISIBLELINE), 1);
    ::SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);

    // Dragging over the first "----" selects exactly it.
    const POINT first = PointOf(0);
    const POINT fifth = PointOf(4);
    const int lineHeight = PointOf(Ask(EM_LINEINDEX, 1)).y - first.y;
    ASSERT_GT(fifth.x, first.x);
    ASSERT_GT(lineHeight, 0);
    DragInClient(memo, POINT{first.x + 1, first.y + lineHeight / 2},
                 POINT{fifth.x + 1, fifth.y + lineHeight / 2});
    SettleInput(trace.Window());
    EXPECT_TRUE(WaitUntil([&] { return Selection() == std::make_pair(DWORD{0}, DWORD{4}); }))
        << Selection().first << ", " << Selection().second;
    EXPECT_EQ(FocusOf(trace.ThreadId()), memo);

    // Sideways: the tilt wheel to the right, Shift with the wheel turned away back to the left,
    // by the user's columns per notch. The first column in view is read from where the text's
    // first character stands (under Wine GetScrollInfo does not reach another process's window).
    const int cellWidth = PointOf(1).x - first.x;
    ASSERT_GT(cellWidth, 0);
    const auto firstColumnInView = [&] { return (first.x - PointOf(0).x) / cellWidth; };
    Send(1, "wide " + std::string(300, 'w'));
    Ask(EM_SCROLLCARET);
    const LRESULT top = Ask(EM_GETFIRSTVISIBLELINE);
    ASSERT_EQ(firstColumnInView(), 0);
    UINT wheelColumns = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &wheelColumns, 0);
    const auto notch = static_cast<int>(wheelColumns);
    WheelOver(memo, 2, kNone, true);
    EXPECT_TRUE(WaitUntil([&] { return firstColumnInView() == 2 * notch; })) << firstColumnInView();
    WheelOver(memo, 1, kShift);
    EXPECT_TRUE(WaitUntil([&] { return firstColumnInView() == notch; })) << firstColumnInView();
    EXPECT_EQ(Ask(EM_GETFIRSTVISIBLELINE), top);

    // Dragging past the left edge scrolls back to the left, and the selection grows that way.
    Ask(EM_LINESCROLL, 40, 0);
    const int scrolled = firstColumnInView();
    ASSERT_EQ(scrolled, notch + 40);
    const auto wide =
        static_cast<DWORD>(Ask(EM_LINEINDEX, static_cast<WPARAM>(Ask(EM_GETLINECOUNT) - 3)));
    const DWORD pressed = wide + static_cast<DWORD>(scrolled) + 10;
    const POINT at = PointOf(pressed);
    DragInClient(memo, POINT{at.x + 1, at.y + lineHeight / 2}, POINT{-20, at.y + lineHeight / 2});
    SettleInput(trace.Window());
    EXPECT_TRUE(WaitUntil([&] { return firstColumnInView() < scrolled; })) << firstColumnInView();
    EXPECT_EQ(Selection().second, pressed);
    EXPECT_LT(Selection().first, wide + static_cast<DWORD>(scrolled));

    // A double-click selects a word; dragging on selects whole words, all of the first one
    // kept, forwards and backwards.
    Send(1, "alpha beta gamma delta");
    Ask(EM_SCROLLCARET);
    const auto words =
        static_cast<DWORD>(Ask(EM_LINEINDEX, static_cast<WPARAM>(Ask(EM_GETLINECOUNT) - 3)));
    const auto inside = [&](DWORD offset) {
        const POINT cell = PointOf(words + offset);
        return POINT{cell.x + 1, cell.y + lineHeight / 2};
    };
    DragInClient(memo, inside(7), inside(19), true);  // from "beta" into "delta"
    SettleInput(trace.Window());
    EXPECT_EQ(Selection(), std::make_pair(words + 6, words + 22));
    DragInClient(memo, inside(13), inside(2), true);  // from "gamma" into "alpha"
    SettleInput(trace.Window());
    EXPECT_EQ(Selection(), std::make_pair(words, words + 16));
}

TEST_F(TextArea, ShiftF10OpensThePopupMenuFromTheKeyboard) {
    Send(1, "menu");
    FocusTextArea();
    Press(VK_F10, kShift);
    EXPECT_TRUE(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; }));
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) == nullptr; }));
    EXPECT_TRUE(trace.Running());
}

// Several programs send at full speed into the visible window: every trace is shown, each
// sender's in its order, and the newest lines end in view.
TEST_F(TextArea, AFloodFromSeveralSendersIsShownWholeAndInOrder) {
    constexpr int kSenders = 4;
    constexpr int kTraces = 2500;
    std::vector<std::thread> senders;
    std::vector<int> accepted(kSenders, 0);
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kTraces; ++i) {
                const std::string text =
                    "sender " + std::to_string(s) + " trace " + std::to_string(i);
                if (SendTrace(trace.Window(), 1, text).reply == 1) {
                    ++accepted[static_cast<std::size_t>(s)];
                }
            }
        });
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    for (int s = 0; s < kSenders; ++s) {
        EXPECT_EQ(accepted[static_cast<std::size_t>(s)], kTraces) << s;
    }
    EXPECT_EQ(Ask(EM_GETLINECOUNT), 4 * kSenders * kTraces + 1);

    std::vector<int> next(kSenders, 0);
    const std::string view = View(trace);
    for (std::size_t at = view.find("sender "); at != std::string::npos;
         at = view.find("sender ", at + 1)) {
        int s = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(view.c_str() + at, "sender %d trace %d", &s, &i), 2);
        ASSERT_TRUE(s >= 0 && s < kSenders) << s;
        ASSERT_EQ(i, next[static_cast<std::size_t>(s)]) << "sender " << s;
        ++next[static_cast<std::size_t>(s)];
    }
    EXPECT_EQ(next, std::vector<int>(kSenders, kTraces));
    EXPECT_TRUE(
        WaitUntil([&] { return Ask(EM_GETFIRSTVISIBLELINE) > 4 * kSenders * kTraces - 100; }));

    // Traces that come one by one: the screen moves up and only what they changed is drawn
    // again; the picture is what a full redraw draws.
    for (int i = 0; i < 10; ++i) {
        Send(1, "one by one " + std::to_string(i));
        ::Sleep(40);
    }
    ::Sleep(200);
    Sync(memo);
    RECT client{};
    ::GetClientRect(memo, &client);
    const std::vector<std::uint32_t> followed = ClientPixels(memo, client);
    ::RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ClientPixels(memo, client), followed);
}

}  // namespace
}  // namespace e2e
