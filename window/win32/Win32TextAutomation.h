#pragma once
// The view's text control as assistive tools see it: a UI Automation provider (a Document with
// the text and value patterns, whose ranges walk the text by characters, words and lines) and,
// for older tools, an MSAA object (Win32TextAccessible.h). Both are answers to WM_GETOBJECT.
//
// Tools get a short fixed name, never the log itself, and read the text through ranges that
// copy no more of it than they ask for: the text may be hundreds of megabytes.
//
// The objects are reference counted, and a tool may keep them after the control has gone: the
// control cuts them off as it goes, and from then on they answer "element not available"
// without touching it. They are called on the control's thread only: the provider asks for
// COM's threading rules (ProviderOptions_UseComThreading), and the thread joins a
// single-threaded apartment before the first answer (and stays in it).

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct IRawElementProviderSimple;

namespace orsk {

class TextEditor;
class Win32TextControl;
class Win32TextAutomation;
class Win32TextAccessible;

// The name tools give the text area.
inline constexpr wchar_t kAccessibleName[] = L"Traces";
// What a tool reads as the control's value: its first units only.
inline constexpr std::size_t kAccessibleValueUnits = 256;

// The control's side (a member of it): answers WM_GETOBJECT, tells listening tools what changed
// once a paint has shown it, and cuts the objects off when the control goes (its destructor).
class Win32TextAccessibility {
public:
    explicit Win32TextAccessibility(Win32TextControl& control) : control_(control) {}
    ~Win32TextAccessibility();
    Win32TextAccessibility(const Win32TextAccessibility&) = delete;
    Win32TextAccessibility& operator=(const Win32TextAccessibility&) = delete;

    // The answer to WM_GETOBJECT; 0 for objects that are not ours, as DefWindowProc answers.
    LRESULT Answer(WPARAM flags, LPARAM objectId);
    // Raises the text and selection events, at most one of each, for what changed since the
    // last paint; only once a tool has asked for the provider, and only while tools listen.
    void AfterPaint(const TextEditor& editor);

    // The UI Automation provider of a text control of this process, with a reference for the
    // caller; null for any other window. Tools get it through WM_GETOBJECT; this is for callers
    // in the same process, which cannot use that answer themselves.
    static IRawElementProviderSimple* ProviderForWindow(HWND window);

private:
    Win32TextAutomation& Provider();

    Win32TextControl& control_;
    Win32TextAutomation* provider_ = nullptr;
    Win32TextAccessible* accessible_ = nullptr;
    bool answered_ = false;
    // What the tools were last told of.
    std::uint64_t toldEdits_ = 0;
    std::size_t toldLength_ = 0;
    std::size_t toldAnchor_ = 0;
    std::size_t toldCaret_ = 0;
};

}  // namespace orsk
