#include "window/win32/Win32LineDrawing.h"

#include <algorithm>
#include <iterator>
#include <limits>

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
    L"Segoe UI Emoji",
    L"Segoe UI Symbol",
    L"Symbola",
};
constexpr std::size_t kSlotCount = 1 + std::size(kFallbackFaces);

// Characters that draw nothing of their own (joiners, direction marks, variation selectors,
// the soft hyphen): a font need not have them.
bool IsIgnorable(char16_t unit) {
    return (unit >= 0x200B && unit <= 0x200F) || (unit >= 0x202A && unit <= 0x202E) ||
           (unit >= 0x2060 && unit <= 0x2069) || (unit >= 0xFE00 && unit <= 0xFE0F) ||
           unit == 0x00AD;
}

int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -(1 << 26), 1 << 26));
}

bool IsComplex(const SCRIPT_ANALYSIS& analysis) {
    static const SCRIPT_PROPERTIES** properties = nullptr;
    static int count = 0;
    if (properties == nullptr && FAILED(::ScriptGetProperties(&properties, &count))) {
        return true;
    }
    return analysis.eScript >= count || properties[analysis.eScript]->fComplex;
}

}  // namespace

bool SliceScripts::HasRightToLeft() const {
    return std::any_of(levels.begin(), levels.end(), [](unsigned char level) { return level % 2; });
}

Win32LineDrawing::~Win32LineDrawing() {
    Reset(nullptr);
}

void Win32LineDrawing::Reset(HFONT baseFont) {
    for (FontSlot& slot : slots_) {
        ::ScriptFreeCache(&slot.cache);
    }
    slots_.clear();
    unitFont_.clear();
    clusterFont_.clear();
    base_ = baseFont;
    baseLook_ = LOGFONTW{};
    if (base_ != nullptr) {
        ::GetObjectW(base_, sizeof(baseLook_), &baseLook_);
    }
}

SliceScripts Win32LineDrawing::ScriptsOf(const LineSlice& slice) {
    SliceScripts scripts;
    scripts.levels.assign(slice.clusters.size(), 0);
    const bool plain = std::all_of(slice.text.begin(), slice.text.end(),
                                   [](char16_t unit) { return unit < 0x80; });
    if (plain ||
        slice.text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) {
        return scripts;
    }
    const int length = static_cast<int>(slice.text.size());
    std::vector<SCRIPT_ITEM> items(slice.text.size() + 2);
    SCRIPT_CONTROL control{};
    SCRIPT_STATE state{};
    int count = 0;
    if (FAILED(::ScriptItemize(reinterpret_cast<const wchar_t*>(slice.text.data()), length,
                               static_cast<int>(items.size()) - 1, &control, &state, items.data(),
                               &count)) ||
        count <= 0) {
        return scripts;
    }
    scripts.analyses.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        scripts.analyses.push_back(items[static_cast<std::size_t>(i)].a);
    }
    scripts.itemOf.resize(slice.clusters.size());
    std::size_t item = 0;
    for (std::size_t k = 0; k < slice.clusters.size(); ++k) {
        const auto offset = static_cast<int>(slice.clusters[k].offset);
        while (item + 1 < static_cast<std::size_t>(count) && items[item + 1].iCharPos <= offset) {
            ++item;
        }
        scripts.itemOf[k] = item;
        scripts.levels[k] = static_cast<unsigned char>(scripts.analyses[item].s.uBidiLevel);
    }
    return scripts;
}

