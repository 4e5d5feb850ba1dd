#include "window/textmodel/TextBuffer.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "window/textmodel/TextColumns.h"
#include "window/textmodel/UnitRuns.h"

namespace orsk {
namespace {

// Makes room for `extra` more elements, growing as push_back does, so that the inserts that
// follow cannot fail.
template <class T>
void ReserveMore(std::vector<T>& list, std::size_t extra) {
    AllocationFaults::MayAllocate();
    if (list.capacity() - list.size() < extra) {
        list.reserve(std::max(list.size() + extra, 2 * list.capacity()));
    }
}

// `parts` joined, in one chunk unless that would hold more than two chunks' units: then in
// chunks of kChunkUnits, so that later edits stay cheap.
std::vector<std::u16string> JoinInChunks(std::initializer_list<std::u16string_view> parts) {
    std::size_t left = 0;
    for (const std::u16string_view part : parts) {
        left += part.size();
    }
    std::vector<std::u16string> pieces;
    if (left == 0) {
        return pieces;
    }
    const std::size_t pieceUnits =
        left > 2 * TextBuffer::kChunkUnits ? TextBuffer::kChunkUnits : left;
    AllocationFaults::MayAllocate();
    pieces.reserve((left + pieceUnits - 1) / pieceUnits);
    for (std::u16string_view part : parts) {
        while (!part.empty()) {
            if (pieces.empty() || pieces.back().size() == pieceUnits) {
                AllocationFaults::MayAllocate();
                pieces.emplace_back().reserve(std::min(pieceUnits, left));
            }
            const std::size_t n = std::min(part.size(), pieceUnits - pieces.back().size());
            pieces.back().append(part.substr(0, n));
            part.remove_prefix(n);
            left -= n;
        }
    }
    return pieces;
}

}  // namespace

std::size_t TextBuffer::LineLength(std::size_t line) const {
    const std::size_t end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 2 : length_;
    return end - lineStarts_[line];
}

std::size_t TextBuffer::LineOf(std::size_t position) const {
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), position);
    return static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
}

TextBuffer::Place TextBuffer::Locate(std::size_t position) const {
    if (chunks_.empty()) {
        return {0, 0};
    }
    const auto after = std::upper_bound(chunkStarts_.begin(), chunkStarts_.end(), position);
    const auto chunk = static_cast<std::size_t>(after - chunkStarts_.begin()) - 1;
    return {chunk, position - chunkStarts_[chunk]};
}

// Counted in place rather than on a copy of the line, so that it cannot run out of memory.
std::size_t TextBuffer::ColumnsOfLine(std::size_t line) const {
    return CounterOfLine(line).Column();
}

ColumnCounter TextBuffer::CounterOfLine(std::size_t line) const {
    std::size_t position = LineStart(line);
    const std::size_t end = position + LineLength(line);
    ColumnCounter counter;
    while (position < end) {
        const Place place = Locate(position);
        const std::u16string_view part = Chunk(place.chunk).substr(place.offset, end - position);
        counter.Add(part);
        position += part.size();
    }
    return counter;
}

char16_t TextBuffer::At(std::size_t position) const {
    const Place place = Locate(position);
    return chunks_[place.chunk][place.offset];
}

std::u16string TextBuffer::Read(std::size_t start, std::size_t length) const {
    start = std::min(start, length_);
    length = std::min(length, length_ - start);
    AllocationFaults::MayAllocate();
    std::u16string text(length, u'\0');
    CopyTo(start, length, text.data());
    return text;
}

std::size_t TextBuffer::CopyTo(std::size_t start, std::size_t length, char16_t* out) const {
    start = std::min(start, length_);
    length = std::min(length, length_ - start);
    Place place = Locate(start);
    std::size_t copied = 0;
    while (copied < length) {
        const std::u16string& chunk = chunks_[place.chunk];
        const std::size_t n = std::min(length - copied, chunk.size() - place.offset);
        chunk.copy(out + copied, n, place.offset);
        copied += n;
        ++place.chunk;
        place.offset = 0;
    }
    return copied;
}

std::u16string& TextBuffer::NewChunk() {
    // Room in both lists first: they never differ in length, even when memory runs out.
    ReserveMore(chunks_, 1);
    ReserveMore(chunkStarts_, 1);
    if (!spareChunks_.empty()) {
        chunks_.push_back(std::move(spareChunks_.back()));
        spareChunks_.pop_back();
    } else {
        chunks_.emplace_back();
    }
    chunkStarts_.push_back(length_);
    std::u16string& chunk = chunks_.back();
    if (chunks_.size() > 1) {
        // A text that fills one chunk goes on growing: take the whole next chunk at once.
        AllocationFaults::MayAllocate();
        chunk.reserve(kChunkUnits);
    }
    return chunk;
}

