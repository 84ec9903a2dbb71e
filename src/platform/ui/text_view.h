// ui::TextView: a multi-line text area - text, font, colour, alignment, editable, scrolling flag and
// content offset - whose delegate may refuse editing and hears every change.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/text_input_traits.h"
#include "platform/ui/view.h"

namespace ui {

class TextView;

// Should-methods answer nullopt when the delegate does not implement them, which counts as yes.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual std::optional<bool> textViewShouldBeginEditing(TextView& /*view*/) { return std::nullopt; }
    virtual void textViewDidBeginEditing(TextView& /*view*/) {}
    virtual std::optional<bool> textViewShouldEndEditing(TextView& /*view*/) { return std::nullopt; }
    virtual void textViewDidEndEditing(TextView& /*view*/) {}
    virtual void textViewDidChange(TextView& /*view*/) {}
};

class TextView : public View {
public:
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "TextView"; }

    const std::string& text() const { return text_; }
    // Sets the text without telling the delegate.
    void setText(std::string text);
    // Never null: setting null restores system 12.
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    void setFont(std::shared_ptr<gfx::Font> font);
    gfx::Color textColor() const { return textColor_; }
    void setTextColor(const gfx::Color& color);
    gfx::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(gfx::TextAlignment alignment);
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    // How far the text is scrolled (the text is drawn shifted up and left by it).
    gfx::Point contentOffset() const { return contentOffset_; }
    void setContentOffset(gfx::Point offset);
    // The size of the wrapped text.
    gfx::Size contentSize() const;

    bool isEditing() const { return editing_; }

    std::shared_ptr<TextViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { delegate_ = std::move(delegate); }

    TextInputTraits& textInputTraits() { return traits_; }
    const TextInputTraits& textInputTraits() const { return traits_; }

    // Editing: begins when editable and textViewShouldBeginEditing does not answer no.
    bool canBecomeFirstResponder() const override { return editable_; }
    bool becomeFirstResponder() override;
    // Ends unless textViewShouldEndEditing answers no (a forced end does not ask).
    bool resignFirstResponder() override;

    // Typing while editing: each call changes the text and calls textViewDidChange.
    void insertText(const std::string& text);
    // Deletes the last character (a surrogate pair as one).
    void deleteBackward();

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    // A tap that ends inside an editable view begins editing.
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;

private:
    void changed();

    std::string text_;
    std::shared_ptr<gfx::Font> font_;
    gfx::Color textColor_ = gfx::Color::black();
    gfx::TextAlignment alignment_ = gfx::TextAlignment::Left;
    bool editable_ = true;
    bool scrollEnabled_ = true;
    gfx::Point contentOffset_;
    bool editing_ = false;
    std::weak_ptr<TextViewDelegate> delegate_;
    TextInputTraits traits_;
};

} // namespace ui
