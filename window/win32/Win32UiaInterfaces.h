#pragma once
// The parts of UI Automation's provider API that MinGW-w64's headers lack: the text and value
// pattern interfaces, exactly as UIAutomationCore.idl lays them out (method order and IIDs), a
// few ids, and the functions of uiautomationcore.dll, which has no import library here and is
// loaded when first needed.
//
// Declared in orsk::uia, so that they never meet the same names from a fuller SDK.

#include <windows.h>

// Not <uiautomation.h>: its uiautomationcoreapi.h names a parameter "new" and is no C++.
#include <ole2.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

#include <type_traits>

namespace orsk::uia {

// Ids and error codes that uiautomationclient.h of MinGW-w64 does not define.
inline constexpr CONTROLTYPEID kDocumentControlTypeId = 50030;
inline constexpr EVENTID kTextSelectionChangedEventId = 20014;
inline constexpr EVENTID kTextChangedEventId = 20015;
inline constexpr TEXTATTRIBUTEID kIsReadOnlyAttributeId = 40015;

// The object id of WM_GETOBJECT that asks for the UI Automation provider.
inline constexpr LONG kRootObjectId = -25;

inline constexpr HRESULT kElementNotEnabled = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);

enum class TextUnit : int {
    Character = 0,
    Format = 1,
    Word = 2,
    Line = 3,
    Paragraph = 4,
    Page = 5,
    Document = 6,
};

enum class TextPatternRangeEndpoint : int { Start = 0, End = 1 };

enum class SupportedTextSelection : int { None = 0, Single = 1, Multiple = 2 };

struct UiaPoint {
    double x;
    double y;
};

// {5347AD7B-C355-46F8-AFF5-909033582F63}
inline constexpr IID kIidTextRangeProvider = {
    0x5347ad7b, 0xc355, 0x46f8, {0xaf, 0xf5, 0x90, 0x90, 0x33, 0x58, 0x2f, 0x63}};
// {3589C92C-63F3-4367-99BB-ADA653B77CF2}
inline constexpr IID kIidTextProvider = {
    0x3589c92c, 0x63f3, 0x4367, {0x99, 0xbb, 0xad, 0xa6, 0x53, 0xb7, 0x7c, 0xf2}};
// {C7935180-6FB3-4201-B174-7DF73ADBF64A}
inline constexpr IID kIidValueProvider = {
    0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};

struct ITextRangeProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clone(ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compare(ITextRangeProvider* range, BOOL* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(TextPatternRangeEndpoint endpoint,
                                                       ITextRangeProvider* targetRange,
                                                       TextPatternRangeEndpoint targetEndpoint,
                                                       int* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(TextUnit unit) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID attributeId, VARIANT value,
                                                    BOOL backward, ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                               ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attributeId,
                                                        VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(TextUnit unit, int count, int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(TextPatternRangeEndpoint endpoint,
                                                         TextUnit unit, int count, int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    MoveEndpointByRange(TextPatternRangeEndpoint endpoint, ITextRangeProvider* targetRange,
                        TextPatternRangeEndpoint targetEndpoint) = 0;
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** result) = 0;
};

struct ITextProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* child,
                                                     ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(UiaPoint point,
                                                     ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(ITextRangeProvider** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    get_SupportedTextSelection(SupportedTextSelection* result) = 0;
};

struct IValueProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* result) = 0;
};

// The functions of uiautomationcore.dll that the provider calls, each null when the system
// lacks it (Windows before 7, or an older Wine).
struct UiaCoreFunctions {
    LRESULT(WINAPI* returnRawElementProvider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
    HRESULT(WINAPI* hostProviderFromHwnd)(HWND, IRawElementProviderSimple**);
    HRESULT(WINAPI* raiseAutomationEvent)(IRawElementProviderSimple*, EVENTID);
    HRESULT(WINAPI* getReservedNotSupportedValue)(IUnknown**);
    BOOL(WINAPI* clientsAreListening)();
    HRESULT(WINAPI* disconnectProvider)(IRawElementProviderSimple*);
};

// Loaded from the system folder on the first call, and kept for the program's life.
inline const UiaCoreFunctions& UiaCore() {
    static const UiaCoreFunctions functions = [] {
        UiaCoreFunctions loaded{};
        wchar_t path[MAX_PATH] = {};
        const UINT folder = ::GetSystemDirectoryW(path, MAX_PATH);
        constexpr wchar_t kName[] = L"\\uiautomationcore.dll";
        if (folder == 0 || folder + sizeof(kName) / sizeof(wchar_t) > MAX_PATH) {
            return loaded;
        }
        ::lstrcatW(path, kName);
        HMODULE library = ::LoadLibraryW(path);
        if (library == nullptr) {
            return loaded;
        }
        const auto load = [library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                reinterpret_cast<void*>(::GetProcAddress(library, name)));
        };
        load(loaded.returnRawElementProvider, "UiaReturnRawElementProvider");
        load(loaded.hostProviderFromHwnd, "UiaHostProviderFromHwnd");
        load(loaded.raiseAutomationEvent, "UiaRaiseAutomationEvent");
        load(loaded.getReservedNotSupportedValue, "UiaGetReservedNotSupportedValue");
        load(loaded.clientsAreListening, "UiaClientsAreListening");
        load(loaded.disconnectProvider, "UiaDisconnectProvider");
        return loaded;
    }();
    return functions;
}

}  // namespace orsk::uia
