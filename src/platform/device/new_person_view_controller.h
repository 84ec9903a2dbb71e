// device::NewPersonViewController: the screen for entering a new contact, shown modally inside a
// navigation controller. Save adds the person to the address book and saves the book before the
// delegate hears of it; Cancel reports no person.
#pragma once

#include <memory>

#include "platform/device/address_book.h"
#include "platform/device/person.h"
#include "platform/device/person_form.h"
#include "platform/ui/view_controller.h"

namespace device {

class NewPersonViewController;

class NewPersonViewControllerDelegate {
public:
    virtual ~NewPersonViewControllerDelegate() = default;
    // `person` is the saved person, or null when the person cancelled (or the save failed).
    virtual void newPersonViewControllerDidCompleteWithNewPerson(NewPersonViewController& controller,
                                                                 const std::shared_ptr<Person>& person) = 0;
};

class NewPersonViewController : public ui::ViewController {
public:
    NewPersonViewController();

    std::string className() const override { return "NewPersonViewController"; }

    // The book the person is saved in; a fresh handle is made at save time when none is set.
    const std::shared_ptr<AddressBook>& addressBook() const { return addressBook_; }
    void setAddressBook(std::shared_ptr<AddressBook> book) { addressBook_ = std::move(book); }
    // The draft the form starts from (a blank person when none is set).
    std::shared_ptr<Person> displayedPerson() const { return displayedPerson_; }
    void setDisplayedPerson(std::shared_ptr<Person> person);

    std::shared_ptr<NewPersonViewControllerDelegate> newPersonViewDelegate() const { return delegate_.lock(); }
    void setNewPersonViewDelegate(std::weak_ptr<NewPersonViewControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // What the Save and Cancel buttons do.
    void save();
    void cancel();

    // The form on screen, for test drivers.
    PersonForm& form() { return *form_; }

    void loadView() override;

private:
    void complete(const std::shared_ptr<Person>& person);

    std::shared_ptr<AddressBook> addressBook_;
    std::shared_ptr<Person> displayedPerson_;
    std::weak_ptr<NewPersonViewControllerDelegate> delegate_;
    std::shared_ptr<PersonForm> form_;
};

} // namespace device
