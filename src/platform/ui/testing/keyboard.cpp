// The keyboard driver: keys become insertText / deleteBackward / return / clear calls on the
// first responder when it is a text field or a text view; each step then runs the main loop.
#include "platform/ui/testing/keyboard.h"

#include <memory>
#include <string>

#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/utf16.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/text_field.h"
#include "platform/ui/text_view.h"

namespace ui::testing {
namespace {

std::shared_ptr<TextField> editedField() {
    return std::dynamic_pointer_cast<TextField>(KeyboardController::textInput());
}

std::shared_ptr<TextView> editedView() {
    return std::dynamic_pointer_cast<TextView>(KeyboardController::textInput());
}

bool nothingEdited(const char* key) {
    ZLOG(Warn, "Keyboard: %s pressed with no text input being edited", key);
    return false;
}

} // namespace

bool Keyboard::isVisible() {
    return KeyboardController::shared().isVisible();
}

ReturnKeyType Keyboard::returnKeyType() {
    if (auto field = editedField()) {
        return field->returnKeyType();
    }
    if (auto view = editedView()) {
        return view->textInputTraits().returnKeyType;
    }
    return ReturnKeyType::Default;
}

bool Keyboard::type(std::string_view text) {
    if (!KeyboardController::textInput()) {
        return nothingEdited("a character");
    }
    const std::u16string units = fnd::toUtf16(text);
    for (size_t i = 0; i < units.size();) {
        size_t n = 1;
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            n = 2;
        }
        const std::string character = fnd::fromUtf16(std::u16string_view(units).substr(i, n));
        i += n;
        // Each key goes to whoever is being edited now (a delegate may move the focus).
        if (auto field = editedField()) {
            field->insertText(character);
        } else if (auto view = editedView()) {
            view->insertText(character);
        } else {
            return nothingEdited("a character");
        }
        fnd::RunLoop::main().runUntilIdle();
    }
    return true;
}

bool Keyboard::backspace() {
    if (auto field = editedField()) {
        field->deleteBackward();
    } else if (auto view = editedView()) {
        view->deleteBackward();
    } else {
        return nothingEdited("backspace");
    }
    fnd::RunLoop::main().runUntilIdle();
    return true;
}

bool Keyboard::pressReturn() {
    if (auto field = editedField()) {
        field->returnKeyPressed();
    } else if (auto view = editedView()) {
        view->insertText("\n");
    } else {
        return nothingEdited("return");
    }
    fnd::RunLoop::main().runUntilIdle();
    return true;
}

bool Keyboard::tapClear() {
    auto field = editedField();
    if (!field) {
        return nothingEdited("clear");
    }
    field->clearButtonTapped();
    fnd::RunLoop::main().runUntilIdle();
    return true;
}

} // namespace ui::testing
