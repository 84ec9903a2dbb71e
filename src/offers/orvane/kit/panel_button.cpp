// PanelButton: the panels' standard black button.
#include "offers/orvane/kit/panel_button.h"

#include "offers/orvane/client/orv_settings.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {

int PanelButton::getBgImgWidth() {
    auto image = ORVSettings::getStandardBlackNormalBtn();
    return image ? static_cast<int>(image->size().width) : 0;
}

int PanelButton::getBgImgHeight() {
    auto image = ORVSettings::getStandardBlackNormalBtn();
    return image ? static_cast<int>(image->size().height) : 0;
}

std::shared_ptr<PanelButton> PanelButton::init() {
    return ui::View::create<PanelButton>(gfx::Rect());
}

std::shared_ptr<PanelButton> PanelButton::initWithLocation(int x, int y) {
    const gfx::Rect frame(x, y, getBgImgWidth(), getBgImgHeight());
    auto button = std::make_shared<PanelButton>();
    button->ui::Button::initWithFrame(frame);
    button->setFrame(frame);
    button->setCustomSetting();
    button->setButtonStandardImages();
    return button;
}

void PanelButton::initWithFrame(gfx::Rect frame) {
    ui::Button::initWithFrame(frame);
    setCustomSetting();
    setButtonStandardImages();
}

void PanelButton::setCustomSetting() {
    titleLabel()->setFont(gfx::Font::withName("Arial-BoldMT", 12.5));
}

void PanelButton::setButtonStandardImages() {
    auto image = ORVSettings::getStandardBlackNormalBtn();
    setBackgroundImage(image, ui::ControlState::Normal);
    setBackgroundImage(image, ui::ControlState::Highlighted);
    setBackgroundImage(image, ui::ControlState::Selected);
}

} // namespace zelvan::orvane
