// Save to File: the save dialog dlgSave, then the view text written in one piece.

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "common/TraceError.h"
#include "common/Utf8.h"
#include "window/OrskTraceFrm.h"
#include "window/view/SavedFileEncoding.h"
#include "window/win32/Win32AnsiCodePage.h"
#include "window/win32/Win32Error.h"
#include "window/win32/Win32Handles.h"
#include "window/win32/Win32Text.h"

namespace orsk {
namespace {

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length);
    return full;
}

// The chosen file, created when SaveView has the bytes for it.
class NewFile final : public SavedFile {
public:
    explicit NewFile(std::wstring fullPath) : fullPath_(std::move(fullPath)) {}

    void Create() override {
        file_ = FileHandle(::CreateFileW(fullPath_.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) {
            const DWORD code = ::GetLastError();
            throw TraceError("Cannot create file \"" + Utf16ToUtf8(FromWide(fullPath_)) + "\". " +
                             Utf16ToUtf8(SystemErrorText(code)));
        }
    }

    // One write: a failure leaves what was written so far.
    void Write(std::string_view bytes) override {
        DWORD written = 0;
        const bool wrote = bytes.size() <= MAXDWORD &&
                           ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                           written == bytes.size();
        if (!wrote) {
            throw TraceError("Stream write error");
        }
    }

private:
    std::wstring fullPath_;
    unique_file file_;
};

}  // namespace

bool TOrskTraceForm::ChooseSavePath() {
    // The name box starts with the path chosen last time (for the life of the window).
    std::vector<wchar_t> name(32768, L'\0');
    lastSavePath_.copy(name.data(), name.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    // No title, filter, default extension or first folder: the platform's defaults, and a
    // typed name is used exactly as typed.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    // The dialog's library is loaded when first needed: it brings in much of the shell, and
    // most sessions never save.
    using SaveDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const auto getSaveFileName = [] {
        HMODULE library = ::LoadLibraryW(L"comdlg32.dll");
        return library != nullptr ? reinterpret_cast<SaveDialog>(reinterpret_cast<void*>(
                                        ::GetProcAddress(library, "GetSaveFileNameW")))
                                  : nullptr;
    }();
    if (getSaveFileName == nullptr) {
        throw TraceError("Cannot open the save dialog: comdlg32.dll is missing");
    }
    if (!getSaveFileName(&dialog)) {
        return false;
    }
    lastSavePath_ = name.data();
    return true;
}

void TOrskTraceForm::actSaveToFileExecute() {
    if (!ChooseSavePath()) {
        return;
    }
    // The dialog ran a message loop of its own: the window may have been closed meanwhile.
    if (Handle() == nullptr || !::IsWindow(memTrace_)) {
        return;
    }
    // Traces that arrived while the dialog was open are in the view by now and are saved too.
    NewFile file(FullPathOf(lastSavePath_));
    SaveView(*textArea_, Win32AnsiCodePage(), file);
}

}  // namespace orsk
