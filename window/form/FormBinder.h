#pragma once
// The second step of reading a form description: each scanned object is bound into the
// FormDescription as soon as it is complete, its attributes read as typed values. Names that may
// be described later (popup menus, actions, the active control) are checked when the whole text
// is read, against the referencing line.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "window/form/FormDescription.h"
#include "window/form/FormScanner.h"

namespace orsk::form_detail {

class FormBinder {
public:
    void Bind(const ObjectText& object);

    // The description once every object is bound; refuses a text without a form and
    // references to names that were never described.
    FormDescription Finish();

private:
    enum class NameKind { Form, Control, PopupMenu, MenuItem, ActionList, Action };

    // A name that must turn out to be described somewhere in the text, checked at its end.
    struct Reference {
        std::string name;
        NameKind kind;
        int line;
        std::string missing;    // the problem when nothing has the name
        std::string wrongKind;  // the problem when something else has it
    };

    NameKind BindObject(const ObjectText& object);
    void NamedAbove(const Attribute& attribute, const std::string& name, NameKind kind,
                    const ObjectText& object, std::string_view kindText);
    void BindForm(const ObjectText& object);
    void BindControl(const ObjectText& object);
    void BindMenuEntry(const ObjectText& object, bool separator);
    void BindAction(const ObjectText& object);

    FormDescription description_;
    std::map<std::string, NameKind, std::less<>> names_;
    std::vector<Reference> references_;
    bool haveForm_ = false;
};

}  // namespace orsk::form_detail
