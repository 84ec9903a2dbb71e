// ShowBoxLabel: the dialog boxes' labels.
#include "offers/orvane/kit/show_box_label.h"

#include "offers/orvane/client/orv_settings.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::orvane {

std::shared_ptr<ShowBoxLabel> ShowBoxLabel::init() {
    return ui::View::create<ShowBoxLabel>(gfx::Rect());
}

void ShowBoxLabel::initWithFrame(gfx::Rect frame) {
    ui::Label::initWithFrame(frame);
    defaultBoxLabelStyle();
}

void ShowBoxLabel::defaultBoxLabelStyle() {
    setBackgroundColor(gfx::Color::clear());
    setTextColor(gfx::Color::white());
    setFont(ORVSettings::getLabelFont());
    setTextAlignment(ui::TextAlignment::Left);
}

std::shared_ptr<ShowBoxLabel> ShowBoxLabel::initCenterPromptForView(const ui::View& view, int y) {
    auto label = ui::View::create<ShowBoxLabel>(gfx::Rect(8, y, view.frame().size.width - 16, 60));
    label->setFont(ORVSettings::getPromptFont());
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setNumberOfLines(0);
    return label;
}

std::shared_ptr<ShowBoxLabel> ShowBoxLabel::initAutoFitLabelWithText(const std::string& text, int x, int y) {
    auto label = std::make_shared<ShowBoxLabel>();
    label->ui::Label::initWithFrame(gfx::Rect());
    label->setText(text);
    const gfx::Size size = gfx::sizeWithFont(text, label->font());
    label->setFrame(gfx::Rect(x, y, size.width + 5, size.height + 3));
    label->defaultBoxLabelStyle();
    return label;
}

} // namespace zelvan::orvane
