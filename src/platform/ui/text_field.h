// ui::TextField: a one-line editable text control - text, placeholder, font, colours, border styles,
// clear button, secure entry and text traits - with its delegate consulted around editing, and the
// typing calls (insertText, deleteBackward, return, clear) the keyboard drives.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/range.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/control.h"
#include "platform/ui/text_input_traits.h"
#include "platform/ui/types.h"

namespace ui {

class TextField;

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };

// Should-methods answer nullopt when the delegate does not implement them; the field then behaves
// as if they answered true.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual std::optional<bool> textFieldShouldBeginEditing(TextField& /*field*/) { return std::nullopt; }
    virtual void textFieldDidBeginEditing(TextField& /*field*/) {}
    virtual std::optional<bool> textFieldShouldEndEditing(TextField& /*field*/) { return std::nullopt; }
    virtual void textFieldDidEndEditing(TextField& /*field*/) {}
    // `range` is in UTF-16 code units of the current text.
    virtual std::optional<bool> textFieldShouldChangeCharactersInRange(TextField& /*field*/, fnd::Range /*range*/,
                                                                       const std::string& /*replacement*/) {
        return std::nullopt;
    }
    virtual std::optional<bool> textFieldShouldClear(TextField& /*field*/) { return std::nullopt; }
    virtual std::optional<bool> textFieldShouldReturn(TextField& /*field*/) { return std::nullopt; }
};

class TextField : public Control {
public:
    // The width of the clear button at the right edge.
    static constexpr double kClearButtonSize = 19;

    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "TextField"; }

    const std::string& text() const { return text_; }
    // Sets the text without consulting the delegate or sending events.
    void setText(std::string text);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder);
    // Never null: setting null restores system 12.
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    void setFont(std::shared_ptr<gfx::Font> font);
    gfx::Color textColor() const { return textColor_; }
    void setTextColor(const gfx::Color& color);
    gfx::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(gfx::TextAlignment alignment);
    TextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TextBorderStyle style);
    // Drawn stretched over the bounds instead of the border, when set.
    const gfx::ImagePtr& background() const { return background_; }
    void setBackground(gfx::ImagePtr image);
    TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(TextFieldViewMode mode);
    // Whether the clear button shows now (by its mode, the editing state and a non-empty text).
    bool isClearButtonVisible() const;
    // The clear button's rect in the field's bounds.
    gfx::Rect clearButtonRect() const;

    bool isEditing() const { return editing_; }

    std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- Text traits ---
    KeyboardType keyboardType() const { return traits_.keyboardType; }
    void setKeyboardType(KeyboardType type) { traits_.keyboardType = type; }
    KeyboardAppearance keyboardAppearance() const { return traits_.keyboardAppearance; }
    void setKeyboardAppearance(KeyboardAppearance appearance) { traits_.keyboardAppearance = appearance; }
    ReturnKeyType returnKeyType() const { return traits_.returnKeyType; }
    void setReturnKeyType(ReturnKeyType type) { traits_.returnKeyType = type; }
    AutocapitalizationType autocapitalizationType() const { return traits_.autocapitalizationType; }
    void setAutocapitalizationType(AutocapitalizationType type) { traits_.autocapitalizationType = type; }
    AutocorrectionType autocorrectionType() const { return traits_.autocorrectionType; }
    void setAutocorrectionType(AutocorrectionType type) { traits_.autocorrectionType = type; }
    // A secure field draws one bullet per character.
    bool isSecureTextEntry() const { return traits_.secureTextEntry; }
    void setSecureTextEntry(bool secure);

    // --- First responder ---
    // Begins editing: asks textFieldShouldBeginEditing, resigns the previous first responder,
    // then calls textFieldDidBeginEditing and sends EditingDidBegin. False when refused.
    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    // Ends editing: asks textFieldShouldEndEditing (a forced end skips that), then calls
    // textFieldDidEndEditing and sends EditingDidEnd. False when refused.
    bool resignFirstResponder() override;

    // --- Typing (what the keyboard does while the field is editing) ---
    // Inserts `text` at the end: asks textFieldShouldChangeCharactersInRange with the UTF-16 range
    // (length, 0), applies it and sends EditingChanged.
    void insertText(const std::string& text);
    // Deletes the last character (both halves of a surrogate pair) the same way; nothing when empty.
    void deleteBackward();
    // Asks textFieldShouldReturn; unless it answers no, sends EditingDidEndOnExit. Never resigns.
    void returnKeyPressed();
    // Asks textFieldShouldClear; unless it answers no, empties the text and sends EditingChanged.
    void clearButtonTapped();

    // The rect the text (or placeholder) is drawn in.
    gfx::Rect textRectForBounds(gfx::Rect bounds) const;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    // A tap on the clear button clears; any other tap that ends inside begins editing.
    void endTrackingWithTouch(const Touch& touch, const Event* event) override;

private:
    // Asks the delegate to replace `range` with `replacement`, applies it and sends EditingChanged.
    void replaceCharacters(fnd::Range range, const std::string& replacement);
    // What the field shows for its text (bullets when secure).
    std::string displayText() const;

    std::string text_;
    std::string placeholder_;
    std::shared_ptr<gfx::Font> font_;
    gfx::Color textColor_ = gfx::Color::black();
    gfx::TextAlignment alignment_ = gfx::TextAlignment::Left;
    TextBorderStyle borderStyle_ = TextBorderStyle::None;
    gfx::ImagePtr background_;
    TextFieldViewMode clearButtonMode_ = TextFieldViewMode::Never;
    bool editing_ = false;
    std::weak_ptr<TextFieldDelegate> delegate_;
    TextInputTraits traits_;
};

} // namespace ui
