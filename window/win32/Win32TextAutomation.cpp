// The text control's UI Automation provider and its text ranges, and the control's side that
// hands them (and the MSAA object) to tools.

#include "window/win32/Win32TextAutomation.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "window/textmodel/GraphemeClusters.h"
#include "window/textmodel/TextRanges.h"
#include "window/win32/Win32FreeThreadedAnswer.h"
#include "window/win32/Win32TextAccessible.h"
#include "window/win32/Win32TextControl.h"
#include "window/win32/Win32UiaInterfaces.h"

namespace orsk {

// The element: the control with its text and value patterns. A friend of the control, so
// that it reads the text and the screen as they are drawn.
class Win32TextAutomation final : public IRawElementProviderSimple,
                                  public uia::ITextProvider,
                                  public uia::IValueProvider {
public:
    explicit Win32TextAutomation(Win32TextControl& control)
        : control_(&control), window_(control.Handle()) {}

    HWND Window() const noexcept { return window_; }
    // The control is going: every call from now on fails without touching it.
    void Disconnect() noexcept { control_ = nullptr; }
    bool Connected() const noexcept { return control_ != nullptr; }
    // Only while connected.
    const TextEditor& Editor() const { return control_->editor_; }
    const TextBuffer& Text() const { return control_->editor_.Text(); }
    bool ReadOnly() const { return control_->readOnly_; }

    // IUnknown, one for the three interfaces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** result) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE
    get_HostRawElementProvider(IRawElementProviderSimple** result) override;

    // ITextProvider
    HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** result) override;
    HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** result) override;
    HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* child,
                                             uia::ITextRangeProvider** result) override;
    HRESULT STDMETHODCALLTYPE RangeFromPoint(uia::UiaPoint point,
                                             uia::ITextRangeProvider** result) override;
    HRESULT STDMETHODCALLTYPE get_DocumentRange(uia::ITextRangeProvider** result) override;
    HRESULT STDMETHODCALLTYPE
    get_SupportedTextSelection(uia::SupportedTextSelection* result) override;

    // IValueProvider
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* result) override;

    // For the ranges, only while connected.
    std::vector<double> BoundingRectangles(TextRange range) const;
    void ScrollIntoView(TextRange range, bool alignToTop);
    void Select(TextRange range) { control_->Select(range.start, range.end - range.start); }

private:
    ~Win32TextAutomation() = default;
    HRESULT RangeArray(TextRange range, SAFEARRAY** result);

    std::atomic<ULONG> references_{1};
    Win32TextControl* control_;
    HWND window_;
};

