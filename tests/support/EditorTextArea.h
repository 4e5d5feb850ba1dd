#pragma once
// The window's text model behind the text-area seam, as the window's own control uses it: the
// view rebuilt and searched without a window, for the benchmarks' baselines.

#include <optional>

#include "window/textmodel/TextEditor.h"
#include "window/view/TextArea.h"
#include "window/view/TraceSearch.h"

namespace orsk {

class EditorTextArea final : public TextArea {
public:
    std::u16string ReadAll() const override { return editor.Text().ReadAll(); }
    std::size_t Length() const override { return editor.Length(); }
    bool LastLineIsEmpty() const override {
        return editor.Text().LineLength(editor.Text().LineCount() - 1) == 0;
    }
    void Append(std::u16string_view text) override { editor.AppendProgramText(text); }
    void RemoveFrom(std::size_t position) override { editor.RemoveProgramTextFrom(position); }
    void ReplaceAll(std::u16string_view text) override { editor.ReplaceAllProgramText(text); }
    void ClearForRebuild() override { editor.ClearForRefill(); }
    std::optional<std::size_t> FindFolded(std::u16string_view needle,
                                          std::size_t from) const override {
        return orsk::FindFolded(editor.Text(), needle, from);
    }
    void Select(std::size_t start, std::size_t length) override {
        editor.Select(start, start + length);
    }
    void EndUpdate() override { editor.FinishRefill(); }

    TextEditor editor;
};

}  // namespace orsk
