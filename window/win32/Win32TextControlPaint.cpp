// The view's text control: drawing the lines in view, scrolling, and where the caret and the
// mouse stand.

#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "window/textmodel/TextLayout.h"
#include "window/win32/Win32TextControl.h"

namespace orsk {
namespace {

int ClampToInt(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
}

}  // namespace

void Win32TextControl::SetFont(HFONT font) {
    font_ = font;
    lineDrawing_.Reset(DrawingFont());
    Measure();
    if (focused_) {
        CreateSystemCaret();
    }
}

void Win32TextControl::CreateSystemCaret() {
    // Read at every creation: the user may have changed it while another window had the focus.
    DWORD width = 1;
    ::SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
    ::DestroyCaret();
    ::CreateCaret(window_, nullptr, std::max(1, static_cast<int>(width)), lineHeight_);
    caretShown_ = false;
}

void Win32TextControl::Measure() {
    const WindowDc dc(window_);
    if (dc.Get() == nullptr) {
        return;
    }
    const SelectedObject font(dc.Get(), DrawingFont());
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(dc.Get(), &metrics)) {
        lineHeight_ = std::max<int>(1, metrics.tmHeight);
        cellWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
        ascent_ = metrics.tmAscent;
    }
}

std::size_t Win32TextControl::VisibleLines() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return static_cast<std::size_t>(std::max<LONG>(1, client.bottom / lineHeight_));
}

std::size_t Win32TextControl::VisibleColumns() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return static_cast<std::size_t>(std::max<LONG>(1, (client.right - margin_) / cellWidth_));
}

void Win32TextControl::ClampScroll() {
    const std::size_t lines = editor_.Text().LineCount();
    const std::size_t page = VisibleLines();
    topLine_ = std::min(topLine_, lines > page ? lines - page : 0);
    const std::size_t columns = editor_.Text().WidestLineColumns() + 1;
    const std::size_t width = VisibleColumns();
    leftColumn_ = std::min(leftColumn_, columns > width ? columns - width : 0);
}

void Win32TextControl::ScrollCaretIntoView() {
    const std::size_t caret = editor_.Caret();
    const std::size_t line = editor_.Text().LineOf(caret);
    const std::size_t page = VisibleLines();
    if (line < topLine_) {
        topLine_ = line;
    } else if (line >= topLine_ + page) {
        topLine_ = line - page + 1;
    }
    const std::size_t column = editor_.ColumnOf(caret);
    const std::size_t width = VisibleColumns();
    // Horizontally the view jumps by a quarter of its width, so that typing on does not
    // scroll at every character.
    const std::size_t jump = std::max<std::size_t>(1, width / 4);
    if (column < leftColumn_) {
        leftColumn_ = column > jump ? column - jump : 0;
    } else if (column >= leftColumn_ + width) {
        leftColumn_ = column - width + jump;
    }
}

