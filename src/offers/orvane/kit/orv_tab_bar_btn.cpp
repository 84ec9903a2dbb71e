// ORVTabBarBtn: the tab button's look, selection and icons.
#include "offers/orvane/kit/orv_tab_bar_btn.h"

#include "offers/orvane/client/orv_settings.h"

namespace zelvan::orvane {

void ORVTabBarBtn::initWithFrame(gfx::Rect frame) {
    frame.size.height = kHeight;
    ui::Button::initWithFrame(frame);
    auto highlight = ORVSettings::getTabBarBtnHighlightImg();
    auto background = highlight ? highlight->stretchableImageWithLeftCapWidth(0, 0) : nullptr;
    setBackgroundImage(background, ui::ControlState::Selected);
    setBackgroundImage(background, ui::ControlState::Highlighted);

    const double width = frame.size.width;
    btnTitleLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, 29, width, 20));
    btnTitleLabel_->setBackgroundColor(gfx::Color::clear());
    btnTitleLabel_->setTextColor(gfx::Color::white());
    btnTitleLabel_->setFont(gfx::Font::withName("Arial-BoldMT", 10.3));
    btnTitleLabel_->setTextAlignment(ui::TextAlignment::Center);
    addSubview(btnTitleLabel_);

    iconImgView_ = ui::View::create<ui::ImageView>(gfx::Rect(width / 2 - 12, 3.5, 25, 25));
    addSubview(iconImgView_);
}

void ORVTabBarBtn::setMeSelected(bool selected) {
    setSelected(selected);
    if (btnTitleLabel_) {
        btnTitleLabel_->setTextColor(selected ? gfx::Color::white() : gfx::Color::lightGray());
    }
}

void ORVTabBarBtn::setIconImgWithName(const std::string& fileName) {
    iconImg_ = ORVSettings::initWithImageName(fileName);
    if (iconImgView_) {
        iconImgView_->setImage(iconImg_);
    }
}

void ORVTabBarBtn::setIconHighlightImgWithName(const std::string& fileName) {
    iconHighlightImg_ = ORVSettings::initWithImageName(fileName);
}

void ORVTabBarBtn::showHighlighIcon() {
    if (iconHighlightImg_ && iconImgView_) {
        iconImgView_->setImage(iconHighlightImg_);
    }
}

void ORVTabBarBtn::showSimpleIcon() {
    if (iconImg_ && iconImgView_) {
        iconImgView_->setImage(iconImg_);
    }
}

} // namespace zelvan::orvane