Win32LineDrawing::FontSlot& Win32LineDrawing::Slot(HDC dc, std::size_t index) {
    if (slots_.size() < kSlotCount) {
        slots_.resize(kSlotCount);
    }
    FontSlot& slot = slots_[index];
    if (slot.made) {
        return slot;
    }
    slot.made = true;
    if (index == 0) {
        slot.font = base_;
    } else if (base_ != nullptr) {
        LOGFONTW look = baseLook_;
        look.lfWidth = 0;
        look.lfCharSet = DEFAULT_CHARSET;
        look.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        wcsncpy_s(look.lfFaceName, kFallbackFaces[index - 1], _TRUNCATE);
        slot.owned.reset(::CreateFontIndirectW(&look));
        slot.font = slot.owned.get();
    }
    if (slot.font != nullptr) {
        const SelectedObject selected(dc, slot.font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        slot.trueType = (metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) != 0;
        SCRIPT_FONTPROPERTIES properties{};
        properties.cBytes = sizeof(properties);
        if (SUCCEEDED(::ScriptGetFontProperties(dc, &slot.cache, &properties))) {
            slot.defaultGlyph = properties.wgDefault;
        }
    }
    return slot;
}

std::size_t Win32LineDrawing::FontFor(HDC dc, const LineSlice& slice, const SliceCluster& cluster,
                                      const SCRIPT_ANALYSIS& analysis) {
    const std::u16string_view units =
        std::u16string_view(slice.text).substr(cluster.offset, cluster.length);
    if (units.size() == 1 && units[0] < 0x80) {
        return 0;  // ASCII is in every font
    }
    if (units.size() == 1) {
        if (const auto known = unitFont_.find(units[0]); known != unitFont_.end()) {
            return known->second;
        }
    } else if (const auto known = clusterFont_.find(std::u16string(units));
               known != clusterFont_.end()) {
        return known->second;
    }
    std::size_t chosen = 0;  // nothing has it: the view's font draws its default glyph
    for (std::size_t index = 0; index < kSlotCount; ++index) {
        if (FontHas(dc, index, units, analysis)) {
            chosen = index;
            break;
        }
    }
    if (units.size() == 1) {
        unitFont_.emplace(units[0], chosen);
    } else {
        clusterFont_.emplace(std::u16string(units), chosen);
    }
    return chosen;
}

bool Win32LineDrawing::FontHas(HDC dc, std::size_t index, std::u16string_view units,
                               const SCRIPT_ANALYSIS& analysis) {
    FontSlot& slot = Slot(dc, index);
    if (slot.font == nullptr) {
        return false;
    }
    const SelectedObject selected(dc, slot.font);
    // GDI's own answer first: shaping with a raster font never reports a missing glyph, and
    // GDI cannot be asked about a character above U+FFFF, which only a TrueType font may have.
    for (const char16_t unit : units) {
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            if (!slot.trueType) {
                return false;
            }
            continue;
        }
        if (IsIgnorable(unit)) {
            continue;
        }
        const wchar_t character = static_cast<wchar_t>(unit);
        WORD glyph = 0;
        if (::GetGlyphIndicesW(dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) !=
                GDI_ERROR &&
            glyph == 0xFFFF) {
            return false;
        }
    }
    if (!slot.trueType) {
        return true;
    }
    SCRIPT_ANALYSIS shaped = analysis;
    if (!Shape(dc, slot, units, shaped)) {
        return false;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (IsLowSurrogate(units[i]) || IsIgnorable(units[i])) {
            continue;
        }
        // Glyph 0 is a TrueType font's "missing" glyph, whatever the font says its default is.
        if (clusterMap_[i] < glyphs_.size() &&
            (glyphs_[clusterMap_[i]] == slot.defaultGlyph || glyphs_[clusterMap_[i]] == 0)) {
            return false;
        }
    }
    return true;
}

bool Win32LineDrawing::Shape(HDC dc, FontSlot& slot, std::u16string_view units,
                             SCRIPT_ANALYSIS& analysis) {
    const int length = static_cast<int>(units.size());
    int room = length * 3 / 2 + 16;
    clusterMap_.resize(units.size());
    for (int attempt = 0; attempt < 8; ++attempt) {
        glyphs_.resize(static_cast<std::size_t>(room));
        visual_.resize(static_cast<std::size_t>(room));
        int count = 0;
        const HRESULT result = ::ScriptShape(
            dc, &slot.cache, reinterpret_cast<const wchar_t*>(units.data()), length, room,
            &analysis, glyphs_.data(), clusterMap_.data(), visual_.data(), &count);
        if (result == E_OUTOFMEMORY) {
            room *= 2;
        } else if (result == USP_E_SCRIPT_NOT_IN_FONT && analysis.eScript != SCRIPT_UNDEFINED) {
            analysis.eScript = SCRIPT_UNDEFINED;  // the font's glyphs, unshaped
        } else if (SUCCEEDED(result)) {
            glyphs_.resize(static_cast<std::size_t>(count));
            visual_.resize(static_cast<std::size_t>(count));
            return true;
        } else {
            return false;
        }
    }
    return false;
}

