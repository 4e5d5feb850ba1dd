#include "window/textmodel/TextBuffer.h"

#include <algorithm>

#include "window/textmodel/TextColumns.h"

namespace orsk {
namespace {

// Continues a column count over `part`, whose first unit follows `previous`.
std::size_t ContinueColumns(std::size_t column, char16_t previous, std::u16string_view part) {
    for (const char16_t unit : part) {
        column = NextColumn(column, previous, unit);
        previous = unit;
    }
    return column;
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

char16_t TextBuffer::At(std::size_t position) const {
    const Place place = Locate(position);
    return chunks_[place.chunk][place.offset];
}

std::u16string TextBuffer::Read(std::size_t start, std::size_t length) const {
    start = std::min(start, length_);
    length = std::min(length, length_ - start);
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
            chunk.reserve(std::min(kChunkUnits, std::max(chunk.size() + n, 2 * chunk.capacity())));
        }
        chunk.append(text.substr(0, n));
        text.remove_prefix(n);
        length_ += n;
    }
}

void TextBuffer::Append(std::u16string_view text) {
    const std::size_t base = length_;
    const std::size_t lines = lineStarts_.size();
    try {
        AppendUnits(text);
        AppendLinesOf(base, text);
    } catch (...) {
        // Out of memory part of the way: the text is left as it was.
        lineStarts_.resize(lines);
        TruncateUnits(base);
        throw;
    }
}

// Notes the line starts and columns of `text`, just appended at `base`. Only the line starts
// can fail to grow; the column figures are set at the end.
void TextBuffer::AppendLinesOf(std::size_t base, std::u16string_view text) {
    std::size_t columns = lastLineColumns_;
    char16_t previous = lastUnit_;
    std::size_t segmentStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' || (i > 0 ? text[i - 1] : lastUnit_) != u'\r') {
            continue;
        }
        // The CR before this LF was counted as a column of the line; it is not one.
        columns = ContinueColumns(columns, previous, text.substr(segmentStart, i - segmentStart));
        widestColumns_ = std::max(widestColumns_, columns - 1);
        lineStarts_.push_back(base + i + 1);
        columns = 0;
        previous = 0;
        segmentStart = i + 1;
    }
    columns = ContinueColumns(columns, previous, text.substr(segmentStart));
    widestColumns_ = std::max(widestColumns_, columns);
    lastLineColumns_ = columns;
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

void TextBuffer::EraseUnits(std::size_t start, std::size_t length) {
    Place place = Locate(start);
    while (length > 0) {
        std::u16string& chunk = chunks_[place.chunk];
        const std::size_t n = std::min(length, chunk.size() - place.offset);
        chunk.erase(place.offset, n);
        length -= n;
        length_ -= n;
        if (chunk.empty()) {
            chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
        } else {
            ++place.chunk;
        }
        place.offset = 0;
    }
    RecountChunkStarts();
}

void TextBuffer::InsertUnits(std::size_t position, std::u16string_view text) {
    if (chunks_.empty() || position >= length_) {
        AppendUnits(text);
        return;
    }
    const Place place = Locate(position);
    std::u16string& chunk = chunks_[place.chunk];
    chunk.insert(place.offset, text);
    length_ += text.size();
    if (chunk.size() > 2 * kChunkUnits) {
        // Keep chunks of a bounded size, so that later edits stay cheap.
        std::vector<std::u16string> pieces;
        for (std::size_t at = 0; at < chunk.size(); at += kChunkUnits) {
            pieces.push_back(chunk.substr(at, kChunkUnits));
        }
        const auto where =
            chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
        chunks_.insert(where, std::make_move_iterator(pieces.begin()),
                       std::make_move_iterator(pieces.end()));
    }
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
    // A line starts two units after its break's CR. Every break with a unit in the replaced
    // range, or split by an insertion between its CR and LF, starts a line in
    // [start + 1, start + length + 1]; those are dropped and the edited stretch scanned again.
    const auto first = std::lower_bound(lineStarts_.begin(), lineStarts_.end(), start + 1);
    const auto last = std::upper_bound(first, lineStarts_.end(), start + length + 1);
    const auto firstIndex = static_cast<std::size_t>(first - lineStarts_.begin());
    lineStarts_.erase(first, last);
    for (std::size_t i = firstIndex; i < lineStarts_.size(); ++i) {
        lineStarts_[i] = lineStarts_[i] - length + text.size();
    }

    EraseUnits(start, length);
    InsertUnits(start, text);

    auto unitAt = [&](std::size_t p) {
        return p >= start && p - start < text.size() ? text[p - start] : At(p);
    };
    std::vector<std::size_t> found;
    const std::size_t scanEnd = start + text.size();  // one past the last CR position checked
    for (std::size_t p = start > 0 ? start - 1 : 0; p < scanEnd && p + 1 < length_; ++p) {
        if (unitAt(p) == u'\r' && unitAt(p + 1) == u'\n') {
            found.push_back(p + 2);
        }
    }
    lineStarts_.insert(lineStarts_.begin() + static_cast<std::ptrdiff_t>(firstIndex), found.begin(),
                       found.end());

    const std::size_t lastEdited = LineOf(start + text.size());
    for (std::size_t line = LineOf(start); line <= lastEdited; ++line) {
        widestColumns_ = std::max(widestColumns_, ColumnsOf(Line(line)));
    }
    lastUnit_ = length_ > 0 ? At(length_ - 1) : char16_t{0};
    lastLineColumns_ = ColumnsOf(Line(LineCount() - 1));
}

void TextBuffer::Clear() {
    std::vector<std::u16string>().swap(chunks_);
    std::vector<std::size_t>().swap(chunkStarts_);
    std::vector<std::u16string>().swap(spareChunks_);
    std::vector<std::size_t>{0}.swap(lineStarts_);
    length_ = 0;
    widestColumns_ = 0;
    lastLineColumns_ = 0;
    lastUnit_ = 0;
}

void TextBuffer::ClearForRefill() {
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
    lastLineColumns_ = 0;
    lastUnit_ = 0;
}

void TextBuffer::ReleaseSpareChunks() {
    std::vector<std::u16string>().swap(spareChunks_);
    if (lineStarts_.capacity() > 2 * lineStarts_.size() + 4096) {
        lineStarts_.shrink_to_fit();
    }
}

}  // namespace orsk
