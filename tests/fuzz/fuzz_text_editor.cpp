// Fuzzes the view's text model with random edit scripts.
//
// A TextBuffer is held against a plain string: after every Append, Replace, Clear or refill its
// length, units, chunks, lines (CR LF pairs only) and the line of every position must be the
// string's, and its widest line never narrower than the string's widest (exact after a single
// append to an empty text). A TextEditor driven by the same script must keep its caret and
// anchor in the text, never stop a caret move inside a CR LF or a surrogate pair it did not
// start in, give back the text from before an edit on Undo and the text after it on a second
// Undo, forget the edit when the program adds text, and never find a position beyond a column.
// An edit run out of memory at one of its allocations must leave the editor exactly as it was.
// Where a cluster boundary falls is checked against a reference of the grapheme rules of its own
// (forward over the whole text, with the properties of the alphabet written out): every answer
// of IsClusterBoundary, every caret a user move or edit leaves, and every position found at a
// column.
//
// Input: a sequence of operations, each an opcode byte and its arguments. Units come from a
// small alphabet rich in line-break halves, tabs, surrogate halves (making emoji, flags and
// other symbols), marks, joiners and Hangul jamo.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "tests/fuzz/FuzzSupport.h"
#include "window/textmodel/GraphemeClusters.h"
#include "window/textmodel/TextBuffer.h"
#include "window/textmodel/TextColumns.h"
#include "window/textmodel/TextEditor.h"
#include "window/textmodel/TextLayout.h"

namespace {

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool More() const { return at_ < size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    std::u16string Units(std::size_t most) {
        static constexpr char16_t kAlphabet[] = {u'a',   u'B',   u' ',   u'\t',  u'\r',  u'\n',
                                                 u'\r',  u'\n',  0xD83D, 0xDE00, 0xD83C, 0xDDE9,
                                                 0xDDEA, 0xDC68, 0x0301, 0x200D, 0x0903, 0x0600,
                                                 0x1100, 0x1161, 0x11A8, 0xAC00, 0xAC01, 0xD83C};
        std::u16string units(Byte() % (most + 1), u'a');
        for (char16_t& unit : units) {
            unit = kAlphabet[Byte() % std::size(kAlphabet)];
        }
        return units;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::vector<std::size_t> LineStartsOf(std::u16string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            starts.push_back(i + 2);
        }
    }
    return starts;
}

std::optional<std::size_t> Columns(std::u16string_view line);

void CheckBuffer(const orsk::TextBuffer& buffer, const std::u16string& model, bool exactWidest) {
    ORSK_FUZZ_CHECK(buffer.Length() == model.size());
    ORSK_FUZZ_CHECK(buffer.ReadAll() == model);
    std::u16string joined;
    for (std::size_t c = 0; c < buffer.ChunkCount(); ++c) {
        ORSK_FUZZ_CHECK(buffer.ChunkStart(c) == joined.size());
        joined.append(buffer.Chunk(c));
    }
    ORSK_FUZZ_CHECK(joined == model);

    const std::vector<std::size_t> starts = LineStartsOf(model);
    ORSK_FUZZ_CHECK(buffer.LineCount() == starts.size());
    std::size_t widest = 0;
    bool widestKnown = true;
    for (std::size_t line = 0; line < starts.size(); ++line) {
        const std::size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : model.size();
        ORSK_FUZZ_CHECK(buffer.LineStart(line) == starts[line]);
        ORSK_FUZZ_CHECK(buffer.LineLength(line) == end - starts[line]);
        const std::optional<std::size_t> columns =
            Columns(std::u16string_view(model).substr(starts[line], end - starts[line]));
        widestKnown = widestKnown && columns.has_value();
        widest = std::max(widest, columns.value_or(0));
    }
    for (std::size_t p = 0; p <= model.size() + 1; ++p) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), p);
        ORSK_FUZZ_CHECK(buffer.LineOf(p) == static_cast<std::size_t>(after - starts.begin()) - 1);
        if (p < model.size()) {
            ORSK_FUZZ_CHECK(buffer.At(p) == model[p]);
        }
        ORSK_FUZZ_CHECK(buffer.Read(p, 3) == model.substr(std::min(p, model.size()), 3));
    }
    ORSK_FUZZ_CHECK(!widestKnown || buffer.WidestLineColumns() >= widest);
    if (exactWidest && widestKnown) {
        ORSK_FUZZ_CHECK(buffer.WidestLineColumns() == widest);
    }
}