void Win32TextControl::InvalidateAppended(std::size_t oldTopLine) {
    RECT client{};
    ::GetClientRect(window_, &client);
    const long long row =
        static_cast<long long>(appendedFromLine_) - static_cast<long long>(topLine_);
    const auto changedTop =
        static_cast<LONG>(std::clamp<long long>(row * lineHeight_, 0, client.bottom));
    // The picture in the back buffer moves up with the lines; only the lines the appends changed
    // are drawn again. The whole picture still goes to the screen, in one copy.
    const auto shift = static_cast<LONG>(topLine_ - oldTopLine) * lineHeight_;
    if (backDc_ != nullptr && shift > 0 && shift < client.bottom) {
        ::BitBlt(backDc_.get(), 0, 0, client.right, client.bottom - shift, backDc_.get(), 0, shift,
                 SRCCOPY);
    }
    backGoodAboveY_ = std::max<LONG>(0, std::min(backGoodAboveY_ - shift, changedTop));
    backShifted_ = true;
    ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32TextControl::InvalidateAll() {
    backGoodAboveY_ = 0;
    ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32TextControl::InvalidateLines(std::size_t first, std::size_t last) {
    const std::size_t page = VisibleLines();
    if (last < topLine_ || first >= topLine_ + page + 1) {
        return;
    }
    RECT client{};
    ::GetClientRect(window_, &client);
    RECT rows = client;
    rows.top = static_cast<LONG>(first > topLine_ ? first - topLine_ : 0) * lineHeight_;
    rows.bottom = std::min<LONG>(
        client.bottom, static_cast<LONG>(std::min(last - topLine_, page) + 1) * lineHeight_);
    // Rows above the part of the back buffer that is good must be drawn, not copied.
    backGoodAboveY_ = std::min(backGoodAboveY_, rows.top);
    ::InvalidateRect(window_, &rows, FALSE);
}

std::pair<std::size_t, std::size_t> Win32TextControl::SelectionLines() const {
    const TextBuffer& text = editor_.Text();
    return {text.LineOf(std::min(editor_.Anchor(), editor_.Caret())),
            text.LineOf(std::max(editor_.Anchor(), editor_.Caret()))};
}

void Win32TextControl::UpdateScrollBars() {
    SetScrollBar(SB_VERT, ClampToInt(editor_.Text().LineCount() - 1), VisibleLines(), topLine_);
    SetScrollBar(SB_HORZ, ClampToInt(editor_.Text().WidestLineColumns()), VisibleColumns(),
                 leftColumn_);
}

void Win32TextControl::SetScrollBar(int bar, int last, std::size_t page, std::size_t position) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = last;
    info.nPage = static_cast<UINT>(page);
    info.nPos = ClampToInt(position);
    SCROLLINFO& shown = shownScroll_[bar == SB_VERT ? 0 : 1];
    if (shown.cbSize != 0 && shown.nMax == info.nMax && shown.nPage == info.nPage &&
        shown.nPos == info.nPos) {
        return;
    }
    shown = info;
    ::SetScrollInfo(window_, bar, &info, TRUE);
}

HFONT Win32TextControl::DrawingFont() const {
    return font_ != nullptr ? font_ : static_cast<HFONT>(::GetStockObject(SYSTEM_FIXED_FONT));
}

LineSlice Win32TextControl::SliceInView(std::size_t line) const {
    return SliceLine(editor_.Text(), editor_.Columns(), line, leftColumn_, VisibleColumns() + 1);
}

POINT Win32TextControl::PointOfPosition(std::size_t position) const {
    const std::size_t line = editor_.Text().LineOf(position);
    long long column = static_cast<long long>(editor_.ColumnOf(position));
    // In right-to-left text a position stands at the right edge of the cluster that starts
    // there (and at the end of the line, at the trailing edge of the last cluster).
    const LineSlice slice = SliceInView(line);
    const SliceScripts scripts = Win32LineDrawing::ScriptsOf(slice);
    if (scripts.HasRightToLeft()) {
        const std::vector<std::size_t> visual = VisualColumns(slice, scripts.levels);
        const auto edge = [&](std::size_t k, bool leading) {
            const auto left = static_cast<long long>(visual[k]);
            const bool rightToLeft = scripts.levels[k] % 2 == 1;
            return leading == rightToLeft ? left + static_cast<long long>(slice.clusters[k].width)
                                          : left;
        };
        const auto starting =
            std::find_if(slice.clusters.begin(), slice.clusters.end(),
                         [&](const SliceCluster& cluster) { return cluster.position == position; });
        if (starting != slice.clusters.end()) {
            column = edge(static_cast<std::size_t>(starting - slice.clusters.begin()), true);
        } else if (!slice.clusters.empty() &&
                   slice.clusters.back().position + slice.clusters.back().length == position) {
            column = edge(slice.clusters.size() - 1, false);
        }
    }
    const auto row = static_cast<long long>(line) - static_cast<long long>(topLine_);
    const long long cell = column - static_cast<long long>(leftColumn_);
    return POINT{
        static_cast<LONG>(std::clamp<long long>(margin_ + cell * cellWidth_, -32000, 32000)),
        static_cast<LONG>(std::clamp<long long>(row * lineHeight_, -32000, 32000))};
}

void Win32TextControl::PlaceSystemCaret() {
    if (!focused_) {
        return;
    }
    const POINT at = PointOfPosition(editor_.Caret());
    ::SetCaretPos(at.x, at.y);
    if (!caretShown_) {
        ::ShowCaret(window_);
        caretShown_ = true;
    }
    if (composing_) {
        PlaceCompositionWindow();
    }
}

std::size_t Win32TextControl::PositionAtPoint(int x, int y) const {
    const long long row = y < 0 ? -1 - (-y - 1) / lineHeight_ : y / lineHeight_;
    const auto line =
        static_cast<std::size_t>(std::max<long long>(0, static_cast<long long>(topLine_) + row));
    // On a cluster in view: before or after it, by the half that was hit and its direction.
    if (x >= margin_ && line < editor_.Text().LineCount()) {
        const LineSlice slice = SliceInView(line);
        const SliceScripts scripts = Win32LineDrawing::ScriptsOf(slice);
        const std::vector<std::size_t> visual = VisualColumns(slice, scripts.levels);
        // In half columns from column 0.
        const long long half =
            2 * static_cast<long long>(leftColumn_) + 2LL * (x - margin_) / cellWidth_;
        for (std::size_t k = 0; k < slice.clusters.size(); ++k) {
            const SliceCluster& cluster = slice.clusters[k];
            const auto left = 2 * static_cast<long long>(visual[k]);
            const auto width = 2 * static_cast<long long>(cluster.width);
            if (half >= left && half < left + width) {
                const bool leftHalf = half < left + width / 2;
                const bool before = scripts.levels[k] % 2 == 1 ? !leftHalf : leftHalf;
                return before ? cluster.position : cluster.position + cluster.length;
            }
        }
    }
    const long long cell = (x - margin_ + cellWidth_ / 2) / cellWidth_;
    const long long column =
        std::max<long long>(0, static_cast<long long>(leftColumn_) + (x < margin_ ? 0 : cell));
    return editor_.PositionAtColumn(line, static_cast<std::size_t>(column));
}

void Win32TextControl::ScrollTo(std::size_t topLine, std::size_t leftColumn) {
    topLine_ = topLine;
    leftColumn_ = leftColumn;
    Refresh(false);
}

namespace {

// Where a scroll bar request moves the first line (or column) in view; nothing for requests
// that do not move it.
std::optional<std::size_t> ScrolledTo(HWND window, int bar, int request, std::size_t current,
                                      std::size_t page, std::size_t last) {
    switch (request) {
        case SB_LINEUP:  // also SB_LINELEFT
            return current > 0 ? current - 1 : 0;
        case SB_LINEDOWN:  // also SB_LINERIGHT
            return current + 1;
        case SB_PAGEUP:
            return current > page ? current - page : 0;
        case SB_PAGEDOWN:
            return current + page;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return last;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit position: the message's own is cut to 16 bits.
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(window, bar, &info);
            return static_cast<std::size_t>(std::max(0, info.nTrackPos));
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

void Win32TextControl::VScroll(int request) {
    if (const auto top = ScrolledTo(window_, SB_VERT, request, topLine_, VisibleLines(),
                                    editor_.Text().LineCount())) {
        ScrollTo(*top, leftColumn_);
    }
}

void Win32TextControl::HScroll(int request) {
    if (const auto left = ScrolledTo(window_, SB_HORZ, request, leftColumn_, VisibleColumns(),
                                     editor_.Text().WidestLineColumns())) {
        ScrollTo(topLine_, *left);
    }
}

HDC Win32TextControl::BackBuffer(HDC screen, int width, int height) {
    if (backDc_ != nullptr && backSize_.cx >= width && backSize_.cy >= height) {
        return backDc_.get();
    }
    if (backDc_ == nullptr) {
        backDc_.reset(::CreateCompatibleDC(screen));
        if (backDc_ == nullptr) {
            return nullptr;
        }
    }
    // A device-independent bitmap: drawing into it never waits for the display.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = std::max(width, 1);
    format.bmiHeader.biHeight = -std::max(height, 1);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap == nullptr) {
        return nullptr;
    }
    // The new bitmap goes in before the old one is deleted: a selected bitmap is never deleted.
    backSelection_.Select(backDc_.get(), bitmap.get());
    backGoodAboveY_ = 0;
    backBitmap_ = std::move(bitmap);
    backSize_ = SIZE{std::max(width, 1), std::max(height, 1)};
    return backDc_.get();
}

void Win32TextControl::Paint() {
    const PaintDc paint(window_);
    if (::IsRectEmpty(&paint.Area())) {
        return;  // an earlier paint drew all that was invalid
    }
    HDC screen = paint.Get();
    RECT client{};
    ::GetClientRect(window_, &client);
    HDC back = BackBuffer(screen, client.right, client.bottom);
    HDC dc = back != nullptr ? back : screen;
    const SelectedObject font(dc, DrawingFont());
    const DcColors colors(dc);
    const bool enabled = ::IsWindowEnabled(window_) != FALSE;
    ::SetBkColor(dc, ::GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));

    // After appends only the lines below backGoodAboveY_ need drawing; any other paint draws
    // all it is asked to.
    const RECT& area = paint.Area();
    const LONG drawFrom =
        back != nullptr && backShifted_ ? std::max<LONG>(area.top, backGoodAboveY_) : area.top;
    const std::size_t lines = editor_.Text().LineCount();
    const auto firstRow = static_cast<std::size_t>(std::max<LONG>(0, drawFrom) / lineHeight_);
    int y = static_cast<int>(firstRow) * lineHeight_;
    for (std::size_t line = topLine_ + firstRow; y < paint.Area().bottom;
         ++line, y += lineHeight_) {
        if (line >= lines) {
            RECT rest{client.left, y, client.right, client.bottom};
            ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
            break;
        }
        PaintLine(dc, line, y, client);
    }
    if (back != nullptr) {
        ::BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, back,
                 area.left, area.top, SRCCOPY);
        if (drawFrom <= backGoodAboveY_ && area.bottom >= client.bottom) {
            backGoodAboveY_ = client.bottom;
        }
    }
    backShifted_ = false;
    lastPaintTick_ = ::GetTickCount64();
}

void Win32TextControl::PaintLine(HDC dc, std::size_t line, int y, const RECT& client) {
    const LineSlice slice = SliceInView(line);
    LineGeometry geometry;
    geometry.columnZeroX =
        margin_ - static_cast<long long>(leftColumn_) * static_cast<long long>(cellWidth_);
    geometry.cellWidth = cellWidth_;
    geometry.baseline = y + ascent_;
    geometry.clip = RECT{client.left, y, client.right, y + lineHeight_};
    LineColors colors;
    colors.text = ::GetTextColor(dc);
    colors.background = ::GetBkColor(dc);
    colors.selectedText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    colors.selectedBackground = ::GetSysColor(COLOR_HIGHLIGHT);
    // The selection shows only while the control has the focus.
    const bool showSelection = focused_ && editor_.HasSelection();
    const DcColors restore(dc);
    lineDrawing_.Draw(dc, slice, Win32LineDrawing::ScriptsOf(slice), geometry, colors,
                      showSelection ? editor_.SelectionStart() : 0,
                      showSelection ? editor_.SelectionEnd() : 0);
}

}  // namespace orsk
