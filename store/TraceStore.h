#pragma once
// The trace store: every trace the window received since it was created or last emptied, in
// arrival order, kept in memory so that the view can be rebuilt under another level filter.
//
// States: Undefined (constructed) -> Closed (CreateTable) -> Open (SetActive(true)).
// Closing discards every entry; EmptyTable discards them in any state. Appending or iterating
// while the store is not open is an error (TraceError), never a silent drop.
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
#include <vector>

#include "store/TraceDate.h"

namespace orsk {

class TraceStore {
public:
    TraceStore();
    ~TraceStore();
    TraceStore(const TraceStore&) = delete;
    TraceStore& operator=(const TraceStore&) = delete;

    // Defines the fields (TraceDate, TraceLevel, TraceMemo). Allowed once, while undefined
    // or closed.
    void CreateTable();
    // Discards every entry and gives their memory back; allowed open or closed.
    void EmptyTable();

    // Opening starts with no entries; closing discards every entry.
    bool Active() const;
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // Adds one entry after the newest one. Throws TraceError when the store is not open.
    void Append(TraceDate date, std::int32_t level, std::u16string_view memo);

    // Iteration from the oldest entry: First(); while (!Eof()) { ...; Next(); }
    void First();
    void Next();
    bool Eof() const;

    // Fields of the entry at the cursor (the cursor must not be at Eof).
    TraceDate TraceDateValue() const;
    std::int32_t TraceLevel() const;
    std::u16string TraceMemo() const;

    std::size_t Count() const;
    // Bytes the store holds from the heap for entries and texts (capacity, not just use).
    std::size_t AllocatedBytes() const;

private:
    enum class State { Undefined, Closed, Open };

    struct Entry;
    class Chunks;

    void RequireOpen(const char* operation) const;
    void ReleaseAll();
    const Entry& CurrentEntry() const;

    State state_ = State::Undefined;
    std::unique_ptr<Chunks> chunks_;
    std::size_t cursor_ = 0;
};

}  // namespace orsk
