#include "store/TraceStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "common/TraceError.h"
#include "common/Utf16.h"
#include "store/Wtf8.h"

namespace orsk {
namespace {

constexpr std::uint64_t kChunkBytes = TraceStore::kTextChunkBytes;

// A text too long for the room left in its chunk is encoded in slices of this many units into
// a buffer on the stack and copied on from there, so no text needs a heap buffer of its size.
constexpr std::size_t kSliceUnits = 1024;

[[noreturn]] void ThrowOutOfMemory() {
    throw TraceError(std::string(kOutOfMemory));
}

}  // namespace

// Entries are fixed-size records in chunks of kEntriesPerChunk, one array per field (20 bytes
// an entry, no padding). A text is the run of bytes between the end of the previous entry's
// text and the end of its own, in one byte stream cut into chunks of kTextChunkBytes. Offsets
// into that stream are 64-bit, so one text (or all of them) may pass 4 GiB where the address
// space allows.
class TraceStore::Chunks {
public:
    std::size_t Count() const { return count_; }

    // Either adds the entry or, when an allocation fails, throws and leaves the entries as they
    // were (chunks allocated by then are kept and used by later appends).
    void Append(TraceDate date, std::int32_t level, std::u16string_view memo) {
        EntryChunk& chunk = ChunkForEntry(count_);
        const std::uint64_t textEnd = WriteText(textBytes_, memo);
        const std::size_t slot = count_ % kEntriesPerChunk;
        chunk.dates[slot] = date.msSinceEpoch;
        chunk.levels[slot] = level;
        chunk.textEnds[slot] = textEnd;
        textBytes_ = textEnd;
        ++count_;
    }

    TraceDate DateAt(std::size_t index) const {
        return TraceDate{Entries(index).dates[index % kEntriesPerChunk]};
    }
    std::int32_t LevelAt(std::size_t index) const {
        return Entries(index).levels[index % kEntriesPerChunk];
    }
    void MemoAt(std::size_t index, std::u16string& out) const {
        DecodeText(TextBegin(index), TextEnd(index), out);
    }

    void Visit(void* target, EntryVisitor visitor) const {
        // The count is taken once: entries the visitor appends are not visited. Chunks are
        // looked up again for every entry because an append may move the chunk tables.
        const std::size_t count = count_;
        std::u16string memo;
        std::uint64_t textBegin = 0;
        for (std::size_t index = 0; index < count; ++index) {
            const EntryChunk& chunk = Entries(index);
            const std::size_t slot = index % kEntriesPerChunk;
            const std::uint64_t textEnd = chunk.textEnds[slot];
            DecodeText(textBegin, textEnd, memo);
            visitor(target, TraceDate{chunk.dates[slot]}, chunk.levels[slot], memo);
            textBegin = textEnd;
        }
    }

    void Clear() {
        // Swapping with empty tables frees their capacity too, which clear() would keep.
        std::vector<std::unique_ptr<EntryChunk>>().swap(entryChunks_);
        std::vector<std::unique_ptr<char[]>>().swap(textChunks_);
        count_ = 0;
        textBytes_ = 0;
    }

    std::size_t AllocatedBytes() const {
        return sizeof(*this) + entryChunks_.capacity() * sizeof(entryChunks_[0]) +
               entryChunks_.size() * sizeof(EntryChunk) +
               textChunks_.capacity() * sizeof(textChunks_[0]) +
               textChunks_.size() * static_cast<std::size_t>(kChunkBytes);
    }

private:
    struct EntryChunk {
        std::int64_t dates[kEntriesPerChunk];
        std::uint64_t textEnds[kEntriesPerChunk];
        std::int32_t levels[kEntriesPerChunk];
    };

    const EntryChunk& Entries(std::size_t index) const {
        return *entryChunks_[index / kEntriesPerChunk];
    }

    std::uint64_t TextEnd(std::size_t index) const {
        return Entries(index).textEnds[index % kEntriesPerChunk];
    }
    std::uint64_t TextBegin(std::size_t index) const { return index == 0 ? 0 : TextEnd(index - 1); }

