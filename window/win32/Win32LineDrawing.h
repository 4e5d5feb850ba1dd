#pragma once
// Draws a line of the view, every script as the system's text controls draw it: through the
// script processor (Uniscribe: ScriptItemize, ScriptShape, ScriptPlace, ScriptTextOut), so that
// marks sit on their letters, Arabic joins and runs right to left, and characters above U+FFFF
// (emoji) draw at all; and with fonts of our own choosing for what the view's font lacks, since
// the form's "Courier" is a raster font with the glyphs of one code page.
//
// Each grapheme cluster is drawn whole in one font, centred in the columns the text model gives
// it (one, or two for wide characters), so the grid of the view stays: the caret, the selection
// and the mouse stand where the text is drawn. Which font draws a cluster is asked of GDI once
// per cluster and remembered.
//
// Plain runs (single characters of a simple script that the view's own font has) are drawn
// with one ExtTextOutW call, as before; only the rest goes through shaping.

#include <usp10.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "window/textmodel/TextLayout.h"
#include "window/win32/Win32Handles.h"

namespace orsk {

// The scripts of a slice: the bidirectional level of each cluster and, for drawing, the script
// item each belongs to. A slice of ASCII is not itemized: it is one left-to-right item.
struct SliceScripts {
    std::vector<unsigned char> levels;      // of each cluster
    std::vector<std::size_t> itemOf;        // of each cluster; empty when plain
    std::vector<SCRIPT_ANALYSIS> analyses;  // of each item
    bool HasRightToLeft() const;
};

// Where one line goes on the device context.
struct LineGeometry {
    long long columnZeroX = 0;  // the x of column 0 (left of the client area when scrolled)
    int cellWidth = 8;
    int baseline = 13;
    RECT clip{};  // the line's part of the client area
};

struct LineColors {
    COLORREF text = 0;
    COLORREF background = 0;
    COLORREF selectedText = 0;
    COLORREF selectedBackground = 0;
};

class Win32LineDrawing {
public:
    Win32LineDrawing() = default;
    Win32LineDrawing(const Win32LineDrawing&) = delete;
    Win32LineDrawing& operator=(const Win32LineDrawing&) = delete;
    ~Win32LineDrawing();

    // Forgets what was learnt of the previous font.
    void Reset(HFONT baseFont);

    // Itemizes `slice` when it may hold anything but plain left-to-right text.
    static SliceScripts ScriptsOf(const LineSlice& slice);

    // Draws the slice on its line (background, selection and text). The clusters whose
    // positions lie in [selectionStart, selectionEnd) show selected.
    void Draw(HDC dc, const LineSlice& slice, const SliceScripts& scripts,
              const LineGeometry& geometry, const LineColors& colors, std::size_t selectionStart,
              std::size_t selectionEnd);

private:
    struct FontSlot {
        HFONT font = nullptr;
        unique_hfont owned;  // the fallback fonts; the base font belongs to the form
        SCRIPT_CACHE cache = nullptr;
        WORD defaultGlyph = 0;
        bool trueType = false;
        bool made = false;
    };
    // A piece of the line drawn with one call: consecutive clusters in one font, one script
    // item and one selected state.
    struct Run {
        std::size_t first = 0;  // clusters [first, end)
        std::size_t end = 0;
        std::size_t font = 0;
        bool selected = false;
    };

    FontSlot& Slot(HDC dc, std::size_t index);
    std::size_t FontFor(HDC dc, const LineSlice& slice, const SliceCluster& cluster,
                        const SCRIPT_ANALYSIS& analysis);
    bool FontHas(HDC dc, std::size_t index, std::u16string_view units,
                 const SCRIPT_ANALYSIS& analysis);
    bool Shape(HDC dc, FontSlot& slot, std::u16string_view units, SCRIPT_ANALYSIS& analysis);
    void DrawPlainRun(HDC dc, const LineSlice& slice, const Run& run,
                      const std::vector<long long>& cellX, const LineGeometry& geometry);
    void DrawShapedRun(HDC dc, const LineSlice& slice, const Run& run, SCRIPT_ANALYSIS analysis,
                       const std::vector<long long>& cellX, const LineGeometry& geometry);

    HFONT base_ = nullptr;
    LOGFONTW baseLook_{};
    std::vector<FontSlot> slots_;  // 0: the base font, then the fallback list's, made when needed
    std::unordered_map<char16_t, std::size_t> unitFont_;
    std::unordered_map<std::u16string, std::size_t> clusterFont_;
    // Scratch space of the shaping, kept between calls.
    std::vector<WORD> glyphs_;
    std::vector<WORD> clusterMap_;
    std::vector<SCRIPT_VISATTR> visual_;
    std::vector<int> advances_;
    std::vector<GOFFSET> offsets_;
};

}  // namespace orsk
