#include "tests/support/MemoryTextArea.h"

#include <algorithm>

namespace orsk {

bool MemoryTextArea::LastLineIsEmpty() const {
    return text_.empty() || text_.ends_with(u"\r\n");
}

void MemoryTextArea::Append(std::u16string_view text) {
    text_.append(text);
    selStart_ = text_.size();
    selLength_ = 0;
}

void MemoryTextArea::RemoveFrom(std::size_t position) {
    text_.resize(std::min(position, text_.size()));
    selStart_ = text_.size();
    selLength_ = 0;
}

void MemoryTextArea::ReplaceAll(std::u16string_view text) {
    text_.assign(text);
    selStart_ = text_.size();
    selLength_ = 0;
}

void MemoryTextArea::Select(std::size_t start, std::size_t length) {
    selStart_ = std::min(start, text_.size());
    selLength_ = std::min(length, text_.size() - selStart_);
}

void MemoryTextArea::BeginUpdate() {
    ++freezeDepth_;
    ++freezeCount_;
}

void MemoryTextArea::EndUpdate() {
    --freezeDepth_;
}

}  // namespace orsk
