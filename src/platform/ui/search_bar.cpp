// SearchBar: builds its field and Cancel button, forwards the field's events to the delegate and
// lays out and draws a plain bar (the bar background in the tint, a rounded white field).
#include "platform/ui/search_bar.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/ui/bar_background.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/button.h"
#include "platform/ui/text_field.h"

namespace ui {

namespace {

constexpr double kFieldInset = 6;
constexpr double kFieldHeight = 31;
const gfx::Color kDefaultTint(0.69, 0.74, 0.80, 1);

} // namespace

void SearchBar::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
    field_ = View::create<TextField>(gfx::Rect{});
    field_->setBorderStyle(TextBorderStyle::RoundedRect);
    field_->setReturnKeyType(ReturnKeyType::Search);
    field_->setClearButtonMode(TextFieldViewMode::WhileEditing);
    std::weak_ptr<SearchBar> weak = std::static_pointer_cast<SearchBar>(shared_from_this());
    field_->addTarget(
        weak_from_this(),
        [weak](Control&, const Event*) {
            auto bar = weak.lock();
            if (auto delegate = bar ? bar->delegate() : nullptr) {
                delegate->searchBarTextDidChange(*bar, bar->text());
            }
        },
        ControlEvents::EditingChanged);
    field_->addTarget(
        weak_from_this(),
        [weak](Control&, const Event*) {
            auto bar = weak.lock();
            if (auto delegate = bar ? bar->delegate() : nullptr) {
                delegate->searchBarSearchButtonClicked(*bar);
            }
        },
        ControlEvents::EditingDidEndOnExit);
    addSubview(field_);
    layoutSubviews();
}

const std::string& SearchBar::text() const {
    return field_->text();
}

void SearchBar::setText(std::string text) {
    field_->setText(std::move(text));
}

const std::string& SearchBar::placeholder() const {
    return field_->placeholder();
}

void SearchBar::setPlaceholder(std::string placeholder) {
    field_->setPlaceholder(std::move(placeholder));
}

void SearchBar::setTintColor(std::optional<gfx::Color> color) {
    tintColor_ = std::move(color);
    setNeedsDisplay();
}

AutocapitalizationType SearchBar::autocapitalizationType() const {
    return field_->autocapitalizationType();
}

void SearchBar::setAutocapitalizationType(AutocapitalizationType type) {
    field_->setAutocapitalizationType(type);
}

AutocorrectionType SearchBar::autocorrectionType() const {
    return field_->autocorrectionType();
}

void SearchBar::setAutocorrectionType(AutocorrectionType type) {
    field_->setAutocorrectionType(type);
}

void SearchBar::setShowsCancelButton(bool shows, Animated /*animated*/) {
    showsCancelButton_ = shows;
    if (shows && !cancel_) {
        cancel_ = Button::buttonWithType(ButtonType::RoundedRect);
        cancel_->setTitle("Cancel", ControlState::Normal);
        std::weak_ptr<SearchBar> weak = std::static_pointer_cast<SearchBar>(shared_from_this());
        cancel_->addTarget(
            weak_from_this(),
            [weak](Control&, const Event*) {
                auto bar = weak.lock();
                if (auto delegate = bar ? bar->delegate() : nullptr) {
                    delegate->searchBarCancelButtonClicked(*bar);
                }
            },
            ControlEvents::TouchUpInside);
    }
    if (cancel_) {
        if (shows && cancel_->superview().get() != this) {
            addSubview(cancel_);
        } else if (!shows && cancel_->superview().get() == this) {
            cancel_->removeFromSuperview();
        }
    }
    layoutSubviews();
}

bool SearchBar::becomeFirstResponder() {
    return field_->becomeFirstResponder();
}

bool SearchBar::resignFirstResponder() {
    return field_->resignFirstResponder();
}

void SearchBar::layoutSubviews() {
    gfx::Rect b = bounds();
    double right = b.maxX() - kFieldInset;
    if (showsCancelButton_ && cancel_) {
        right -= kCancelButtonWidth + kFieldInset;
        cancel_->setFrame(
            gfx::Rect(right + kFieldInset, b.midY() - kFieldHeight / 2, kCancelButtonWidth, kFieldHeight));
    }
    double height = std::min(kFieldHeight, std::max(0.0, b.height() - 2 * kFieldInset));
    field_->setFrame(gfx::Rect(b.minX() + kFieldInset, b.midY() - height / 2,
                               std::max(0.0, right - b.minX() - kFieldInset), height));
}

void SearchBar::drawRect(gfx::Rect) {
    if (const auto ctx = gfx::getCurrentContext()) {
        drawBarBackground(*ctx, bounds(), BarStyle::Default, tintColor_ ? tintColor_ : kDefaultTint, BarEdge::Bottom);
    }
}

} // namespace ui
