#pragma once
// Control identifiers of the trace window's controls, by the names the form description gives
// them. The window hands this table to the form builder; test programs use the identifiers to
// find a control of the running window (GetDlgCtrlID of each child).

#include <string_view>
#include <utility>

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

inline constexpr std::pair<std::string_view, int> kControlIds[] = {
    {"memTrace", kIdMemTrace},         {"pnlTop", kIdPnlTop},
    {"lblFilter", kIdLblFilter},       {"cbFilter", kIdCbFilter},
    {"lblSearchFor", kIdLblSearchFor}, {"edtSearchFor", kIdEdtSearchFor},
    {"btnSearch", kIdBtnSearch},       {"pnlBottom", kIdPnlBottom},
    {"btnEmpty", kIdBtnEmpty},         {"btnClose", kIdBtnClose},
};

}  // namespace orsk
