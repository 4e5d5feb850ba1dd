#pragma once
// A text area that lives in memory: the stand-in for the view's text control in the unit tests and
// benchmarks, with the same observable rules (caret to the end on append, selection, a
// counter of freezes so tests can check that a rebuild froze drawing).

#include "window/view/TextArea.h"

namespace orsk {

class MemoryTextArea final : public TextArea {
public:
    std::u16string ReadAll() const override { return text_; }
    std::size_t Length() const override { return text_.size(); }
    bool LastLineIsEmpty() const override;
    void Append(std::u16string_view text) override;
    void RemoveFrom(std::size_t position) override;
    void ReplaceAll(std::u16string_view text) override;
    void Select(std::size_t start, std::size_t length) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    // What a user would do: type over the whole text.
    void SetUserText(std::u16string text) { text_ = std::move(text); }

    const std::u16string& Text() const { return text_; }
    std::size_t SelectionStart() const { return selStart_; }
    std::size_t SelectionLength() const { return selLength_; }
    int FreezeDepth() const { return freezeDepth_; }
    int FreezeCount() const { return freezeCount_; }

private:
    std::u16string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
    int freezeDepth_ = 0;
    int freezeCount_ = 0;
};

}  // namespace orsk