void TextBuffer::AppendUnits(std::u16string_view text) {
    while (!text.empty()) {
        std::u16string& chunk =
            chunks_.empty() || chunks_.back().size() >= kChunkUnits ? NewChunk() : chunks_.back();
        const std::size_t n = std::min(text.size(), kChunkUnits - chunk.size());
        if (chunk.capacity() < chunk.size() + n) {
            // A small text grows its first chunk step by step, never beyond a chunk.
            AllocationFaults::MayAllocate();
            chunk.reserve(std::min(kChunkUnits, std::max(chunk.size() + n, 2 * chunk.capacity())));
        }
        chunk.append(text.substr(0, n));
        text.remove_prefix(n);
        length_ += n;
    }
}

void TextBuffer::Append(std::u16string_view text) {
    // Appends come by the thousand a second: rather than prepared aside, they go straight in
    // and are taken back out when memory runs out part of the way.
    const std::size_t base = length_;
    const std::size_t lines = lineStarts_.size();
    const std::size_t widest = widestColumns_;
    try {
        AppendUnits(text);
        AppendLinesOf(base, text);
    } catch (...) {
        lineStarts_.resize(lines);
        TruncateUnits(base);
        widestColumns_ = widest;
        throw;
    }
}

// Notes the line starts and columns of `text`, just appended at `base`. Only the line starts
// can fail to grow; the column figures are set at the end.
void TextBuffer::AppendLinesOf(std::size_t base, std::u16string_view text) {
    ColumnCounter counter = lastLine_;
    std::size_t segmentStart = 0;
    for (std::size_t i = unit_runs::FindUnit(text, 0, u'\n'); i < text.size();
         i = unit_runs::FindUnit(text, i + 1, u'\n')) {
        if ((i > 0 ? text[i - 1] : lastUnit_) != u'\r') {
            continue;
        }
        // The CR before this LF was counted as a column of the line; it is not one.
        counter.Add(text.substr(segmentStart, i - segmentStart));
        widestColumns_ = std::max(widestColumns_, counter.Column() - 1);
        if (lineStarts_.size() == lineStarts_.capacity()) {
            AllocationFaults::MayAllocate();
        }
        lineStarts_.push_back(base + i + 1);
        counter.StartLine();
        segmentStart = i + 1;
    }
    counter.Add(text.substr(segmentStart));
    widestColumns_ = std::max(widestColumns_, counter.Column());
    lastLine_ = counter;
    if (!text.empty()) {
        lastUnit_ = text.back();
    }
}

void TextBuffer::TruncateUnits(std::size_t length) {
    while (!chunks_.empty() && chunkStarts_.back() >= length && chunkStarts_.back() > 0) {
        chunks_.pop_back();
        chunkStarts_.pop_back();
    }
    if (!chunks_.empty()) {
        chunks_.back().resize(std::min(chunks_.back().size(), length - chunkStarts_.back()));
        if (chunks_.back().empty()) {
            chunks_.pop_back();
            chunkStarts_.pop_back();
        }
    }
    length_ = length;
}

// Puts `pieces` in place of the chunks [first, end). The lists must have room for them: only
// strings already made are moved, so this cannot fail.
void TextBuffer::ReplaceChunks(std::size_t first, std::size_t end,
                               std::vector<std::u16string>& pieces) {
    const std::size_t kept = std::min(end - first, pieces.size());
    const auto at = [&](std::size_t chunk) {
        return chunks_.begin() + static_cast<std::ptrdiff_t>(chunk);
    };
    std::move(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(kept), at(first));
    chunks_.erase(at(first + kept), at(end));
    chunks_.insert(at(first + kept),
                   std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(kept)),
                   std::make_move_iterator(pieces.end()));
    RecountChunkStarts();
}

void TextBuffer::RecountChunkStarts() {
    chunkStarts_.resize(chunks_.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        chunkStarts_[i] = start;
        start += chunks_[i].size();
    }
}

