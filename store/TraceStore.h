#pragma once
// The trace store: every trace the window received since it was created or last emptied, in
// arrival order, kept in memory so that the view can be rebuilt under another level filter.
//
// States: Undefined (constructed) -> Closed (CreateTable) -> Open (SetActive(true)).
// Closing discards every entry; EmptyTable discards them in any state. Appending or iterating
// while the store is not open is an error (TraceError), never a silent drop.
//
// Single-threaded: the window's message loop is the only caller, so there are no locks.
//
// Texts are kept losslessly: a text read back equals the text appended, U+0000 and unpaired
// surrogates included. They are stored as UTF-8 (unpaired surrogates as their generalized
// three-byte form), which halves the memory of mostly-ASCII traces. Entries and text bytes live
// in large chunks, so appending does not allocate per entry, and the per-entry overhead stays a
// fixed-size record.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "store/TraceDate.h"

namespace orsk {

class TraceStore {
public:
    TraceStore();
    ~TraceStore();
    TraceStore(const TraceStore&) = delete;
    TraceStore& operator=(const TraceStore&) = delete;

    // Text bytes are kept in chunks of this size; a text may run on from one chunk into the
    // next, so a text of any length costs its bytes and no padding. Chunks of this size (and
    // entry chunks of 1.3 MB) get pages of their own from the heap, which go back to the
    // system when the store is emptied.
    static constexpr std::size_t kTextChunkBytes = std::size_t{1} << 21;
    // Entry records (date, level, end of text) are kept in chunks of this many entries.
    static constexpr std::size_t kEntriesPerChunk = 65536;

    // Defines the fields (TraceDate, TraceLevel, TraceMemo). Allowed while undefined or closed;
    // throws TraceError while open.
    void CreateTable();
    // Discards every entry and gives their memory back. Allowed in any state; the state stays.
    void EmptyTable();

    // Opening starts with no entries and throws TraceError when CreateTable was never called;
    // opening an open store changes nothing. Closing discards every entry; closing a store
    // that is not open changes nothing.
    bool Active() const;
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Adds one entry after the newest one. Throws TraceError when the store is not open, and
    // TraceError(kOutOfMemory) when memory runs out; the store is then left as it was.
    // Appending does not move the cursor.
    void Append(TraceDate date, std::int32_t level, std::u16string_view memo);

    // Iteration from the oldest entry: First(); while (!Eof()) { ...; Next(); }
    // First and Next throw TraceError when the store is not open; Next at Eof stays at Eof.
    // Eof is true when the store is not open.
    void First();
    void Next();
    bool Eof() const;

    // Fields of the entry at the cursor. Throw TraceError when the store is not open or the
    // cursor is at Eof.
    TraceDate TraceDateValue() const;
    std::int32_t TraceLevel() const;
    std::u16string TraceMemo() const;

    // The fast way to rebuild a view: calls
    //     visit(TraceDate date, std::int32_t level, std::u16string_view memo)
    // for every entry from the oldest. All memos are decoded into one buffer that is reused
    // from entry to entry, so `memo` is valid only during its call. Leaves the cursor where it
    // is. Throws TraceError when the store is not open, or TraceError(kOutOfMemory); other
    // exceptions of `visit` pass through.
    // Entries that `visit` appends are not visited; `visit` must not close or empty the store.
    template <class Visitor>
    void ForEach(Visitor&& visit) const {
        using Target = std::remove_reference_t<Visitor>;
        VisitEntries(
            const_cast<void*>(static_cast<const void*>(std::addressof(visit))),
            [](void* target, TraceDate date, std::int32_t level, std::u16string_view memo) {
                (*static_cast<Target*>(target))(date, level, memo);
            });
    }

    std::size_t Count() const;
    // Bytes the store holds from the heap for entries and texts (capacity, not just use).
    std::size_t AllocatedBytes() const;

private:
    enum class State { Undefined, Closed, Open };

    class Chunks;
    using EntryVisitor = void (*)(void* target, TraceDate date, std::int32_t level,
                                  std::u16string_view memo);

    void RequireOpen(const char* operation) const;
    void RequireCurrent(const char* field) const;
    void VisitEntries(void* target, EntryVisitor visitor) const;

    State state_ = State::Undefined;
    std::unique_ptr<Chunks> chunks_;
    std::size_t cursor_ = 0;
};

}  // namespace orsk