    EntryChunk& ChunkForEntry(std::size_t index) {
        const std::size_t chunkIndex = index / kEntriesPerChunk;
        if (chunkIndex == entryChunks_.size()) {
            // Left uninitialized: every record is written before it is read.
            std::unique_ptr<EntryChunk> chunk(new EntryChunk);
            entryChunks_.push_back(std::move(chunk));
        }
        return *entryChunks_[chunkIndex];
    }

    char* TextChunk(std::uint64_t offset) {
        const auto chunkIndex = static_cast<std::size_t>(offset / kChunkBytes);
        while (textChunks_.size() <= chunkIndex) {
            std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
            textChunks_.push_back(std::move(chunk));
        }
        return textChunks_[chunkIndex].get();
    }

    // Encodes `memo` at `offset` of the byte stream; returns the offset after it.
    std::uint64_t WriteText(std::uint64_t offset, std::u16string_view memo) {
        if (memo.empty()) {
            return offset;
        }
        const std::uint64_t within = offset % kChunkBytes;
        if (memo.size() <= (kChunkBytes - within) / kWtf8MaxBytesPerUnit) {
            // The usual case: even the longest encoding fits the room left in the chunk.
            char* const out = TextChunk(offset) + within;
            return offset + static_cast<std::uint64_t>(EncodeWtf8(memo, out) - out);
        }
        char slice[kSliceUnits * kWtf8MaxBytesPerUnit];
        while (!memo.empty()) {
            std::size_t units = std::min(memo.size(), kSliceUnits);
            if (units < memo.size() && IsHighSurrogate(memo[units - 1]) &&
                IsLowSurrogate(memo[units])) {
                // A pair cut in two would still read back the same, but as two three-byte
                // sequences instead of one four-byte one.
                --units;
            }
            const auto bytes =
                static_cast<std::size_t>(EncodeWtf8(memo.substr(0, units), slice) - slice);
            WriteBytes(offset, slice, bytes);
            offset += bytes;
            memo.remove_prefix(units);
        }
        return offset;
    }

    void WriteBytes(std::uint64_t offset, const char* bytes, std::size_t size) {
        while (size != 0) {
            const std::uint64_t within = offset % kChunkBytes;
            const auto piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunkBytes - within));
            std::memcpy(TextChunk(offset) + within, bytes, piece);
            offset += piece;
            bytes += piece;
            size -= piece;
        }
    }

    void DecodeText(std::uint64_t begin, std::uint64_t end, std::u16string& out) const {
        const std::uint64_t size = end - begin;
        if (static_cast<std::size_t>(size) != size) {
            throw std::bad_alloc();  // a text that outgrows a 32-bit address space
        }
        // A text never decodes to more units than it has bytes.
        out.resize(static_cast<std::size_t>(size));
        char16_t* next = out.data();
        const auto within = static_cast<std::size_t>(begin % kChunkBytes);
        auto chunkIndex = static_cast<std::size_t>(begin / kChunkBytes);
        if (within + size <= kChunkBytes) {
            if (size != 0) {
                next = DecodeWtf8(
                    {textChunks_[chunkIndex].get() + within, static_cast<std::size_t>(size)}, next);
            }
        } else {
            next = DecodeAcrossChunks(chunkIndex, within, static_cast<std::size_t>(size), next);
        }
        out.resize(static_cast<std::size_t>(next - out.data()));
    }

    // Decodes a text that runs on over chunk ends. A sequence cut by a chunk end is put
    // together in a small buffer and decoded from there.
    char16_t* DecodeAcrossChunks(std::size_t chunkIndex, std::size_t within, std::size_t size,
                                 char16_t* next) const {
        char carried[4];
        std::size_t carriedSize = 0;
        while (size != 0) {
            const std::size_t pieceSize =
                std::min(size, static_cast<std::size_t>(kChunkBytes) - within);
            std::string_view piece(textChunks_[chunkIndex].get() + within, pieceSize);
            size -= pieceSize;
            ++chunkIndex;
            within = 0;
            if (carriedSize != 0) {
                const std::size_t needed = Wtf8SequenceLength(carried[0]);
                const std::size_t taken = std::min(needed - carriedSize, piece.size());
                std::memcpy(carried + carriedSize, piece.data(), taken);
                carriedSize += taken;
                piece.remove_prefix(taken);
                if (carriedSize < needed) {
                    continue;
                }
                next = DecodeWtf8({carried, carriedSize}, next);
                carriedSize = 0;
            }
            const std::size_t complete = size == 0 ? piece.size() : Wtf8CompletePrefix(piece);
            next = DecodeWtf8(piece.substr(0, complete), next);
            carriedSize = piece.size() - complete;
            std::memcpy(carried, piece.data() + complete, carriedSize);
        }
        return DecodeWtf8({carried, carriedSize}, next);
    }

    std::vector<std::unique_ptr<EntryChunk>> entryChunks_;
    std::vector<std::unique_ptr<char[]>> textChunks_;
    std::size_t count_ = 0;
    std::uint64_t textBytes_ = 0;
};