void Win32LineDrawing::Draw(HDC dc, const LineSlice& slice, const SliceScripts& scripts,
                            const LineGeometry& geometry, const LineColors& colors,
                            std::size_t selectionStart, std::size_t selectionEnd) {
    const RECT& clip = geometry.clip;
    ::SetBkColor(dc, colors.background);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &clip, nullptr, 0, nullptr);
    if (slice.clusters.empty()) {
        return;
    }
    const std::vector<std::size_t> visual = VisualColumns(slice, scripts.levels);
    std::vector<long long> cellX(slice.clusters.size());
    for (std::size_t k = 0; k < slice.clusters.size(); ++k) {
        cellX[k] = geometry.columnZeroX + static_cast<long long>(visual[k]) * geometry.cellWidth;
    }
    static const SCRIPT_ANALYSIS kPlain{};
    auto analysisOf = [&](std::size_t k) -> const SCRIPT_ANALYSIS& {
        return scripts.itemOf.empty() ? kPlain : scripts.analyses[scripts.itemOf[k]];
    };
    auto itemOf = [&](std::size_t k) { return scripts.itemOf.empty() ? 0 : scripts.itemOf[k]; };

    std::vector<Run> runs;
    for (std::size_t k = 0; k < slice.clusters.size(); ++k) {
        const SliceCluster& cluster = slice.clusters[k];
        const std::size_t font = FontFor(dc, slice, cluster, analysisOf(k));
        const bool selected = cluster.position >= selectionStart && cluster.position < selectionEnd;
        if (!runs.empty() && runs.back().font == font && runs.back().selected == selected &&
            itemOf(runs.back().first) == itemOf(k)) {
            runs.back().end = k + 1;
        } else {
            runs.push_back({k, k + 1, font, selected});
        }
    }

    // The selection's background first, then every run's text over it, so that a glyph that
    // reaches past its cells is not cut off by the next run's background.
    ::SetBkColor(dc, colors.selectedBackground);
    for (const Run& run : runs) {
        if (!run.selected) {
            continue;
        }
        long long left = cellX[run.first];
        long long right = left;
        for (std::size_t k = run.first; k < run.end; ++k) {
            left = std::min(left, cellX[k]);
            right = std::max(right, cellX[k] + static_cast<long long>(slice.clusters[k].width) *
                                                   geometry.cellWidth);
        }
        RECT cells{std::max<LONG>(clip.left, ClampToInt(left)), clip.top,
                   std::min<LONG>(clip.right, ClampToInt(right)), clip.bottom};
        if (cells.left < cells.right) {
            ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &cells, nullptr, 0, nullptr);
        }
    }
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const UINT oldAlign = ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    for (const Run& run : runs) {
        ::SetTextColor(dc, run.selected ? colors.selectedText : colors.text);
        const SCRIPT_ANALYSIS& analysis = analysisOf(run.first);
        bool plain = run.font == 0 && analysis.s.uBidiLevel % 2 == 0 &&
                     (scripts.itemOf.empty() || !IsComplex(analysis));
        for (std::size_t k = run.first; plain && k < run.end; ++k) {
            plain = slice.clusters[k].length == 1;
        }
        if (plain) {
            DrawPlainRun(dc, slice, run, cellX, geometry);
        } else {
            DrawShapedRun(dc, slice, run, analysis, cellX, geometry);
        }
    }
    ::SetTextAlign(dc, oldAlign);
    ::SetBkMode(dc, oldMode);
}

