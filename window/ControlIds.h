#pragma once
// Control identifiers of the trace window's controls. Test programs use them too, to find a
// control of the running window (GetDlgCtrlID of each child).

namespace orsk {

enum ControlId : int {
    kIdMemTrace = 101,
    kIdPnlTop = 102,
    kIdLblFilter = 103,
    kIdCbFilter = 104,
    kIdLblSearchFor = 105,
    kIdEdtSearchFor = 106,
    kIdBtnSearch = 107,
    kIdPnlBottom = 108,
    kIdBtnEmpty = 109,
    kIdBtnClose = 110,
};

// Window class and caption by which senders find the window.
inline constexpr wchar_t kTraceWindowClass[] = L"TOrskTraceForm";
inline constexpr wchar_t kTraceWindowCaption[] = L"ORSK Trace Window";

}  // namespace orsk
