#pragma once
// Fonts for the characters the view's font has no glyph for. The form's "Courier" is a raster
// font with the glyphs of one code page; drawn with it alone, Cyrillic, Greek, Chinese and every
// other script come out as its default glyph. Each character it lacks is drawn instead with the
// first font of a fallback list that has it, at the same height, on the same baseline and in the
// same cell, so that the grid of the view (caret, selection, mouse) stays as it is.
//
// Which font a character takes is asked of GDI once per character and remembered.

#include <windows.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "window/win32/Win32Handles.h"

namespace orsk {

class Win32FallbackFonts {
public:
    // Forgets what was learnt of the previous font.
    void Reset(HFONT baseFont);

    // The font to draw `unit` with: the base font, or a fallback font that has the glyph. Half a
    // surrogate pair, and characters no font has, take the base font.
    HFONT FontFor(HDC dc, char16_t unit);

private:
    static bool HasGlyph(HDC dc, HFONT font, char16_t unit);
    HFONT Fallback(std::size_t index);

    HFONT base_ = nullptr;
    LOGFONTW baseLook_{};
    std::vector<unique_hfont> fallbacks_;  // in the list's order, made when first needed
    std::unordered_map<char16_t, HFONT> chosen_;
};

}  // namespace orsk