// Inside a CR LF or between the halves of a pair.
bool Inside(const orsk::TextBuffer& text, std::size_t p) {
    return p > 0 && p < text.Length() &&
           ((text.At(p - 1) == u'\r' && text.At(p) == u'\n') ||
            (orsk::IsHighSurrogate(text.At(p - 1)) && orsk::IsLowSurrogate(text.At(p))));
}

// The grapheme-break properties of the code points the alphabet can make, from Unicode 15.0's
// data; anything else it makes is Other, and a lone surrogate half stands apart like a control.
enum class Ref { Other, CR, LF, Control, Extend, ZWJ, RI, Prepend, Mark, L, V, T, LV, LVT, Pict };

Ref RefProperty(char32_t c) {
    switch (c) {
        case u'\r':
            return Ref::CR;
        case u'\n':
            return Ref::LF;
        case u'\t':
            return Ref::Control;
        case 0x0301:
            return Ref::Extend;
        case 0x200D:
            return Ref::ZWJ;
        case 0x0903:
            return Ref::Mark;
        case 0x0600:
            return Ref::Prepend;
        case 0x1100:
            return Ref::L;
        case 0x1161:
            return Ref::V;
        case 0x11A8:
            return Ref::T;
        case 0xAC00:
            return Ref::LV;
        case 0xAC01:
            return Ref::LVT;
        case 0x1F1E9:
        case 0x1F1EA:
            return Ref::RI;
        case 0x1F600:
        case 0x1F5E9:
        case 0x1F5EA:
        case 0x1F468:
        case 0x1F068:
            return Ref::Pict;
        default:
            return c >= 0xD800 && c <= 0xDFFF ? Ref::Control : Ref::Other;
    }
}

// Whether a cluster starts at each position 0..size, walking the text forward; empty when the
// text holds a run of flags or a cluster longer than the editor looks back over, where it may
// split by design.
std::vector<bool> RefBoundaries(std::u16string_view text) {
    std::vector<bool> boundary(text.size() + 1, false);
    boundary[0] = boundary[text.size()] = true;
    Ref previous = Ref::Control;
    std::size_t indicators = 0;  // regional indicators just before
    bool pictExtends = false;    // after Extended_Pictographic Extend*
    bool pictJoiner = false;     // after Extended_Pictographic Extend* ZWJ
    std::size_t clusterStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = text[i];
        std::size_t next = i + 1;
        if (orsk::fuzz::IsHighSurrogate(text[i]) && next < text.size() &&
            orsk::fuzz::IsLowSurrogate(text[next])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[next] - 0xDC00);
            ++next;
        }
        const Ref p = RefProperty(c);
        bool split = true;
        if (i == 0) {
            split = true;
        } else if (previous == Ref::CR && p == Ref::LF) {
            split = false;
        } else if (previous == Ref::CR || previous == Ref::LF || previous == Ref::Control ||
                   p == Ref::CR || p == Ref::LF || p == Ref::Control) {
            split = true;
        } else if (previous == Ref::L &&
                   (p == Ref::L || p == Ref::V || p == Ref::LV || p == Ref::LVT)) {
            split = false;
        } else if ((previous == Ref::LV || previous == Ref::V) && (p == Ref::V || p == Ref::T)) {
            split = false;
        } else if ((previous == Ref::LVT || previous == Ref::T) && p == Ref::T) {
            split = false;
        } else if (p == Ref::Extend || p == Ref::ZWJ || p == Ref::Mark ||
                   previous == Ref::Prepend) {
            split = false;
        } else if (pictJoiner && p == Ref::Pict) {
            split = false;
        } else if (previous == Ref::RI && p == Ref::RI) {
            split = indicators % 2 == 0;
        }
        if (split) {
            boundary[i] = true;
            if (i - clusterStart > 60) {
                return {};
            }
            clusterStart = i;
        }
        indicators = p == Ref::RI ? indicators + 1 : 0;
        if (indicators > 30) {
            return {};
        }
        pictJoiner = pictExtends && p == Ref::ZWJ;
        pictExtends = p == Ref::Pict || (pictExtends && p == Ref::Extend);
        previous = p;
        i = next;
    }
    if (text.size() - clusterStart > 60) {
        return {};
    }
    return boundary;
}

