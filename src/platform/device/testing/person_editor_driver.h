// device::testing::PersonEditorDriver: a person using the contact screens, for tests - typing
// into the new-contact form, tapping Save, Cancel, Edit and Done on the navigation bar, and tapping
// a value on the contact screen.
#pragma once

#include <memory>
#include <string>

#include "platform/device/new_person_view_controller.h"
#include "platform/device/person_view_controller.h"

namespace device::testing {

class PersonEditorDriver {
public:
    explicit PersonEditorDriver(std::shared_ptr<NewPersonViewController> controller);
    explicit PersonEditorDriver(std::shared_ptr<PersonViewController> controller);

    // Types `value` into the field of a name, or into a list's blank row (first giving that row
    // `label` when one is given). False (logged) when the screen shows no such field.
    bool fill(Property property, const std::string& value, const std::string& label = {});
    // Retypes the list entry `identifier` (an empty value deletes it when saved).
    bool edit(Property property, MultiValueIdentifier identifier, const std::string& value);
    // Taps Edit on the contact screen.
    bool edit();
    // Taps Save (new contact) or Done (contact being edited).
    bool save();
    // Taps Cancel.
    bool cancel();
    // Taps the row of a value on the contact screen (identifier for list entries).
    bool tapProperty(Property property, MultiValueIdentifier identifier = kMultiValueInvalidIdentifier);

private:
    enum class Side { Left, Right };
    PersonForm* form();
    ui::ViewController* controller() const;
    bool type(Property property, MultiValueIdentifier identifier, const std::string& value);
    bool tapBarButton(Side side, const char* what);

    std::shared_ptr<NewPersonViewController> newPerson_;
    std::shared_ptr<PersonViewController> person_;
};

} // namespace device::testing
