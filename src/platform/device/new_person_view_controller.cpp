// The new-contact screen: an editing form over a draft person, Cancel and Save bar buttons, and
// the save into the address book that comes before the delegate is told.
#include "platform/device/new_person_view_controller.h"

#include "platform/foundation/log.h"
#include "platform/ui/screen.h"

namespace device {

NewPersonViewController::NewPersonViewController() : form_(std::make_shared<PersonForm>()) {
    setTitle("New Contact");
}

void NewPersonViewController::setDisplayedPerson(std::shared_ptr<Person> person) {
    displayedPerson_ = std::move(person);
    if (isViewLoaded() && displayedPerson_) {
        form_->load(*displayedPerson_, PersonForm::Mode::Editing);
    }
}

void NewPersonViewController::loadView() {
    if (!displayedPerson_) {
        displayedPerson_ = Person::create();
    }
    auto table = form_->makeTable(gfx::Rect({0, 0}, ui::Screen::main().applicationFrame().size));
    setView(table);
    form_->load(*displayedPerson_, PersonForm::Mode::Editing);

    std::weak_ptr<NewPersonViewController> weakSelf = selfAs<NewPersonViewController>();
    navigationItem()->setLeftBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Cancel, [weakSelf](auto&) {
            if (auto self = weakSelf.lock()) {
                self->cancel();
            }
        }));
    navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Save, [weakSelf](auto&) {
            if (auto self = weakSelf.lock()) {
                self->save();
            }
        }));
}

void NewPersonViewController::save() {
    view(); // the form holds what was typed
    auto person = displayedPerson_;
    form_->apply(*person);
    if (!addressBook_) {
        addressBook_ = AddressBook::create();
    }
    if (!addressBook_) {
        complete(nullptr);
        return;
    }
    if (person->recordID() == kRecordInvalidID) {
        addressBook_->addRecord(person);
    }
    if (auto saved = addressBook_->save(); !saved) {
        // Nothing was stored, so the caller must not be told of a new person.
        ZLOG(Error, "NewPersonViewController: the new person could not be saved: %s",
             saved.error().localizedDescription());
        addressBook_->removeRecord(person);
        complete(nullptr);
        return;
    }
    complete(person);
}

void NewPersonViewController::cancel() {
    complete(nullptr);
}

void NewPersonViewController::complete(const std::shared_ptr<Person>& person) {
    // The delegate usually dismisses this screen; keep it alive until the call returns.
    auto keepAlive = selfAs<NewPersonViewController>();
    if (auto delegate = delegate_.lock()) {
        delegate->newPersonViewControllerDidCompleteWithNewPerson(*this, person);
    }
}

} // namespace device