// On a boundary by the reference; anything goes where the reference stands aside.
bool OnBoundary(const std::vector<bool>& boundaries, std::size_t p) {
    return boundaries.empty() || (p < boundaries.size() && boundaries[p]);
}

// The columns of a line by the reference clusters: a cluster's first code point takes its own
// width (two for the alphabet's wide ones, U+1100, U+AC00, U+AC01, U+1F200, U+1F468 and
// U+1F600; a tab to the next stop); after it, marks, joiners, jamo that join a syllable and
// emoji joined by a joiner take none, anything else its width. Nothing where the reference
// stands aside.
std::optional<std::size_t> Columns(std::u16string_view line) {
    const std::vector<bool> boundaries = RefBoundaries(line);
    if (boundaries.empty()) {
        return std::nullopt;
    }
    std::size_t column = 0;
    Ref previous = Ref::Control;
    for (std::size_t i = 0; i < line.size();) {
        char32_t c = line[i];
        std::size_t next = i + 1;
        if (orsk::fuzz::IsHighSurrogate(line[i]) && next < line.size() &&
            orsk::fuzz::IsLowSurrogate(line[next])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (line[next] - 0xDC00);
            ++next;
        }
        const Ref p = RefProperty(c);
        const bool wide = c == 0x1100 || c == 0xAC00 || c == 0xAC01 || c == 0x1F200 ||
                          c == 0x1F468 || c == 0x1F600;
        std::size_t width = wide ? 2 : 1;
        if (c == u'\t') {
            width = 8 - column % 8;
        } else if (!boundaries[i]) {
            const bool jamo = previous == Ref::L || previous == Ref::V || previous == Ref::T ||
                              previous == Ref::LV || previous == Ref::LVT;
            if (p == Ref::Extend || p == Ref::ZWJ || ((p == Ref::V || p == Ref::T) && jamo) ||
                (p == Ref::Pict && previous == Ref::ZWJ)) {
                width = 0;
            }
        }
        column += width;
        previous = p;
        i = next;
    }
    return column;
}

void CheckEditor(const orsk::TextEditor& editor) {
    const orsk::TextBuffer& text = editor.Text();
    ORSK_FUZZ_CHECK(editor.Anchor() <= editor.Length());
    ORSK_FUZZ_CHECK(editor.Caret() <= editor.Length());
    ORSK_FUZZ_CHECK(text.LineCount() == LineStartsOf(text.ReadAll()).size());
    const std::vector<bool> boundaries = RefBoundaries(text.ReadAll());
    if (!boundaries.empty()) {
        for (std::size_t p = 0; p <= text.Length() + 1; ++p) {
            ORSK_FUZZ_CHECK(orsk::IsClusterBoundary(text, p) == OnBoundary(boundaries, p));
        }
    }
    const std::size_t line = text.LineOf(editor.Caret());
    for (std::size_t column = 0; column < 20; ++column) {
        const std::size_t p = editor.PositionAtColumn(line, column);
        ORSK_FUZZ_CHECK(text.LineOf(p) == line);
        ORSK_FUZZ_CHECK(editor.ColumnOf(p) <= column);
        ORSK_FUZZ_CHECK(!Inside(text, p));
        ORSK_FUZZ_CHECK(OnBoundary(boundaries, p));
    }
    // What the screen draws of the line from a few columns in: whole clusters, side by side
    // where the caret's columns put them.
    const std::size_t first = editor.Caret() % 5;
    const orsk::LineSlice slice = orsk::SliceLine(text, line, first, 12);
    std::size_t units = 0;
    for (std::size_t i = 0; i < slice.clusters.size(); ++i) {
        const orsk::SliceCluster& cluster = slice.clusters[i];
        ORSK_FUZZ_CHECK(cluster.offset == units);
        units += cluster.length;
        ORSK_FUZZ_CHECK(OnBoundary(boundaries, cluster.position));
        ORSK_FUZZ_CHECK(editor.ColumnOf(cluster.position) == cluster.column);
        ORSK_FUZZ_CHECK(cluster.column + cluster.width > first && cluster.column < first + 12);
        if (i > 0) {
            const orsk::SliceCluster& before = slice.clusters[i - 1];
            ORSK_FUZZ_CHECK(before.column + before.width == cluster.column);
            ORSK_FUZZ_CHECK(before.position + before.length == cluster.position);
        }
    }
    ORSK_FUZZ_CHECK(units == slice.text.size());
}

