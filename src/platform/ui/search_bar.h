// ui::SearchBar: a bar holding a search text field and an optional Cancel button, telling its
// delegate when the text changes, the search key is pressed or Cancel is tapped.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/ui/text_input_traits.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class Button;
class SearchBar;
class TextField;

class SearchBarDelegate {
public:
    virtual ~SearchBarDelegate() = default;
    // The search (return) key was pressed in the field.
    virtual void searchBarSearchButtonClicked(SearchBar& /*bar*/) {}
    virtual void searchBarCancelButtonClicked(SearchBar& /*bar*/) {}
    // The person changed the text (typing, deleting or clearing); setText does not call it.
    virtual void searchBarTextDidChange(SearchBar& /*bar*/, const std::string& /*text*/) {}
};

class SearchBar : public View {
public:
    static constexpr double kDefaultHeight = 44;
    static constexpr double kCancelButtonWidth = 60;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "SearchBar"; }

    const std::string& text() const;
    void setText(std::string text);
    const std::string& placeholder() const;
    void setPlaceholder(std::string placeholder);
    // Null draws the default blue-grey bar.
    const std::optional<gfx::Color>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<gfx::Color> color);
    bool showsCancelButton() const { return showsCancelButton_; }
    void setShowsCancelButton(bool shows, Animated animated = Animated::No);
    AutocapitalizationType autocapitalizationType() const;
    void setAutocapitalizationType(AutocapitalizationType type);
    AutocorrectionType autocorrectionType() const;
    void setAutocorrectionType(AutocorrectionType type);

    std::shared_ptr<SearchBarDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<SearchBarDelegate> delegate) { delegate_ = std::move(delegate); }

    // Editing happens in the field, so first responder is the field's.
    bool canBecomeFirstResponder() const override { return true; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    const std::shared_ptr<TextField>& textField() const { return field_; }
    // Null until the Cancel button is first shown.
    const std::shared_ptr<Button>& cancelButton() const { return cancel_; }

    void layoutSubviews() override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    std::shared_ptr<TextField> field_;
    std::shared_ptr<Button> cancel_;
    std::optional<gfx::Color> tintColor_;
    bool showsCancelButton_ = false;
    std::weak_ptr<SearchBarDelegate> delegate_;
};

} // namespace ui