void TextBuffer::Replace(std::size_t start, std::size_t length, std::u16string_view text) {
    start = std::min(start, length_);
    length = std::min(length, length_ - start);
    if (start == length_) {
        Append(text);
        return;
    }
    if (length == 0 && text.empty()) {
        return;
    }
    ++edits_;
    // All that takes memory is made first, while the text is as it was: the new units of the
    // chunks the edit touches, the line breaks in and around the new units, and room in the
    // lists. Only then does the text change, by moves that cannot fail. A user's edit is rare
    // enough that copying a chunk or two for it does not matter.
    const Place first = Locate(start);
    const std::size_t lastChunk = length > 0 ? Locate(start + length - 1).chunk : first.chunk;
    const std::u16string_view before =
        std::u16string_view(chunks_[first.chunk]).substr(0, first.offset);
    const std::u16string_view after =
        std::u16string_view(chunks_[lastChunk]).substr(start + length - chunkStarts_[lastChunk]);
    std::vector<std::u16string> pieces = JoinInChunks({before, text, after});

    // A line starts two units after its break's CR. Every break with a unit in the replaced
    // range, or split by an insertion between its CR and LF, starts a line in
    // [start + 1, start + length + 1]; those go, and the breaks of the new stretch come in.
    const std::size_t newLength = length_ - length + text.size();
    const auto unitAfterEdit = [&](std::size_t p) {
        if (p < start) {
            return At(p);
        }
        return p - start < text.size() ? text[p - start] : At(p - text.size() + length);
    };
    std::vector<std::size_t> found;
    for (std::size_t p = start > 0 ? start - 1 : 0; p < start + text.size() && p + 1 < newLength;
         ++p) {
        if (unitAfterEdit(p) == u'\r' && unitAfterEdit(p + 1) == u'\n') {
            if (found.size() == found.capacity()) {
                AllocationFaults::MayAllocate();
            }
            found.push_back(p + 2);
        }
    }
    const auto firstGone = std::lower_bound(lineStarts_.begin(), lineStarts_.end(), start + 1);
    const auto endGone = std::upper_bound(firstGone, lineStarts_.end(), start + length + 1);
    const auto firstIndex = firstGone - lineStarts_.begin();
    const auto gone = static_cast<std::size_t>(endGone - firstGone);
    if (found.size() > gone) {
        ReserveMore(lineStarts_, found.size() - gone);
    }
    const std::size_t replacedChunks = lastChunk + 1 - first.chunk;
    if (pieces.size() > replacedChunks) {
        ReserveMore(chunks_, pieces.size() - replacedChunks);
        ReserveMore(chunkStarts_, pieces.size() - replacedChunks);
    }

    // From here on nothing takes memory.
    lineStarts_.erase(lineStarts_.begin() + firstIndex,
                      lineStarts_.begin() + firstIndex + static_cast<std::ptrdiff_t>(gone));
    for (auto i = static_cast<std::size_t>(firstIndex); i < lineStarts_.size(); ++i) {
        lineStarts_[i] = lineStarts_[i] - length + text.size();
    }
    lineStarts_.insert(lineStarts_.begin() + firstIndex, found.begin(), found.end());
    length_ = newLength;
    ReplaceChunks(first.chunk, lastChunk + 1, pieces);
    NoteColumnsOfEdit(start, text.size());
}

// The column figures after an edit at `start` that left `inserted` new units there.
void TextBuffer::NoteColumnsOfEdit(std::size_t start, std::size_t inserted) {
    const std::size_t lastEdited = LineOf(start + inserted);
    for (std::size_t line = LineOf(start); line <= lastEdited; ++line) {
        widestColumns_ = std::max(widestColumns_, ColumnsOfLine(line));
    }
    lastUnit_ = length_ > 0 ? At(length_ - 1) : char16_t{0};
    lastLine_ = CounterOfLine(LineCount() - 1);
}

void TextBuffer::Clear() {
    AllocationFaults::MayAllocate();
    ++edits_;
    std::vector<std::size_t> firstLine{0};
    std::vector<std::u16string>().swap(chunks_);
    std::vector<std::size_t>().swap(chunkStarts_);
    std::vector<std::u16string>().swap(spareChunks_);
    firstLine.swap(lineStarts_);
    length_ = 0;
    widestColumns_ = 0;
    lastLine_ = ColumnCounter();
    lastUnit_ = 0;
}

void TextBuffer::ClearForRefill() {
    ++edits_;
    // Room among the spares first, so that the chunks cannot be stranded half way there.
    ReserveMore(spareChunks_, chunks_.size());
    for (std::u16string& chunk : chunks_) {
        chunk.clear();
        spareChunks_.push_back(std::move(chunk));
    }
    // The first chunk taken again is the one that was first: the most likely to be small.
    std::reverse(spareChunks_.begin(), spareChunks_.end());
    chunks_.clear();
    chunkStarts_.clear();
    lineStarts_.clear();
    lineStarts_.push_back(0);
    length_ = 0;
    widestColumns_ = 0;
    lastLine_ = ColumnCounter();
    lastUnit_ = 0;
}

void TextBuffer::ReleaseSpareChunks() {
    std::vector<std::u16string>().swap(spareChunks_);
    if (lineStarts_.capacity() > 2 * lineStarts_.size() + 4096) {
        lineStarts_.shrink_to_fit();
    }
}

}  // namespace orsk