// The same text, line index, selection, modified flag and undo.
bool SameEditor(const orsk::TextEditor& a, const orsk::TextEditor& b) {
    if (a.Text().ReadAll() != b.Text().ReadAll() || a.Anchor() != b.Anchor() ||
        a.Caret() != b.Caret() || a.Modified() != b.Modified() || a.CanUndo() != b.CanUndo() ||
        a.Text().LineCount() != b.Text().LineCount()) {
        return false;
    }
    for (std::size_t line = 0; line < a.Text().LineCount(); ++line) {
        if (a.Text().LineStart(line) != b.Text().LineStart(line) ||
            a.Text().LineLength(line) != b.Text().LineLength(line)) {
            return false;
        }
    }
    orsk::TextEditor aUndone = a;
    orsk::TextEditor bUndone = b;
    aUndone.Undo();
    bUndone.Undo();
    return aUndone.Text().ReadAll() == bUndone.Text().ReadAll() &&
           aUndone.Anchor() == bUndone.Anchor() && aUndone.Caret() == bUndone.Caret();
}

// Runs an edit that fails at its allocation `failAt` (0: none). Gives what the edit returned,
// or nothing when it failed, having checked that the failure left the editor as it was.
template <class Edit>
std::optional<bool> Attempt(orsk::TextEditor& editor, std::size_t failAt, Edit edit) {
    if (failAt == 0) {
        return edit();
    }
    const orsk::TextEditor before = editor;
    orsk::AllocationFaults::countdown = failAt;
    try {
        const bool result = edit();
        orsk::AllocationFaults::countdown = 0;
        return result;
    } catch (const std::bad_alloc&) {
        orsk::AllocationFaults::countdown = 0;
        ORSK_FUZZ_CHECK(SameEditor(editor, before));
        return std::nullopt;
    }
}

void RunBuffer(Script& script) {
    orsk::TextBuffer buffer;
    std::u16string model;
    int appendsSinceClear = 0;
    bool editedSinceClear = false;
    for (int step = 0; step < 64 && script.More(); ++step) {
        const std::uint8_t op = script.Byte();
        if (op == 0xFF) {
            return;  // the rest of the script drives the editor
        }
        switch (op % 6) {
            case 0:
            case 1: {
                const std::u16string text = script.Units(op % 6 ? 12 : 4);
                buffer.Append(text);
                model += text;
                ++appendsSinceClear;
                break;
            }
            case 2:
            case 3: {
                const std::size_t start = script.Byte();
                const std::size_t length = script.Byte() % 8;
                const std::u16string text = script.Units(6);
                buffer.Replace(start, length, text);
                const std::size_t from = std::min(start, model.size());
                model.replace(from, std::min(length, model.size() - from), text);
                editedSinceClear = true;
                break;
            }
            case 4:
                buffer.Clear();
                model.clear();
                appendsSinceClear = 0;
                editedSinceClear = false;
                break;
            default:
                buffer.ClearForRefill();
                model.clear();
                appendsSinceClear = 0;
                editedSinceClear = false;
                if (op & 0x40) {
                    const std::u16string text = script.Units(16);
                    buffer.Append(text);
                    model = text;
                    appendsSinceClear = 1;
                    buffer.ReleaseSpareChunks();
                }
                break;
        }
        CheckBuffer(buffer, model, appendsSinceClear == 1 && !editedSinceClear);
    }
}

