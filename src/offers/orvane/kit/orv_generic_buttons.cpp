// ORVGenericButtons: stock looks, the tinted segmented look with its press feedback, frame helpers.
#include "offers/orvane/kit/orv_generic_buttons.h"

#include <algorithm>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_util.h"

namespace zelvan::orvane {

namespace {

gfx::Size sizeOf(const gfx::ImagePtr& image) {
    return image ? image->size() : gfx::Size();
}

// A skin image smaller than what a look takes off it gives an empty side rather than a negative one.
double atLeastZero(double value) {
    return std::max(0.0, value);
}

} // namespace

void ORVGenericButtons::initWithFrame(gfx::Rect frame) {
    frame.origin.y += 2;
    ui::Button::initWithFrame(frame);
}

ORVGenericButtons::~ORVGenericButtons() {
    ORVLog::logWithLevel(4, "Releasing Generic Button");
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::plain(gfx::Rect frame) {
    auto button = std::make_shared<ORVGenericButtons>();
    button->ui::Button::initWithFrame(frame);
    return button;
}

void ORVGenericButtons::setTitleFont(double size) {
    titleLabel()->setFont(gfx::Font::withName("Arial-BoldMT", size));
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect frame) {
    auto button = plain(frame);
    button->setTitleFont(12.5);
    button->setBackgroundImage(ORVSettings::getStandardBlackNormalBtn(), ui::ControlState::Normal);
    button->setBackgroundImage(ORVSettings::getStandardBlackHighlightBtn(), ui::ControlState::Highlighted);
    return button;
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initMenuTickButtonAtX(int x, int y) {
    auto button = plain(gfx::Rect(x, y, 124, 33));
    button->setTitleFont(12);
    button->setBackgroundImage(ORVSettings::getBottomBtnON(), ui::ControlState::Normal);
    button->setBackgroundImage(ORVSettings::getTickImg(), ui::ControlState::Selected);
    return button;
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initTabViewButtonAtx(int x, int y) {
    auto image = ORVSettings::getStandardBlackNormalBtn();
    const gfx::Size size = sizeOf(image);
    auto button = plain(gfx::Rect(x, y, size.width + 42, size.height));
    button->setTitleFont(12.5);
    button->setBackgroundImage(image, ui::ControlState::Normal);
    button->setBackgroundImage(image, ui::ControlState::Highlighted);
    button->setBackgroundImage(image, ui::ControlState::Selected);
    return button;
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initStandardCommandButton(int x, int y) {
    const gfx::Size size = sizeOf(ORVSettings::getBottomBtnON());
    auto button = plain(gfx::Rect(x, y, atLeastZero(size.width - 60), atLeastZero(size.height - 30)));
    button->setTitleFont(12.5);
    button->setBackgroundImage(ORVSettings::getCommandBtnNormImg(), ui::ControlState::Normal);
    return button;
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initButtonWithX(int x, int y, const gfx::ImagePtr& normal,
                                                                      const gfx::ImagePtr& highlight) {
    const gfx::Size size = sizeOf(normal);
    auto button = plain(gfx::Rect(x, y, atLeastZero(size.width - 80), atLeastZero(size.height - 40)));
    button->setTitleFont(12.5);
    button->setBackgroundImage(normal, ui::ControlState::Normal);
    button->setBackgroundImage(highlight, ui::ControlState::Highlighted);
    return button;
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initNavBarRoundedBtnWithFrame(gfx::Rect frame,
                                                                                    const gfx::Color& /*color*/) {
    return plain(frame);
}

std::shared_ptr<ORVGenericButtons> ORVGenericButtons::initStandardCommandButtonWithFrame(gfx::Rect frame,
                                                                                         const gfx::Color& /*color*/) {
    return plain(frame);
}

std::shared_ptr<ui::Label> ORVGenericButtons::createButtonTitle(const std::string& text, gfx::Rect frame) {
    auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, frame.size.width, frame.size.height));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    label->setFont(gfx::Font::withName("Arial-BoldMT", 12.5));
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setText(text);
    return label;
}

void ORVGenericButtons::setStandardTintColorWithTitle(const std::string& title,
                                                      const std::shared_ptr<ui::View>& parentView) {
    applyTint(title, parentView, ORVUtil::getUserDefinedColor());
}

void ORVGenericButtons::setCustomButtonTintColor(const gfx::Color& color, const std::string& title,
                                                 const std::shared_ptr<ui::View>& parentView) {
    applyTint(title, parentView, color);
}

void ORVGenericButtons::applyTint(const std::string& title, const std::shared_ptr<ui::View>& parentView,
                                  const gfx::Color& custom) {
    segmentButton_ = ui::SegmentedControl::initWithItems({ui::SegmentedControl::Item(title)});
    segmentButton_->setSegmentedControlStyle(ui::SegmentedControlStyle::Bar);
    segmentButton_->setFrame(frame());
    segmentButton_->setTintColor(ORVUtil::getUserDefinedColor());
    // Touches on the overlay fall through to this button, which carries the press handlers.
    segmentButton_->setUserInteractionEnabled(false);
    if (parentView) {
        parentView->addSubview(segmentButton_);
    }
    customColor_ = custom;

    std::weak_ptr<ORVGenericButtons> weak = self<ORVGenericButtons>();
    addTarget(weak, &ORVGenericButtons::buttonActionTouchDown, ui::ControlEvents::TouchDown);
    addTarget(weak, &ORVGenericButtons::buttonActionTouchUp,
              ui::ControlEvents::TouchUpInside | ui::ControlEvents::TouchDragOutside);
}

void ORVGenericButtons::buttonActionTouchDown(ui::Control& /*sender*/) {
    if (!segmentButton_) {
        return;
    }
    const int32_t code = ORVUtil::addWhite(ORVUtil::getUserDefinedColorCode(), -20);
    segmentButton_->setTintColor(
        gfx::Color::rgba(((code >> 16) & 0xFF) / 255.0, ((code >> 8) & 0xFF) / 255.0, (code & 0xFF) / 255.0, 1));
}

void ORVGenericButtons::buttonActionTouchUp(ui::Control& /*sender*/) {
    if (segmentButton_) {
        segmentButton_->setTintColor(customColor_);
    }
}

void ORVGenericButtons::changeX(double x) {
    gfx::Rect rect = frame();
    rect.origin.x = x;
    setFrame(rect);
}

void ORVGenericButtons::changeY(double y) {
    gfx::Rect rect = frame();
    rect.origin.y = y;
    setFrame(rect);
}

void ORVGenericButtons::changeWidth(double width) {
    gfx::Rect rect = frame();
    rect.size.width = width;
    setFrame(rect);
}

void ORVGenericButtons::changeHeight(double height) {
    gfx::Rect rect = frame();
    rect.size.height = height;
    setFrame(rect);
}

void ORVGenericButtons::setBtnTitle(const std::string& title) {
    setTitle(title, ui::ControlState::Normal);
    setTitle(title, ui::ControlState::Highlighted);
}

} // namespace zelvan::orvane
