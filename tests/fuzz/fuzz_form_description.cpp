// Fuzzes the form description parser with any text (seeded with window/OrskTraceFrm.form).
//
// Every text either parses or is refused with FormDescriptionError, whose message starts with
// "Form description line N: " for a line N of the text (or the one after its last, where a
// missing object would have been). Any other exception is a fault. A description that parses
// holds together: every name it refers to is described, parents come before their children,
// and the Tab order visits only controls that exist, each once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <string_view>

#include "tests/fuzz/FuzzSupport.h"
#include "window/form/FormDescription.h"

namespace {

// Lines as the parser counts them: cut at LF, after a leading byte-order mark.
int LineCount(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (text.empty()) {
        return 0;
    }
    const auto breaks = std::count(text.begin(), text.end(), '\n');
    return static_cast<int>(breaks) + (text.back() == '\n' ? 0 : 1);
}

void CheckRefusal(const orsk::FormDescriptionError& error, int lines) {
    const int line = error.Line();
    ORSK_FUZZ_CHECK(line >= 1 && line <= lines + 1);
    const std::string prefix = "Form description line " + std::to_string(line) + ": ";
    const std::string_view message = error.what();
    ORSK_FUZZ_CHECK(message.substr(0, prefix.size()) == prefix);
    ORSK_FUZZ_CHECK(message.size() > prefix.size());  // the problem itself is named
}

void CheckDescription(const orsk::FormDescription& description) {
    ORSK_FUZZ_CHECK(!description.form.name.empty());
    ORSK_FUZZ_CHECK(!description.form.className.empty());
    if (!description.form.activeControl.empty()) {
        ORSK_FUZZ_CHECK(description.FindControl(description.form.activeControl) != nullptr);
    }

    std::set<std::string> createdPanels;
    for (const orsk::ControlSpec& control : description.controls) {
        ORSK_FUZZ_CHECK(control.parent == description.form.name ||
                        createdPanels.count(control.parent) == 1);
        ORSK_FUZZ_CHECK(description.FindControl(control.name) == &control);  // names are unique
        if (!control.popupMenu.empty()) {
            ORSK_FUZZ_CHECK(description.FindPopupMenu(control.popupMenu) != nullptr);
        }
        if (control.kind == orsk::ControlKind::Panel) {
            createdPanels.insert(control.name);
        }
    }
    for (const orsk::PopupMenuSpec& menu : description.popupMenus) {
        for (const orsk::MenuItemSpec& item : menu.items) {
            ORSK_FUZZ_CHECK(item.separator == item.action.empty());
            if (!item.separator) {
                ORSK_FUZZ_CHECK(description.FindAction(item.action) != nullptr);
            }
        }
    }
    for (const orsk::ActionSpec& action : description.actions) {
        ORSK_FUZZ_CHECK(description.FindAction(action.name) == &action);
    }

    std::set<std::string> visited;
    for (const std::string& name : description.TabOrder()) {
        const orsk::ControlSpec* control = description.FindControl(name);
        ORSK_FUZZ_CHECK(control != nullptr);
        ORSK_FUZZ_CHECK(control->tabStop);
        ORSK_FUZZ_CHECK(visited.insert(name).second);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        CheckDescription(orsk::ParseFormDescription(text));
    } catch (const orsk::FormDescriptionError& error) {
        CheckRefusal(error, LineCount(text));
    } catch (const std::exception& other) {
        std::fprintf(stderr, "not a FormDescriptionError: %s\n", other.what());
        orsk::fuzz::PropertyFailed(__FILE__, __LINE__,
                                   "the parser refuses only with FormDescriptionError");
    }
    return 0;
}
