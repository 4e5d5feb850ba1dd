#include "window/form/FormDescription.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/form/FormBinder.h"
#include "window/form/FormScanner.h"

namespace orsk {

FormDescriptionError::FormDescriptionError(int line, const std::string& problem)
    : TraceError("Form description line " + std::to_string(line) + ": " + problem), line_(line) {}

namespace {

void AppendTabStops(const FormDescription& description, std::string_view parent, std::size_t depth,
                    std::vector<std::string>& order) {
    // A hand-built description could make a panel its own ancestor; parsed ones cannot.
    if (depth > description.controls.size()) {
        return;
    }
    std::vector<const ControlSpec*> children;
    for (const ControlSpec& control : description.controls) {
        if (control.parent == parent && (control.tabStop || control.kind == ControlKind::Panel)) {
            children.push_back(&control);
        }
    }
    // Controls without a tabOrder follow those with one; stable sorting keeps creation order
    // among equals.
    std::stable_sort(children.begin(), children.end(),
                     [](const ControlSpec* a, const ControlSpec* b) {
                         const auto key = [](const ControlSpec* c) {
                             return std::pair(c->tabOrder < 0, c->tabOrder);
                         };
                         return key(a) < key(b);
                     });
    for (const ControlSpec* child : children) {
        if (child->tabStop) {
            order.push_back(child->name);
        }
        if (child->kind == ControlKind::Panel) {
            AppendTabStops(description, child->name, depth + 1, order);
        }
    }
}

template <typename T>
const T* FindByName(const std::vector<T>& items, std::string_view name) {
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const T& item) { return item.name == name; });
    return found == items.end() ? nullptr : &*found;
}

}  // namespace

const ControlSpec* FormDescription::FindControl(std::string_view name) const {
    return FindByName(controls, name);
}

const ActionSpec* FormDescription::FindAction(std::string_view name) const {
    return FindByName(actions, name);
}

const PopupMenuSpec* FormDescription::FindPopupMenu(std::string_view name) const {
    return FindByName(popupMenus, name);
}

std::vector<std::string> FormDescription::TabOrder() const {
    std::vector<std::string> order;
    AppendTabStops(*this, form.name, 0, order);
    return order;
}

// Scanning and binding take turns object by object, so a fault is reported at the first faulty
// line in reading order.
FormDescription ParseFormDescription(std::string_view text) {
    form_detail::FormBinder binder;
    form_detail::ScanObjects(text,
                             [&](const form_detail::ObjectText& object) { binder.Bind(object); });
    return binder.Finish();
}

}  // namespace orsk
