#include "window/win32/Win32FallbackFonts.h"

#include <iterator>

#include "common/Utf16.h"

namespace orsk {
namespace {

// Faces that cover the world's scripts between them, Windows' own first, then those a Linux
// desktop under Wine has. A face that is not installed is mapped by GDI to some other font,
// which then only counts where it really has the glyph.
constexpr const wchar_t* kFallbackFaces[] = {
    L"Courier New",
    L"DejaVu Sans Mono",
    L"Lucida Console",
    L"DejaVu Sans",
    L"Segoe UI",
    L"Tahoma",
    L"MS Gothic",
    L"SimSun",
    L"Microsoft YaHei",
    L"Malgun Gothic",
    L"WenQuanYi Micro Hei",
    L"Leelawadee UI",
    L"Loma",
    L"Nirmala UI",
    L"Mangal",
    L"Lohit Devanagari",
    L"Segoe UI Symbol",
    L"Symbola",
};

}  // namespace

void Win32FallbackFonts::Reset(HFONT baseFont) {
    base_ = baseFont;
    baseLook_ = LOGFONTW{};
    if (base_ != nullptr) {
        ::GetObjectW(base_, sizeof(baseLook_), &baseLook_);
    }
    fallbacks_.clear();
    chosen_.clear();
}

HFONT Win32FallbackFonts::FontFor(HDC dc, char16_t unit) {
    // ASCII is in every font, and a surrogate half cannot be asked for on its own.
    if (unit < 0x80 || base_ == nullptr || IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        return base_;
    }
    if (const auto known = chosen_.find(unit); known != chosen_.end()) {
        return known->second;
    }
    HFONT font = base_;
    if (!HasGlyph(dc, base_, unit)) {
        for (std::size_t i = 0; i < std::size(kFallbackFaces); ++i) {
            HFONT fallback = Fallback(i);
            if (fallback != nullptr && HasGlyph(dc, fallback, unit)) {
                font = fallback;
                break;
            }
        }
    }
    chosen_.emplace(unit, font);
    return font;
}

bool Win32FallbackFonts::HasGlyph(HDC dc, HFONT font, char16_t unit) {
    const SelectedObject selected(dc, font);
    const wchar_t text = static_cast<wchar_t>(unit);
    WORD glyph = 0;
    if (::GetGlyphIndicesW(dc, &text, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        return true;  // cannot tell: draw it as the font draws it
    }
    return glyph != 0xFFFF;
}

HFONT Win32FallbackFonts::Fallback(std::size_t index) {
    while (fallbacks_.size() <= index) {
        LOGFONTW look = baseLook_;
        look.lfWidth = 0;
        look.lfCharSet = DEFAULT_CHARSET;
        look.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        const wchar_t* face = kFallbackFaces[fallbacks_.size()];
        wcsncpy_s(look.lfFaceName, face, _TRUNCATE);
        fallbacks_.emplace_back(::CreateFontIndirectW(&look));
    }
    return fallbacks_[index].get();
}

}  // namespace orsk
