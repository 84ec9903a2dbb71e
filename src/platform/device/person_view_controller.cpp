// The contact screen: the display form with default actions for tapped values, and the Edit/Done
// cycle that writes edits to the person and saves its address book.
#include "platform/device/person_view_controller.h"

#include "platform/foundation/log.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace device {

PersonViewController::PersonViewController() : form_(std::make_shared<PersonForm>()) {
    setTitle("Info");
}

void PersonViewController::setDisplayedPerson(std::shared_ptr<Person> person) {
    displayedPerson_ = std::move(person);
    if (isViewLoaded()) {
        showValues();
    }
}

void PersonViewController::setAllowsEditing(bool allows) {
    allowsEditing_ = allows;
    if (isViewLoaded()) {
        updateBarItems();
    }
}

void PersonViewController::loadView() {
    auto table = form_->makeTable(gfx::Rect({0, 0}, ui::Screen::main().applicationFrame().size));
    setView(table);
    std::weak_ptr<PersonViewController> weakSelf = selfAs<PersonViewController>();
    form_->onSelect = [weakSelf](Property property, MultiValueIdentifier identifier) {
        if (auto self = weakSelf.lock()) {
            self->selected(property, identifier);
        }
    };
    showValues();
}

void PersonViewController::showValues() {
    if (displayedPerson_) {
        form_->load(*displayedPerson_, PersonForm::Mode::Display);
    } else {
        form_->load(*Person::create(), PersonForm::Mode::Display);
    }
    updateBarItems();
}

void PersonViewController::updateBarItems() {
    std::weak_ptr<PersonViewController> weakSelf = selfAs<PersonViewController>();
    auto item = navigationItem();
    if (!isEditingPerson()) {
        item->setLeftBarButtonItem(nullptr);
        item->setRightBarButtonItem(allowsEditing_ && displayedPerson_ ? ui::BarButtonItem::initWithBarButtonSystemItem(
                                                                             ui::BarButtonSystemItem::Edit,
                                                                             [weakSelf](auto&) {
                                                                                 if (auto self = weakSelf.lock()) {
                                                                                     self->beginEditing();
                                                                                 }
                                                                             })
                                                                       : nullptr);
        return;
    }
    item->setLeftBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Cancel, [weakSelf](auto&) {
            if (auto self = weakSelf.lock()) {
                self->cancelEditing();
            }
        }));
    item->setRightBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Done, [weakSelf](auto&) {
            if (auto self = weakSelf.lock()) {
                self->done();
            }
        }));
}

void PersonViewController::beginEditing() {
    view();
    if (!allowsEditing_ || !displayedPerson_ || isEditingPerson()) {
        return;
    }
    form_->load(*displayedPerson_, PersonForm::Mode::Editing);
    updateBarItems();
}

void PersonViewController::done() {
    if (!isEditingPerson()) {
        return;
    }
    form_->apply(*displayedPerson_);
    if (addressBook_) {
        if (auto saved = addressBook_->save(); !saved) {
            ZLOG(Error, "PersonViewController: the edits could not be saved: %s", saved.error().localizedDescription());
        }
    }
    showValues();
}

void PersonViewController::cancelEditing() {
    if (isEditingPerson()) {
        showValues();
    }
}

void PersonViewController::selected(Property property, MultiValueIdentifier identifier) {
    auto keepAlive = selfAs<PersonViewController>();
    auto person = displayedPerson_;
    if (!person) {
        return;
    }
    auto delegate = delegate_.lock();
    if (delegate &&
        !delegate->personViewControllerShouldPerformDefaultActionForPerson(*this, person, property, identifier)) {
        return;
    }
    const auto mv = person->copyValue(property).asObject<MultiValue>();
    if (!mv) {
        return; // names, notes and dates have no default action
    }
    const std::string value = mv->valueAtIndex(mv->indexForIdentifier(identifier)).stringValue();
    if (value.empty()) {
        return;
    }
    std::string url;
    if (property == Property::Phone) {
        for (char c : value) {
            if ((c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#') {
                url += c;
            }
        }
        url = "tel:" + url;
    } else if (property == Property::Email) {
        url = "mailto:" + value;
    } else {
        url = value;
    }
    ui::Application::shared().openURL(url);
}

} // namespace device