void RunEditor(Script& script) {
    orsk::TextEditor editor;
    for (int step = 0; step < 96 && script.More(); ++step) {
        const std::uint8_t op = script.Byte();
        // Bit 0x40 runs the step's edit out of memory at one of its first allocations.
        const std::size_t failAt = (op & 0x40) != 0 ? script.Byte() % 8 + 1 : 0;
        const std::u16string before = editor.Text().ReadAll();
        const bool wasInside =
            Inside(editor.Text(), editor.Caret()) || Inside(editor.Text(), editor.Anchor());
        const std::vector<bool> boundariesBefore = RefBoundaries(before);
        // Only Select puts an end off a boundary; a user move keeps it there only by collapsing
        // the selection onto it.
        const bool wasOnBoundaries = OnBoundary(boundariesBefore, editor.Caret()) &&
                                     OnBoundary(boundariesBefore, editor.Anchor());
        bool edited = false;
        bool userEdit = false;
        switch (op % 10) {
            case 0:
            case 1: {
                const std::uint8_t how = script.Byte();
                const bool extend = (how & 0x80) != 0;
                editor.Move(static_cast<orsk::CaretMove>(how % 12), extend, script.Byte() % 5);
                ORSK_FUZZ_CHECK(wasInside || !Inside(editor.Text(), editor.Caret()));
                ORSK_FUZZ_CHECK(!(extend || wasOnBoundaries) ||
                                OnBoundary(boundariesBefore, editor.Caret()));
                ORSK_FUZZ_CHECK(!wasOnBoundaries || OnBoundary(boundariesBefore, editor.Anchor()));
                break;
            }
            case 2:
                editor.Select(script.Byte(), script.Byte());
                break;
            case 3:
                editor.SelectWordAt(script.Byte());
                ORSK_FUZZ_CHECK(editor.Anchor() <= editor.Caret());
                ORSK_FUZZ_CHECK(OnBoundary(boundariesBefore, editor.Anchor()));
                ORSK_FUZZ_CHECK(OnBoundary(boundariesBefore, editor.Caret()));
                break;
            case 4: {
                const std::u16string unit = script.Units(1);
                const bool overSelection = editor.HasSelection();
                const bool typed = Attempt(editor, failAt, [&] {
                                       return editor.TypeCharacter(unit.empty() ? u'x' : unit[0]);
                                   }).has_value();
                edited = typed && overSelection;  // typing alone may join the typing before it
                userEdit = typed;
                break;
            }
            case 5:
                edited =
                    Attempt(editor, failAt, [&] { return editor.Backspace(); }).value_or(false);
                userEdit = edited;
                break;
            case 6:
                edited =
                    Attempt(editor, failAt, [&] { return editor.DeleteForward(); }).value_or(false);
                userEdit = edited;
                break;
            case 7: {
                const std::u16string text = script.Units(5);
                edited = Attempt(editor, failAt, [&] {
                             return editor.ReplaceSelection(text);
                         }).value_or(false);
                userEdit = edited;
                break;
            }
            case 8: {
                const std::u16string text = script.Units(8);
                if (Attempt(editor, failAt, [&] {
                        editor.AppendProgramText(text);
                        return true;
                    }).has_value()) {
                    ORSK_FUZZ_CHECK(editor.Text().ReadAll() == before + text);
                    ORSK_FUZZ_CHECK(!editor.CanUndo() && !editor.HasSelection());
                    ORSK_FUZZ_CHECK(editor.Caret() == editor.Length());
                }
                break;
            }
            default:
                if (op & 0x80) {
                    const std::u16string text = script.Units(8);
                    if (Attempt(editor, failAt, [&] {
                            editor.ReplaceAllProgramText(text);
                            return true;
                        }).has_value()) {
                        ORSK_FUZZ_CHECK(editor.Text().ReadAll() == text);
                        ORSK_FUZZ_CHECK(!editor.CanUndo() && editor.Caret() == text.size());
                    }
                } else if (Attempt(editor, failAt, [&] { return editor.Undo(); }).value_or(false)) {
                    // Undo twice gives the text back.
                    const std::u16string undone = editor.Text().ReadAll();
                    ORSK_FUZZ_CHECK(editor.Undo());
                    ORSK_FUZZ_CHECK(editor.Text().ReadAll() == before);
                    ORSK_FUZZ_CHECK(editor.Undo());
                    ORSK_FUZZ_CHECK(editor.Text().ReadAll() == undone);
                }
                break;
        }
        if (userEdit) {
            // Even where the edit joined the text around it into one cluster.
            const std::vector<bool> boundariesAfter = RefBoundaries(editor.Text().ReadAll());
            ORSK_FUZZ_CHECK(!editor.HasSelection());
            ORSK_FUZZ_CHECK(OnBoundary(boundariesAfter, editor.Caret()));
        }
        if (edited) {
            ORSK_FUZZ_CHECK(editor.CanUndo() && editor.Modified());
            const std::u16string after = editor.Text().ReadAll();
            ORSK_FUZZ_CHECK(editor.Undo());
            ORSK_FUZZ_CHECK(editor.Text().ReadAll() == before);
            ORSK_FUZZ_CHECK(editor.Undo());
            ORSK_FUZZ_CHECK(editor.Text().ReadAll() == after);
        }
        CheckEditor(editor);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Script script(data, size);
    RunBuffer(script);
    RunEditor(script);
    return 0;
}
