#include "window/view/TraceView.h"

#include <utility>

#include "window/textmodel/UnitRuns.h"
#include "window/view/FilterLevel.h"

namespace orsk {
namespace {

constexpr std::u16string_view kSeparatorLine = u"----";
constexpr std::u16string_view kLineBreak = u"\r\n";
constexpr char16_t kNull = u'\0';
constexpr char16_t kSymbolForNull = u'\u2400';

// Appends the view line of a trace text without building it first: one copy, then the rare
// U+0000 is patched in place.
void AppendViewLine(std::u16string& out, std::u16string_view traceText) {
    const std::size_t start = out.size();
    out.append(traceText);
    const std::u16string_view appended(out);
    for (std::size_t at = unit_runs::FindUnit(appended, start, kNull); at < out.size();
         at = unit_runs::FindUnit(appended, at + 1, kNull)) {
        out[at] = kSymbolForNull;
    }
}

// Adds one line so that it starts a line of its own, and returns whether the text then ends
// with a line break.
bool AddLine(std::u16string& out, bool lastLineIsEmpty, std::u16string_view line) {
    if (lastLineIsEmpty) {
        out.append(line);
        out.append(kLineBreak);
        return true;
    }
    out.append(kLineBreak);
    out.append(line);
    return line.empty() || line.ends_with(kLineBreak);
}

// The date-time text ignores milliseconds, so a rebuild formats each second once: traces
// arrive in bursts and most neighbours share their second.
class DateTimeTextCache {
public:
    explicit DateTimeTextCache(const RegionalFormats& formats) : formats_(formats) {}

    const std::u16string& TextOf(TraceDate date) {
        std::int64_t second = date.msSinceEpoch / 1000;
        if (date.msSinceEpoch % 1000 < 0) {
            --second;  // dates before the epoch: round towards the earlier second
        }
        if (!valid_ || second != second_) {
            text_ = FormatDateTimeText(formats_, date);
            second_ = second;
            valid_ = true;
        }
        return text_;
    }

private:
    const RegionalFormats& formats_;
    bool valid_ = false;
    std::int64_t second_ = 0;
    std::u16string text_;
};

// Releases the frozen drawing however the rebuild ends.
class UpdateGuard {
public:
    explicit UpdateGuard(TextArea& textArea) : textArea_(textArea) { textArea_.BeginUpdate(); }
    ~UpdateGuard() { textArea_.EndUpdate(); }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    TextArea& textArea_;
};

}  // namespace

std::u16string ViewLineOf(std::u16string_view traceText) {
    std::u16string line;
    AppendViewLine(line, traceText);
    return line;
}

std::u16string TraceBlockText(bool lastLineIsEmpty, std::u16string_view dateTimeText,
                              std::u16string_view traceText) {
    const std::u16string viewLine = ViewLineOf(traceText);
    std::u16string block;
    block.reserve(kSeparatorLine.size() + dateTimeText.size() + viewLine.size() +
                  5 * kLineBreak.size());
    bool atLineStart = lastLineIsEmpty;
    atLineStart = AddLine(block, atLineStart, kSeparatorLine);
    atLineStart = AddLine(block, atLineStart, dateTimeText);
    atLineStart = AddLine(block, atLineStart, viewLine);
    AddLine(block, atLineStart, std::u16string_view{});
    return block;
}

TraceView::TraceView(TextArea& textArea, TraceStore& store, Clock clock,
                     FilterTextSource filterText)
    : textArea_(textArea),
      store_(store),
      clock_(std::move(clock)),
      filterText_(std::move(filterText)) {}

void TraceView::SetRegionalFormats(RegionalFormats formats) {
    formats_ = std::move(formats);
}

void TraceView::AddTrace(std::u16string_view text, std::int32_t level) {
    const std::int32_t filter = ParseFilterLevel(filterText_());
    // One reading of the clock for both the view and the store: two readings could straddle a
    // second and show a different time from the one saved.
    const TraceDate now = clock_();
    const std::size_t viewLength = textArea_.Length();
    const bool shown = FilterAdmits(filter, level);
    if (shown) {
        textArea_.Append(
            TraceBlockText(textArea_.LastLineIsEmpty(), FormatDateTimeText(formats_, now), text));
    }
    try {
        store_.Append(now, level, text);
    } catch (...) {
        // A trace the store could not take (no memory, or the store is closed) is refused:
        // the view must not show it either.
        if (shown) {
            textArea_.RemoveFrom(viewLength);
        }
        throw;
    }
}

void TraceView::ShowTraces() {
    UpdateGuard frozen(textArea_);
    const std::int32_t filter = ParseFilterLevel(filterText_());
    if (!store_.Active()) {
        store_.First();  // throws the store's own error, before the text is touched
    }
    textArea_.ClearForRebuild();

    // Blocks go to the text area in batches: a few appends instead of one per block, and no
    // second copy of the whole view in memory.
    constexpr std::size_t kBatchUnits = std::size_t{1} << 16;
    std::u16string batch;
    batch.reserve(2 * kBatchUnits);
    // Built from an empty text, every line is added at a line start, so each block takes its
    // plain form and is appended directly instead of line by line.
    DateTimeTextCache dateTimeTexts(formats_);
    store_.ForEach([&](TraceDate date, std::int32_t level, std::u16string_view memo) {
        if (!FilterAdmits(filter, level)) {
            return;
        }
        batch.append(kSeparatorLine);
        batch.append(kLineBreak);
        batch.append(dateTimeTexts.TextOf(date));
        batch.append(kLineBreak);
        AppendViewLine(batch, memo);
        batch.append(kLineBreak);
        batch.append(kLineBreak);
        if (batch.size() >= kBatchUnits) {
            textArea_.Append(batch);
            batch.clear();
        }
    });
    textArea_.Append(batch);
}

}  // namespace orsk