void Win32LineDrawing::DrawPlainRun(HDC dc, const LineSlice& slice, const Run& run,
                                    const std::vector<long long>& cellX,
                                    const LineGeometry& geometry) {
    const SliceCluster& first = slice.clusters[run.first];
    const SliceCluster& last = slice.clusters[run.end - 1];
    const std::size_t length = last.offset + last.length - first.offset;
    advances_.clear();
    for (std::size_t k = run.first; k < run.end; ++k) {
        for (std::size_t i = 0; i < slice.clusters[k].length; ++i) {
            advances_.push_back(i + 1 == slice.clusters[k].length
                                    ? static_cast<int>(slice.clusters[k].width) * geometry.cellWidth
                                    : 0);
        }
    }
    const SelectedObject font(dc, Slot(dc, run.font).font);
    ::ExtTextOutW(dc, ClampToInt(cellX[run.first]), geometry.baseline, ETO_CLIPPED, &geometry.clip,
                  reinterpret_cast<const wchar_t*>(slice.text.data() + first.offset),
                  static_cast<UINT>(length), advances_.data());
}

void Win32LineDrawing::DrawShapedRun(HDC dc, const LineSlice& slice, const Run& run,
                                     SCRIPT_ANALYSIS analysis, const std::vector<long long>& cellX,
                                     const LineGeometry& geometry) {
    const SliceCluster& first = slice.clusters[run.first];
    const SliceCluster& last = slice.clusters[run.end - 1];
    const std::u16string_view units =
        std::u16string_view(slice.text)
            .substr(first.offset, last.offset + last.length - first.offset);
    FontSlot& slot = Slot(dc, run.font);
    const SelectedObject font(dc, slot.font);
    ABC extent{};
    if (!Shape(dc, slot, units, analysis) || glyphs_.empty()) {
        DrawPlainRun(dc, slice, run, cellX, geometry);
        return;
    }
    const std::size_t count = glyphs_.size();
    advances_.assign(count, 0);
    offsets_.assign(count, GOFFSET{});
    if (FAILED(::ScriptPlace(dc, &slot.cache, glyphs_.data(), static_cast<int>(count),
                             visual_.data(), &analysis, advances_.data(), offsets_.data(),
                             &extent))) {
        DrawPlainRun(dc, slice, run, cellX, geometry);
        return;
    }

    // The cluster each glyph belongs to: the one whose unit points at it, else (a glyph that
    // no unit points at, such as the second glyph of a decomposed letter) the one of the glyph
    // before it in the cluster's direction.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> owner(count, kNone);
    for (std::size_t k = run.first, unit = 0; k < run.end; ++k) {
        for (std::size_t i = 0; i < slice.clusters[k].length; ++i, ++unit) {
            const WORD glyph = clusterMap_[unit];
            if (glyph < count && owner[glyph] == kNone) {
                owner[glyph] = k;
            }
        }
    }
    const bool rightToLeft = analysis.s.uBidiLevel % 2 == 1;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t g = rightToLeft ? count - 1 - step : step;
        if (owner[g] == kNone) {
            const std::size_t before = rightToLeft ? g + 1 : g - 1;
            owner[g] = step > 0 ? owner[before] : run.first;
        }
    }

    // Each cluster's glyphs keep their own spacing and are centred in the cluster's cells; the
    // glyphs of a cluster wider than its cells (an emoji sequence the font has no single glyph
    // for) are drawn closer together, so that they stay off the neighbours' cells.
    std::vector<int> natural(run.end - run.first, 0);
    for (std::size_t g = 0; g < count; ++g) {
        natural[owner[g] - run.first] += advances_[g];
    }
    std::vector<int> used(run.end - run.first, 0);
    std::vector<long long> x(count);
    for (std::size_t g = 0; g < count; ++g) {
        const std::size_t k = owner[g];
        const long long cells =
            static_cast<long long>(slice.clusters[k].width) * geometry.cellWidth;
        const long long wide = natural[k - run.first];
        const long long inside = used[k - run.first];
        x[g] = cellX[k] + (wide <= cells ? (cells - wide) / 2 + inside : inside * cells / wide);
        used[k - run.first] += advances_[g];
    }
    for (std::size_t g = 0; g + 1 < count; ++g) {
        advances_[g] = ClampToInt(x[g + 1] - x[g]);
    }
    ::ScriptTextOut(dc, &slot.cache, ClampToInt(x[0]), geometry.baseline, ETO_CLIPPED,
                    &geometry.clip, &analysis, nullptr, 0, glyphs_.data(), static_cast<int>(count),
                    advances_.data(), nullptr, offsets_.data());
}

}  // namespace orsk
