// device::PersonViewController: the screen showing one contact. Tapping a value asks the delegate
// whether to do the default action (call, write, open); with editing allowed, Edit turns the values
// into fields and Done writes them to the person and saves the address book.
#pragma once

#include <memory>

#include "platform/device/address_book.h"
#include "platform/device/person.h"
#include "platform/device/person_form.h"
#include "platform/ui/view_controller.h"

namespace device {

class PersonViewController;

class PersonViewControllerDelegate {
public:
    virtual ~PersonViewControllerDelegate() = default;
    // Answer true to let the screen do the default action for the tapped value (dial the number,
    // open the mail or web address).
    virtual bool personViewControllerShouldPerformDefaultActionForPerson(PersonViewController& controller,
                                                                         const std::shared_ptr<Person>& person,
                                                                         Property property,
                                                                         MultiValueIdentifier identifier) = 0;
};

class PersonViewController : public ui::ViewController {
public:
    PersonViewController();

    std::string className() const override { return "PersonViewController"; }

    std::shared_ptr<Person> displayedPerson() const { return displayedPerson_; }
    void setDisplayedPerson(std::shared_ptr<Person> person);
    // The book saved after an edit; without one, edits stay on the person object.
    const std::shared_ptr<AddressBook>& addressBook() const { return addressBook_; }
    void setAddressBook(std::shared_ptr<AddressBook> book) { addressBook_ = std::move(book); }
    bool allowsEditing() const { return allowsEditing_; }
    void setAllowsEditing(bool allows);

    std::shared_ptr<PersonViewControllerDelegate> personViewDelegate() const { return delegate_.lock(); }
    void setPersonViewDelegate(std::weak_ptr<PersonViewControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // What the bar buttons do: Edit, Done (write and save) and Cancel (drop the edits).
    void beginEditing();
    void done();
    void cancelEditing();
    bool isEditingPerson() const { return form_->mode() == PersonForm::Mode::Editing; }

    // The form on screen, for test drivers.
    PersonForm& form() { return *form_; }

    void loadView() override;

private:
    void showValues();
    void selected(Property property, MultiValueIdentifier identifier);
    void updateBarItems();

    std::shared_ptr<Person> displayedPerson_;
    std::shared_ptr<AddressBook> addressBook_;
    bool allowsEditing_ = false;
    std::weak_ptr<PersonViewControllerDelegate> delegate_;
    std::shared_ptr<PersonForm> form_;
};

} // namespace device
