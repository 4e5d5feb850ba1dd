#pragma once
// The view's text area on a Win32 multi-line edit control.

#include <windows.h>

#include "window/TextArea.h"

namespace orsk {

class Win32EditTextArea final : public TextArea {
public:
    // `edit` is the multi-line edit control; `frozenWindow` is the window whose drawing a
    // rebuild freezes.
    Win32EditTextArea(HWND edit, HWND frozenWindow) : edit_(edit), frozenWindow_(frozenWindow) {}

    std::u16string ReadAll() const override;
    std::size_t Length() const override;
    bool LastLineIsEmpty() const override;
    void Append(std::u16string_view text) override;
    void ReplaceAll(std::u16string_view text) override;
    void Select(std::size_t start, std::size_t length) override;
    void BeginUpdate() override;
    void EndUpdate() override;

private:
    void CaretToEnd();
    void ForgetUndo();

    HWND edit_;
    HWND frozenWindow_;
};

}  // namespace orsk
