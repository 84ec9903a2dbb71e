// ui::testing::Keyboard: the keys a person presses, sent to the text field or text view being
// edited - characters one at a time, backspace, return and the clear button - plus what the keyboard
// shows (whether it is up and its return key).
#pragma once

#include <string_view>

#include "platform/ui/text_input_traits.h"

namespace ui::testing {

class Keyboard {
public:
    // Whether the keyboard is up (a text input is being edited).
    static bool isVisible();
    // The return key of the text input being edited (Default when none).
    static ReturnKeyType returnKeyType();

    // Types `text` one character at a time (a surrogate pair as one): a text field asks its
    // delegate about each insertion and sends EditingChanged; a text view tells its delegate.
    // False (and a log line) when nothing is being edited.
    static bool type(std::string_view text);
    // Deletes the character before the end.
    static bool backspace();
    // A text field's return key (textFieldShouldReturn, then EditingDidEndOnExit; it never
    // resigns); a text view gets a line break.
    static bool pressReturn();
    // The text field's clear button (textFieldShouldClear, then the text empties).
    static bool tapClear();
};

} // namespace ui::testing