namespace {

// Identifies the ranges made here, so that a range handed back by a tool can be read.
// {6D0F3A52-8C1E-4B7A-9E43-2F5B7C1D0A96}
constexpr IID kIidOwnTextRange = {
    0x6d0f3a52, 0x8c1e, 0x4b7a, {0x9e, 0x43, 0x2f, 0x5b, 0x7c, 0x1d, 0x0a, 0x96}};

// No exception may leave a COM call: running out of memory fails only that call.
template <class Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT StringResult(const wchar_t* text, std::size_t length, BSTR* result) {
    *result = ::SysAllocStringLen(text, static_cast<UINT>(length));
    return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

void BoolResult(bool value, VARIANT* result) {
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool ReadUnit(uia::TextUnit unit, TextUnit& read) {
    const auto number = static_cast<int>(unit);
    if (number < static_cast<int>(TextUnit::Character) ||
        number > static_cast<int>(TextUnit::Document)) {
        return false;
    }
    read = static_cast<TextUnit>(number);
    return true;
}

bool ReadEndpoint(uia::TextPatternRangeEndpoint endpoint, RangeEndpoint& read) {
    if (endpoint != uia::TextPatternRangeEndpoint::Start &&
        endpoint != uia::TextPatternRangeEndpoint::End) {
        return false;
    }
    read = endpoint == uia::TextPatternRangeEndpoint::Start ? RangeEndpoint::Start
                                                            : RangeEndpoint::End;
    return true;
}

// The system's lower case of each UTF-16 unit, for searches that ignore the case: a table
// made on the first such search and kept for the program's life.
char16_t LowerCase(char16_t unit) {
    static const std::array<char16_t, 0x10000>* const table = [] {
        auto* lower = new std::array<char16_t, 0x10000>;
        for (std::size_t i = 0; i < lower->size(); ++i) {
            (*lower)[i] = static_cast<char16_t>(i);
        }
        ::CharLowerBuffW(reinterpret_cast<wchar_t*>(lower->data()),
                         static_cast<DWORD>(lower->size()));
        return lower;
    }();
    return (*table)[unit];
}

// COM calls reach the control's thread as window messages only when the thread is in a
// single-threaded apartment; it joins one before it first answers, and stays in it.
void JoinApartment() {
    static thread_local bool joined = false;
    if (!joined) {
        joined = true;
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
}

class TextRangeProvider final : public uia::ITextRangeProvider {
public:
    TextRangeProvider(Win32TextAutomation& owner, TextRange range) : owner_(owner), range_(range) {
        owner_.AddRef();
    }

    static HRESULT Make(Win32TextAutomation& owner, TextRange range,
                        uia::ITextRangeProvider** result) {
        *result = new (std::nothrow) TextRangeProvider(owner, range);
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == uia::kIidTextRangeProvider ||
            iid == kIidOwnTextRange) {
            *object = static_cast<uia::ITextRangeProvider*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Clone(uia::ITextRangeProvider** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        return Make(owner_, range_, result);
    }

    HRESULT STDMETHODCALLTYPE Compare(uia::ITextRangeProvider* other, BOOL* result) override {
        const TextRangeProvider* range = nullptr;
        if (const HRESULT status = Read(other, result, range); FAILED(status)) {
            return status;
        }
        *result = Clamped(Text(), range_) == Clamped(Text(), range->range_);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CompareEndpoints(uia::TextPatternRangeEndpoint endpoint,
                                               uia::ITextRangeProvider* other,
                                               uia::TextPatternRangeEndpoint otherEndpoint,
                                               int* result) override {
        const TextRangeProvider* range = nullptr;
        RangeEndpoint own{};
        RangeEndpoint theirs{};
        if (const HRESULT status = Read(other, result, range); FAILED(status)) {
            return status;
        }
        if (!ReadEndpoint(endpoint, own) || !ReadEndpoint(otherEndpoint, theirs)) {
            return E_INVALIDARG;
        }
        const std::size_t here = EndpointOf(Text(), range_, own);
        const std::size_t there = EndpointOf(Text(), range->range_, theirs);
        *result = here < there ? -1 : (here > there ? 1 : 0);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(uia::TextUnit unit) override {
        TextUnit read{};
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        if (!ReadUnit(unit, read)) {
            return E_INVALIDARG;
        }
        range_ = orsk::ExpandToEnclosingUnit(Text(), range_, read);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID, VARIANT, BOOL,
                                            uia::ITextRangeProvider** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;  // the text has no attributes to find
        return owner_.Connected() ? S_OK : uia::kElementNotAvailable;
    }

    HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                       uia::ITextRangeProvider** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        if (text == nullptr) {
            return E_INVALIDARG;
        }
        return Guarded([&] {
            const std::u16string_view needle(reinterpret_cast<const char16_t*>(text),
                                             ::SysStringLen(text));
            const auto found = FindInRange(Text(), range_, needle, backward != FALSE,
                                           ignoreCase != FALSE ? LowerCase : nullptr);
            return found ? Make(owner_, *found, result) : S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attribute,
                                                VARIANT* result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(result);
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        if (attribute == uia::kIsReadOnlyAttributeId) {
            BoolResult(owner_.ReadOnly(), result);
            return S_OK;
        }
        // Every other attribute: the reserved "not supported" object, which UI Automation
        // keeps for the process's life.
        const auto& core = uia::UiaCore();
        IUnknown* notSupported = nullptr;
        if (core.getReservedNotSupportedValue != nullptr &&
            SUCCEEDED(core.getReservedNotSupportedValue(&notSupported))) {
            result->vt = VT_UNKNOWN;
            result->punkVal = notSupported;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        return Guarded([&] {
            const std::vector<double> values = owner_.BoundingRectangles(range_);
            SAFEARRAY* array = ::SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
            if (array == nullptr) {
                return E_OUTOFMEMORY;
            }
            for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
                double value = values[static_cast<std::size_t>(i)];
                ::SafeArrayPutElement(array, &i, &value);
            }
            *result = array;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        return owner_.QueryInterface(__uuidof(IRawElementProviderSimple),
                                     reinterpret_cast<void**>(result));
    }

    HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        if (maxLength < -1) {
            return E_INVALIDARG;
        }
        // Copied straight into the string handed out, and no further than asked.
        const TextRange first = FirstUnits(Text(), range_, maxLength);
        const std::size_t length = first.end - first.start;
        if (length > 0x7FFFFFFF / sizeof(wchar_t)) {
            return E_OUTOFMEMORY;
        }
        BSTR text = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (text == nullptr) {
            return E_OUTOFMEMORY;
        }
        Text().CopyTo(first.start, length, reinterpret_cast<char16_t*>(text));
        *result = text;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Move(uia::TextUnit unit, int count, int* moved) override {
        TextUnit read{};
        if (const HRESULT status = Check(moved, unit, read); FAILED(status)) {
            return status;
        }
        *moved = MoveRange(Text(), range_, read, count);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint,
                                                 uia::TextUnit unit, int count,
                                                 int* moved) override {
        TextUnit read{};
        RangeEndpoint end{};
        if (const HRESULT status = Check(moved, unit, read); FAILED(status)) {
            return status;
        }
        if (!ReadEndpoint(endpoint, end)) {
            return E_INVALIDARG;
        }
        *moved = orsk::MoveEndpointByUnit(Text(), range_, end, read, count);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE
    MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint, uia::ITextRangeProvider* other,
                        uia::TextPatternRangeEndpoint otherEndpoint) override {
        const TextRangeProvider* range = nullptr;
        RangeEndpoint own{};
        RangeEndpoint theirs{};
        BOOL unused = FALSE;
        if (const HRESULT status = Read(other, &unused, range); FAILED(status)) {
            return status;
        }
        if (!ReadEndpoint(endpoint, own) || !ReadEndpoint(otherEndpoint, theirs)) {
            return E_INVALIDARG;
        }
        MoveEndpointTo(Text(), range_, own, EndpointOf(Text(), range->range_, theirs));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Select() override {
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        owner_.Select(Clamped(Text(), range_));
        return S_OK;
    }

    // One selection only.
    HRESULT STDMETHODCALLTYPE AddToSelection() override { return uia::kInvalidOperation; }
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return uia::kInvalidOperation; }

    HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) override {
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        owner_.ScrollIntoView(Clamped(Text(), range_), alignToTop != FALSE);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** result) override {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        *result = ::SafeArrayCreateVector(VT_UNKNOWN, 0, 0);
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~TextRangeProvider() { owner_.Release(); }

    const TextBuffer& Text() const { return owner_.Text(); }

    // The checks of every call that reads another range: it must be one of this element's.
    template <class Out>
    HRESULT Read(uia::ITextRangeProvider* other, Out* result,
                 const TextRangeProvider*& range) const {
        if (result == nullptr) {
            return E_POINTER;
        }
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        void* own = nullptr;
        if (other == nullptr || FAILED(other->QueryInterface(kIidOwnTextRange, &own))) {
            return E_INVALIDARG;
        }
        auto* ours = static_cast<TextRangeProvider*>(static_cast<uia::ITextRangeProvider*>(own));
        // The caller holds the range for the call; the reference of the query is not needed.
        ours->Release();
        range = ours;
        return &ours->owner_ == &owner_ ? S_OK : E_INVALIDARG;
    }

    HRESULT Check(int* moved, uia::TextUnit unit, TextUnit& read) const {
        if (moved == nullptr) {
            return E_POINTER;
        }
        *moved = 0;
        if (!owner_.Connected()) {
            return uia::kElementNotAvailable;
        }
        return ReadUnit(unit, read) ? S_OK : E_INVALIDARG;
    }

    std::atomic<ULONG> references_{1};
    Win32TextAutomation& owner_;
    TextRange range_;
};

}  // namespace

// ---- The element ----------------------------------------------------------------------------

HRESULT Win32TextAutomation::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
        *object = static_cast<IRawElementProviderSimple*>(this);
    } else if (iid == uia::kIidTextProvider) {
        *object = static_cast<uia::ITextProvider*>(this);
    } else if (iid == uia::kIidValueProvider) {
        *object = static_cast<uia::IValueProvider*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG Win32TextAutomation::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT Win32TextAutomation::get_ProviderOptions(ProviderOptions* options) {
    if (options == nullptr) {
        return E_POINTER;
    }
    *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                            ProviderOptions_UseComThreading);
    return S_OK;
}

HRESULT Win32TextAutomation::GetPatternProvider(PATTERNID pattern, IUnknown** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    if (pattern == UIA_TextPatternId) {
        return QueryInterface(uia::kIidTextProvider, reinterpret_cast<void**>(result));
    }
    if (pattern == UIA_ValuePatternId) {
        return QueryInterface(uia::kIidValueProvider, reinterpret_cast<void**>(result));
    }
    return S_OK;
}

HRESULT Win32TextAutomation::GetPropertyValue(PROPERTYID property, VARIANT* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    ::VariantInit(result);
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    switch (property) {
        case UIA_ControlTypePropertyId:
            result->vt = VT_I4;
            result->lVal = uia::kDocumentControlTypeId;
            return S_OK;
        case UIA_NamePropertyId:
            result->vt = VT_BSTR;
            return StringResult(kAccessibleName, std::size(kAccessibleName) - 1, &result->bstrVal);
        case UIA_ClassNamePropertyId: {
            const std::wstring_view name = Win32TextControl::ClassName();
            result->vt = VT_BSTR;
            return StringResult(name.data(), name.size(), &result->bstrVal);
        }
        case UIA_AutomationIdPropertyId: {
            // The control's id, as the system's own controls report theirs.
            const std::wstring id = std::to_wstring(::GetDlgCtrlID(window_));
            result->vt = VT_BSTR;
            return StringResult(id.data(), id.size(), &result->bstrVal);
        }
        case UIA_IsKeyboardFocusablePropertyId:
        case UIA_IsTextPatternAvailablePropertyId:
        case UIA_IsValuePatternAvailablePropertyId:
            BoolResult(true, result);
            return S_OK;
        case UIA_HasKeyboardFocusPropertyId:
            BoolResult(::GetFocus() == window_, result);
            return S_OK;
        case UIA_IsEnabledPropertyId:
            BoolResult(::IsWindowEnabled(window_) != FALSE, result);
            return S_OK;
        case UIA_IsPasswordPropertyId:
            BoolResult(false, result);
            return S_OK;
        case UIA_ValueIsReadOnlyPropertyId:
            BoolResult(ReadOnly(), result);
            return S_OK;
        default:
            return S_OK;  // VT_EMPTY: the host window's provider answers
    }
}

HRESULT Win32TextAutomation::get_HostRawElementProvider(IRawElementProviderSimple** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    const auto& core = uia::UiaCore();
    return core.hostProviderFromHwnd != nullptr ? core.hostProviderFromHwnd(window_, result) : S_OK;
}

HRESULT Win32TextAutomation::RangeArray(TextRange range, SAFEARRAY** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    uia::ITextRangeProvider* provider = nullptr;
    if (const HRESULT status = TextRangeProvider::Make(*this, range, &provider); FAILED(status)) {
        return status;
    }
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
    if (array == nullptr) {
        provider->Release();
        return E_OUTOFMEMORY;
    }
    LONG index = 0;
    ::SafeArrayPutElement(array, &index, provider);  // takes its own reference
    provider->Release();
    *result = array;
    return S_OK;
}

HRESULT Win32TextAutomation::GetSelection(SAFEARRAY** result) {
    if (!Connected()) {
        return RangeArray({}, result);
    }
    const TextEditor& editor = Editor();
    return RangeArray(TextRange{editor.SelectionStart(), editor.SelectionEnd()}, result);
}

HRESULT Win32TextAutomation::GetVisibleRanges(SAFEARRAY** result) {
    if (!Connected()) {
        return RangeArray({}, result);
    }
    // The lines in view, whole: a tool reads what is beyond the left or right edge too.
    const TextBuffer& text = Text();
    const std::size_t top = std::min(control_->topLine_, text.LineCount() - 1);
    const std::size_t end = top + control_->VisibleLines();
    return RangeArray(TextRange{text.LineStart(top),
                                end < text.LineCount() ? text.LineStart(end) : text.Length()},
                      result);
}

HRESULT Win32TextAutomation::RangeFromChild(IRawElementProviderSimple*,
                                            uia::ITextRangeProvider** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    return Connected() ? E_INVALIDARG : uia::kElementNotAvailable;  // there are no children
}

HRESULT Win32TextAutomation::RangeFromPoint(uia::UiaPoint point, uia::ITextRangeProvider** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    POINT at{static_cast<LONG>(std::lround(point.x)), static_cast<LONG>(std::lround(point.y))};
    ::ScreenToClient(window_, &at);
    const std::size_t position = control_->PositionAtPoint(at.x, at.y);
    return TextRangeProvider::Make(*this, TextRange{position, position}, result);
}

HRESULT Win32TextAutomation::get_DocumentRange(uia::ITextRangeProvider** result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    return TextRangeProvider::Make(*this, TextRange{0, Text().Length()}, result);
}

HRESULT Win32TextAutomation::get_SupportedTextSelection(uia::SupportedTextSelection* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = uia::SupportedTextSelection::Single;
    return Connected() ? S_OK : uia::kElementNotAvailable;
}

HRESULT Win32TextAutomation::SetValue(LPCWSTR value) {
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    if (value == nullptr) {
        return E_INVALIDARG;
    }
    if (!::IsWindowEnabled(window_)) {
        return uia::kElementNotEnabled;
    }
    if (ReadOnly()) {
        return E_ACCESSDENIED;
    }
    // Exactly what another program's WM_SETTEXT does, notification included.
    ::SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
    return S_OK;
}

HRESULT Win32TextAutomation::get_Value(BSTR* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    // The first units, up to a character's end; never the whole log.
    const TextBuffer& text = Text();
    std::size_t end = std::min(text.Length(), kAccessibleValueUnits);
    if (!IsClusterBoundary(text, end)) {
        end = PreviousClusterBoundary(text, end);
    }
    BSTR value = ::SysAllocStringLen(nullptr, static_cast<UINT>(end));
    if (value == nullptr) {
        return E_OUTOFMEMORY;
    }
    text.CopyTo(0, end, reinterpret_cast<char16_t*>(value));
    *result = value;
    return S_OK;
}

HRESULT Win32TextAutomation::get_IsReadOnly(BOOL* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = FALSE;
    if (!Connected()) {
        return uia::kElementNotAvailable;
    }
    *result = ReadOnly() ? TRUE : FALSE;
    return S_OK;
}

std::vector<double> Win32TextAutomation::BoundingRectangles(TextRange range) const {
    // One rectangle per line in view, from where the range starts on it to where it ends (or
    // the line's end); in screen pixels, as left, top, width, height. None for an empty range,
    // nor for the empty parts of lines.
    const Win32TextControl& control = *control_;
    const TextBuffer& text = Text();
    range = Clamped(text, range);
    RECT client{};
    ::GetClientRect(window_, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window_, &origin);
    const std::size_t first = std::max(text.LineOf(range.start), control.topLine_);
    const std::size_t last =
        std::min(text.LineOf(range.end), control.topLine_ + control.VisibleLines() - 1);
    std::vector<double> values;
    for (std::size_t line = first; line <= last && line < text.LineCount(); ++line) {
        const std::size_t lineStart = text.LineStart(line);
        const std::size_t from = std::max(range.start, lineStart);
        const std::size_t to = std::min(range.end, lineStart + text.LineLength(line));
        if (from >= to) {
            continue;
        }
        const POINT a = control.PointOfPosition(from);
        const POINT b = control.PointOfPosition(to);
        const LONG left = std::max(std::min(a.x, b.x), client.left);
        const LONG right = std::min(std::max(a.x, b.x), client.right);
        if (left > right) {
            continue;  // beyond the left or right edge
        }
        values.insert(
            values.end(),
            {static_cast<double>(origin.x + left), static_cast<double>(origin.y + a.y),
             static_cast<double>(right - left), static_cast<double>(control.lineHeight_)});
    }
    return values;
}

void Win32TextAutomation::ScrollIntoView(TextRange range, bool alignToTop) {
    // The range's first line to the top of the view, or its last to the bottom; sideways as
    // the caret scrolls, by a quarter of the width.
    Win32TextControl& control = *control_;
    const std::size_t position = alignToTop ? range.start : range.end;
    const std::size_t line = Text().LineOf(position);
    const std::size_t page = control.VisibleLines();
    const std::size_t top = alignToTop ? line : (line + 1 > page ? line + 1 - page : 0);
    const std::size_t column = Editor().ColumnOf(position);
    const std::size_t width = control.VisibleColumns();
    const std::size_t jump = std::max<std::size_t>(1, width / 4);
    std::size_t left = control.leftColumn_;
    if (column < left) {
        left = column > jump ? column - jump : 0;
    } else if (column >= left + width) {
        left = column - width + jump;
    }
    control.ScrollTo(top, left);
}

// ---- The control's side ---------------------------------------------------------------------

Win32TextAccessibility::~Win32TextAccessibility() {
    if (provider_ != nullptr) {
        provider_->Disconnect();
        const auto& core = uia::UiaCore();
        if (answered_) {
            // UI Automation lets go of what it holds for the window, and tells the tools that
            // hold the provider that it is gone.
            if (core.returnRawElementProvider != nullptr) {
                core.returnRawElementProvider(provider_->Window(), 0, 0, nullptr);
            }
            if (core.disconnectProvider != nullptr) {
                core.disconnectProvider(provider_);
            }
        }
        provider_->Release();
    }
    if (accessible_ != nullptr) {
        accessible_->Disconnect();
        accessible_->Release();
    }
}

Win32TextAutomation& Win32TextAccessibility::Provider() {
    if (provider_ == nullptr) {
        provider_ = new Win32TextAutomation(control_);
    }
    return *provider_;
}

IRawElementProviderSimple* Win32TextAccessibility::ProviderForWindow(HWND window) {
    Win32TextControl* control = Win32TextControl::FromHandle(window);
    if (control == nullptr) {
        return nullptr;
    }
    Win32TextAutomation& provider = control->accessibility_.Provider();
    provider.AddRef();
    return &provider;
}

LRESULT Win32TextAccessibility::Answer(WPARAM flags, LPARAM objectId) {
    // The id is a 32-bit value, sign-extended or not on the way.
    const auto id = static_cast<LONG>(static_cast<DWORD>(objectId));
    if (id == uia::kRootObjectId) {
        const auto& core = uia::UiaCore();
        if (core.returnRawElementProvider == nullptr) {
            return 0;
        }
        JoinApartment();
        Win32TextAutomation& provider = Provider();
        if (!answered_) {
            answered_ = true;
            const TextEditor& editor = provider.Editor();
            toldEdits_ = editor.Text().EditCount();
            toldLength_ = editor.Length();
            toldAnchor_ = editor.Anchor();
            toldCaret_ = editor.Caret();
        }
        return core.returnRawElementProvider(provider.Window(), flags, objectId, &provider);
    }
    if (id == OBJID_CLIENT) {
        if (accessible_ == nullptr) {
            accessible_ = new Win32TextAccessible(control_.Handle());
        }
        return FreeThreadedLresultFromObject(__uuidof(IAccessible), flags, accessible_);
    }
    return 0;
}

void Win32TextAccessibility::AfterPaint(const TextEditor& editor) {
    if (!answered_) {
        return;
    }
    const bool textChanged =
        editor.Text().EditCount() != toldEdits_ || editor.Length() != toldLength_;
    const bool selectionChanged = editor.Anchor() != toldAnchor_ || editor.Caret() != toldCaret_;
    if (!textChanged && !selectionChanged) {
        return;
    }
    toldEdits_ = editor.Text().EditCount();
    toldLength_ = editor.Length();
    toldAnchor_ = editor.Anchor();
    toldCaret_ = editor.Caret();
    const auto& core = uia::UiaCore();
    if (core.raiseAutomationEvent == nullptr ||
        (core.clientsAreListening != nullptr && !core.clientsAreListening())) {
        return;
    }
    if (textChanged) {
        core.raiseAutomationEvent(provider_, uia::kTextChangedEventId);
    }
    if (selectionChanged) {
        core.raiseAutomationEvent(provider_, uia::kTextSelectionChangedEventId);
    }
}

}  // namespace orsk
