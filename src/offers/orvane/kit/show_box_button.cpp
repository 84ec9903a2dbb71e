// ShowBoxButton: the dialog boxes' button.
#include "offers/orvane/kit/show_box_button.h"

#include "offers/orvane/client/orv_settings.h"

namespace zelvan::orvane {

int ShowBoxButton::getBgImgWidth() {
    auto image = ORVSettings::getBoxBtnNormalImg();
    return image ? static_cast<int>(image->size().width) : 0;
}

int ShowBoxButton::getBgImgHeight() {
    auto image = ORVSettings::getBoxBtnNormalImg();
    return image ? static_cast<int>(image->size().height) : 0;
}

std::shared_ptr<ShowBoxButton> ShowBoxButton::init() {
    return ui::View::create<ShowBoxButton>(gfx::Rect());
}

std::shared_ptr<ShowBoxButton> ShowBoxButton::initWithLocation(int x, int y) {
    auto button = std::make_shared<ShowBoxButton>();
    button->ui::Button::initWithFrame(gfx::Rect(x, y, getBgImgWidth(), getBgImgHeight()));
    button->setButtonStandardImages();
    return button;
}

void ShowBoxButton::initWithFrame(gfx::Rect frame) {
    ui::Button::initWithFrame(frame);
    setButtonStandardImages();
}

void ShowBoxButton::setButtonStandardImages() {
    setBackgroundImage(ORVSettings::getBoxBtnNormalImg(), ui::ControlState::Normal);
    setBackgroundImage(ORVSettings::getBoxBtnHighlightImg(), ui::ControlState::Highlighted);
}

void ShowBoxButton::changeX(double x) {
    gfx::Rect rect = frame();
    rect.origin.x = x;
    setFrame(rect);
}

void ShowBoxButton::changeY(double y) {
    gfx::Rect rect = frame();
    rect.origin.y = y;
    setFrame(rect);
}

} // namespace zelvan::orvane
