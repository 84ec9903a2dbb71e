// The contact-screen driver: keyboard typing into the form's fields, real touches on the bar
// buttons and on value rows, and a main-loop run after each step.
#include "platform/device/testing/person_editor_driver.h"

#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace device::testing {

PersonEditorDriver::PersonEditorDriver(std::shared_ptr<NewPersonViewController> controller)
    : newPerson_(std::move(controller)) {}

PersonEditorDriver::PersonEditorDriver(std::shared_ptr<PersonViewController> controller)
    : person_(std::move(controller)) {}

ui::ViewController* PersonEditorDriver::controller() const {
    return newPerson_ ? static_cast<ui::ViewController*>(newPerson_.get()) : person_.get();
}

PersonForm* PersonEditorDriver::form() {
    if (newPerson_) {
        newPerson_->view();
        return &newPerson_->form();
    }
    if (person_) {
        person_->view();
        return &person_->form();
    }
    return nullptr;
}

bool PersonEditorDriver::type(Property property, MultiValueIdentifier identifier, const std::string& value) {
    PersonForm* f = form();
    const auto path = f ? f->indexPathFor(property, identifier) : std::nullopt;
    const PersonForm::Row* row = path ? f->rowAt(*path) : nullptr;
    if (row == nullptr || !row->field) {
        ZLOG(Warn, "PersonEditorDriver: no field for the %s (entry %d) on screen", propertyName(property), identifier);
        return false;
    }
    const auto field = row->field;
    if (!field->becomeFirstResponder()) {
        ZLOG(Warn, "PersonEditorDriver: the %s field would not take the keyboard", propertyName(property));
        return false;
    }
    ui::testing::Keyboard::tapClear();
    if (!value.empty()) {
        ui::testing::Keyboard::type(value);
    }
    field->resignFirstResponder();
    fnd::RunLoop::main().runUntilIdle();
    return true;
}

bool PersonEditorDriver::fill(Property property, const std::string& value, const std::string& label) {
    PersonForm* f = form();
    if (f == nullptr) {
        return false;
    }
    if (!label.empty()) {
        const auto path = f->indexPathFor(property, kMultiValueInvalidIdentifier);
        if (!path || !f->setLabel(*path, label)) {
            ZLOG(Warn, "PersonEditorDriver: the %s row takes no label", propertyName(property));
            return false;
        }
    }
    return type(property, kMultiValueInvalidIdentifier, value);
}

bool PersonEditorDriver::edit(Property property, MultiValueIdentifier identifier, const std::string& value) {
    return type(property, identifier, value);
}

bool PersonEditorDriver::tapBarButton(Side side, const char* what) {
    ui::ViewController* vc = controller();
    if (vc == nullptr) {
        return false;
    }
    vc->view();
    auto item =
        side == Side::Left ? vc->navigationItem()->leftBarButtonItem() : vc->navigationItem()->rightBarButtonItem();
    if (!item || item->displayTitle() != what) {
        ZLOG(Warn, "PersonEditorDriver: the screen shows no %s button", what);
        return false;
    }
    ui::Application::shared().flush();
    std::shared_ptr<ui::View> button;
    if (auto nav = vc->navigationController(); nav && nav->topViewController().get() == vc) {
        button = side == Side::Left ? nav->navigationBar()->leftView() : nav->navigationBar()->rightView();
    }
    if (button && button->window()) {
        const gfx::Rect b = button->bounds();
        ui::testing::TouchDriver::tap(button->window(), button->convertPointToView({b.midX(), b.midY()}, nullptr));
    } else {
        // Not inside a navigation bar on screen: the button's action, as its tap would run it.
        item->performAction();
    }
    fnd::RunLoop::main().runUntilIdle();
    return true;
}

bool PersonEditorDriver::edit() {
    return person_ && tapBarButton(Side::Right, "Edit");
}

bool PersonEditorDriver::save() {
    return tapBarButton(Side::Right, newPerson_ ? "Save" : "Done");
}

bool PersonEditorDriver::cancel() {
    return tapBarButton(Side::Left, "Cancel");
}

bool PersonEditorDriver::tapProperty(Property property, MultiValueIdentifier identifier) {
    PersonForm* f = form();
    const auto path = f ? f->indexPathFor(property, identifier) : std::nullopt;
    if (!path || !f->table()) {
        ZLOG(Warn, "PersonEditorDriver: no row for the %s (entry %d) on screen", propertyName(property), identifier);
        return false;
    }
    ui::Application::shared().flush();
    const bool tapped = ui::testing::TableDriver::select(*f->table(), *path);
    fnd::RunLoop::main().runUntilIdle();
    return tapped;
}

} // namespace device::testing
