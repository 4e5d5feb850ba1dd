#pragma once
// The view: one four-line block per shown trace ("----", the date-time text, the trace text, an
// empty line), each line added at the end of the text area followed by CR LF. Should the user
// have removed the final line break, a line is added as CR LF followed by the line instead, so
// that it still starts a line of its own.
//
// AddTrace shows an arriving trace (when the filter admits its level) and stores it; ShowTraces
// rebuilds the whole view from the store under the current filter.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/TraceDate.h"
#include "store/TraceStore.h"
#include "window/view/DateTimeText.h"
#include "window/view/TextArea.h"

namespace orsk {

// What the view shows for a trace text: the text itself, except that U+0000, at which the edit
// control would stop reading the line, is shown as U+2400 (SYMBOL FOR NULL).
std::u16string ViewLineOf(std::u16string_view traceText);

// The text that appending the block's lines one by one adds to a text area whose last line is
// empty (`lastLineIsEmpty`) or not. `traceText` is the trace as received; its view line goes in.
std::u16string TraceBlockText(bool lastLineIsEmpty, std::u16string_view dateTimeText,
                              std::u16string_view traceText);

class TraceView {
public:
    using Clock = std::function<TraceDate()>;
    using FilterTextSource = std::function<std::u16string()>;

    TraceView(TextArea& textArea, TraceStore& store, Clock clock, FilterTextSource filterText);

    // Formats for every date-time text made from now on.
    void SetRegionalFormats(RegionalFormats formats);
    const RegionalFormats& Formats() const { return formats_; }

    // Shows the trace when the filter admits its level, then stores it (the text as received,
    // shown or not). The clock is read once: the time shown and the time stored are the same
    // instant. When the store cannot take the trace (it is not open, or memory runs out) the
    // block is taken off the view again and the error passes on: a refused trace is neither
    // stored nor shown.
    void AddTrace(std::u16string_view text, std::int32_t level);

    // Rebuilds the view from the store under the current filter, drawing frozen; the caret
    // ends at the end of the text. Search state and filter are left alone. A store that is not
    // open throws TraceError and leaves the text as it was.
    void ShowTraces();

private:
    TextArea& textArea_;
    TraceStore& store_;
    Clock clock_;
    FilterTextSource filterText_;
    RegionalFormats formats_;
};

}  // namespace orsk
