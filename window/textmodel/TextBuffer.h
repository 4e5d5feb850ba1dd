#pragma once
// The view's text in memory: UTF-16 units kept in large chunks, with the position at which each
// line starts. Lines end at CR LF, as in the system's text boxes; a lone CR or LF is an ordinary
// character of its line.
//
// Made for a text that grows at its end by millions of lines while it is on screen: appending
// copies the new units into the last chunk and notes the new line starts, so its cost does not
// depend on how long the text already is. An edit elsewhere (the user's) costs one chunk's
// units plus the line index. Chunks are large enough that the heap gives each its own pages,
// so clearing the text gives its memory back to the system.
//
// Every change is all or nothing: when memory runs out part of the way, the text, its line
// index and its figures stay as they were, so that a screen drawn from them never reads beyond
// the text.

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "window/textmodel/TextColumns.h"

namespace orsk {

// A seam for the tests: every place where the text model may take memory first calls
// MayAllocate(). A test sets `countdown` to n to make the nth such call from then on throw
// std::bad_alloc, and so runs an edit out of memory at each of its steps in turn. The program
// leaves it at 0, where a call costs a load and a branch.
struct AllocationFaults {
    static inline std::size_t countdown = 0;
    static void MayAllocate() {
        if (countdown != 0 && --countdown == 0) {
            throw std::bad_alloc();
        }
    }
};

class TextBuffer {
public:
    // 2 MiB of text per chunk.
    static constexpr std::size_t kChunkUnits = std::size_t{1} << 20;

    std::size_t Length() const { return length_; }
    bool Empty() const { return length_ == 0; }

    // There is always at least one line; a text ending with CR LF ends with an empty line.
    std::size_t LineCount() const { return lineStarts_.size(); }
    std::size_t LineStart(std::size_t line) const { return lineStarts_[line]; }
    // The line's units without its line break.
    std::size_t LineLength(std::size_t line) const;
    // The line that holds `position`; a position right after a line break starts the next
    // line, and positions at or beyond the end belong to the last line.
    std::size_t LineOf(std::size_t position) const;
    std::u16string Line(std::size_t line) const { return Read(LineStart(line), LineLength(line)); }

    // The unit at `position` (< Length()).
    char16_t At(std::size_t position) const;
    // Up to `length` units from `start`; nothing beyond the end.
    std::u16string Read(std::size_t start, std::size_t length) const;
    std::u16string ReadAll() const { return Read(0, length_); }
    // Copies up to `length` units from `start` to `out`; returns how many.
    std::size_t CopyTo(std::size_t start, std::size_t length, char16_t* out) const;

    // The text as consecutive pieces, for scans that must not copy it.
    std::size_t ChunkCount() const { return chunks_.size(); }
    std::size_t ChunkStart(std::size_t chunk) const { return chunkStarts_[chunk]; }
    std::u16string_view Chunk(std::size_t chunk) const { return chunks_[chunk]; }

    // Columns of the widest line (tabs expanded). An edit that shortens the widest line may
    // leave the figure as it was until the text is cleared: it only sizes the scroll range.
    std::size_t WidestLineColumns() const { return widestColumns_; }

    // Counts the changes other than appends (edits, clearing): what was learnt of the text's
    // lines holds while this stays the same, appends aside.
    std::uint64_t EditCount() const { return edits_; }

    void Append(std::u16string_view text);
    // Replaces `length` units from `start` (both clamped to the text) with `text`.
    void Replace(std::size_t start, std::size_t length, std::u16string_view text);
    // Empties the text and gives its memory back.
    void Clear();
    // Empties the text but keeps its chunks for the text that follows, as when the whole view
    // is rebuilt: memory already in use is written again instead of being taken anew from the
    // system. ReleaseSpareChunks gives back what the new text did not need.
    void ClearForRefill();
    void ReleaseSpareChunks();

private:
    struct Place {
        std::size_t chunk;
        std::size_t offset;
    };
    Place Locate(std::size_t position) const;
    std::size_t ColumnsOfLine(std::size_t line) const;
    ColumnCounter CounterOfLine(std::size_t line) const;
    void AppendUnits(std::u16string_view text);
    void AppendLinesOf(std::size_t base, std::u16string_view text);
    void TruncateUnits(std::size_t length);
    std::u16string& NewChunk();
    void ReplaceChunks(std::size_t first, std::size_t end, std::vector<std::u16string>& pieces);
    void RecountChunkStarts();
    void NoteColumnsOfEdit(std::size_t start, std::size_t inserted);

    std::vector<std::u16string> chunks_;
    std::vector<std::size_t> chunkStarts_;
    std::vector<std::u16string> spareChunks_;
    std::vector<std::size_t> lineStarts_{0};
    std::size_t length_ = 0;
    std::size_t widestColumns_ = 0;
    std::uint64_t edits_ = 0;
    // The column count of the last line and its last unit, so that appends continue them.
    ColumnCounter lastLine_;
    char16_t lastUnit_ = 0;
};

}  // namespace orsk
