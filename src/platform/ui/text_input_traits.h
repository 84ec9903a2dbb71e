// The text input traits of text fields and text views: keyboard type and appearance, return key,
// autocapitalisation and autocorrection, with the values product code stores and compares.
#pragma once

namespace ui {

enum class KeyboardType {
    Default = 0,
    ASCIICapable = 1,
    NumbersAndPunctuation = 2,
    URL = 3,
    NumberPad = 4,
    PhonePad = 5,
    NamePhonePad = 6,
    EmailAddress = 7,
};

enum class KeyboardAppearance { Default = 0, Alert = 1 };

enum class ReturnKeyType {
    Default = 0,
    Go = 1,
    Google = 2,
    Join = 3,
    Next = 4,
    Route = 5,
    Search = 6,
    Send = 7,
    Yahoo = 8,
    Done = 9,
    EmergencyCall = 10,
};

enum class AutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };

enum class AutocorrectionType { Default = 0, No = 1, Yes = 2 };

struct TextInputTraits {
    KeyboardType keyboardType = KeyboardType::Default;
    KeyboardAppearance keyboardAppearance = KeyboardAppearance::Default;
    ReturnKeyType returnKeyType = ReturnKeyType::Default;
    AutocapitalizationType autocapitalizationType = AutocapitalizationType::None;
    AutocorrectionType autocorrectionType = AutocorrectionType::Default;
    bool secureTextEntry = false;
};

} // namespace ui