TraceStore::TraceStore() : chunks_(std::make_unique<Chunks>()) {}

TraceStore::~TraceStore() = default;

void TraceStore::CreateTable() {
    if (state_ == State::Open) {
        throw TraceError("Trace store is open: close it before creating the table");
    }
    state_ = State::Closed;
}

void TraceStore::EmptyTable() {
    chunks_->Clear();
    cursor_ = 0;
}

bool TraceStore::Active() const {
    return state_ == State::Open;
}

void TraceStore::SetActive(bool active) {
    if (active) {
        if (state_ == State::Undefined) {
            throw TraceError("Trace store has no table: create it before opening the store");
        }
        if (state_ == State::Closed) {
            EmptyTable();
            state_ = State::Open;
        }
    } else if (state_ == State::Open) {
        EmptyTable();
        state_ = State::Closed;
    }
}

void TraceStore::Append(TraceDate date, std::int32_t level, std::u16string_view memo) {
    RequireOpen("append a trace");
    try {
        chunks_->Append(date, level, memo);
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory();
    } catch (const std::length_error&) {
        ThrowOutOfMemory();
    }
}

void TraceStore::First() {
    RequireOpen("go to the first trace");
    cursor_ = 0;
}

void TraceStore::Next() {
    RequireOpen("go to the next trace");
    if (cursor_ < chunks_->Count()) {
        ++cursor_;
    }
}

bool TraceStore::Eof() const {
    return state_ != State::Open || cursor_ >= chunks_->Count();
}

TraceDate TraceStore::TraceDateValue() const {
    RequireCurrent("TraceDate");
    return chunks_->DateAt(cursor_);
}

std::int32_t TraceStore::TraceLevel() const {
    RequireCurrent("TraceLevel");
    return chunks_->LevelAt(cursor_);
}

std::u16string TraceStore::TraceMemo() const {
    RequireCurrent("TraceMemo");
    try {
        std::u16string memo;
        chunks_->MemoAt(cursor_, memo);
        return memo;
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory();
    } catch (const std::length_error&) {
        ThrowOutOfMemory();
    }
}

std::size_t TraceStore::Count() const {
    return chunks_->Count();
}

std::size_t TraceStore::AllocatedBytes() const {
    return chunks_->AllocatedBytes();
}

void TraceStore::RequireOpen(const char* operation) const {
    if (state_ != State::Open) {
        throw TraceError(std::string("Trace store is not open: cannot ") + operation);
    }
}

void TraceStore::RequireCurrent(const char* field) const {
    RequireOpen("read a field");
    if (cursor_ >= chunks_->Count()) {
        throw TraceError(std::string("Trace store is at its end: no trace to read ") + field +
                         " from");
    }
}

void TraceStore::VisitEntries(void* target, EntryVisitor visitor) const {
    RequireOpen("visit the traces");
    try {
        chunks_->Visit(target, visitor);
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory();
    }
}

}  // namespace orsk
