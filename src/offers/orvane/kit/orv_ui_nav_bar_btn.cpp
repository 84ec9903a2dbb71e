// ORVUINavBarBtn: the rounded header button sized to its title.
#include "offers/orvane/kit/orv_ui_nav_bar_btn.h"

#include "offers/orvane/client/orv_settings.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::orvane {

namespace {

gfx::ImagePtr stretched(const gfx::ImagePtr& image) {
    return image ? image->stretchableImageWithLeftCapWidth(10, 0) : nullptr;
}

} // namespace

std::shared_ptr<ui::Label> ORVUINavBarBtn::createAutoWidthLabelWithTitle(const std::string& title, int height) {
    auto font = ORVSettings::getNavBarBtnFont();
    const gfx::Size size = gfx::sizeWithFont(title, font);
    auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, size.width + kTitlePadding, height));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    label->setFont(font);
    label->setText(title);
    label->setTextAlignment(ui::TextAlignment::Center);
    return label;
}

std::shared_ptr<ORVUINavBarBtn> ORVUINavBarBtn::initWithTitle(const std::string& title, int height,
                                                              gfx::Point position) {
    auto label = createAutoWidthLabelWithTitle(title, height);
    auto button = ui::View::create<ORVUINavBarBtn>(
        gfx::Rect(position.x, position.y, label->frame().size.width, label->frame().size.height));
    button->titleLabel()->setFont(label->font());
    button->setBtnTitle(title);
    button->setBackgroundImage(stretched(ORVSettings::getNavBarRoundBtnNormImg()), ui::ControlState::Normal);
    button->setBackgroundImage(stretched(ORVSettings::getNavBarRoundBtnHighlightImg()), ui::ControlState::Highlighted);
    return button;
}

void ORVUINavBarBtn::updateBtnFrameWithTitle(const std::string& title) {
    gfx::Rect rect = frame();
    auto label = createAutoWidthLabelWithTitle(title, static_cast<int>(rect.size.height));
    rect.size.width = label->frame().size.width;
    setFrame(rect);
    setBtnTitle(title);
}

void ORVUINavBarBtn::setBtnTitle(const std::string& title) {
    setTitle(title, ui::ControlState::Normal);
    setTitle(title, ui::ControlState::Highlighted);
}

} // namespace zelvan::orvane
