// PanelLabel: the panels' labels and their measuring.
#include "offers/orvane/kit/panel_label.h"

#include <cmath>

#include "offers/orvane/client/orv_settings.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::orvane {

namespace {

constexpr double kWrapHeight = 1000;

} // namespace

std::shared_ptr<PanelLabel> PanelLabel::make() {
    return ui::View::create<PanelLabel>(gfx::Rect());
}

void PanelLabel::defaultLabelStyle() {
    setBackgroundColor(gfx::Color::clear());
    setTextColor(gfx::Color::white());
    setFont(ORVSettings::getTableHeaderFont());
}

std::shared_ptr<PanelLabel> PanelLabel::initPanelHeaderLabel(const std::string& text, int y) {
    auto label = make();
    label->defaultLabelStyle();
    label->setFont(ORVSettings::getNavBarFont());
    label->setFrame(gfx::Rect(4, y, 312, 40));
    label->setText(text);
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setShadowColor(gfx::Color::gray());
    label->setShadowOffset(gfx::Size(-0.5, -1.2));
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::column(const std::string& text, int x, int y, double width) {
    auto label = make();
    label->defaultLabelStyle();
    label->setText(text);
    const gfx::Size size = gfx::sizeWithFont(text, label->font());
    label->setFrame(gfx::Rect(x, y, width, size.height + 3));
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initHeaderLabel(const std::string& text, int x, int y) {
    auto label = column(text, x, y, 55);
    label->setTextAlignment(ui::TextAlignment::Right);
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initScoreLabel(const std::string& text, int x, int y) {
    auto label = column(text, x, y, 60);
    label->setTextAlignment(ui::TextAlignment::Right);
    label->setTextColor(gfx::Color::black());
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initNameLabel(const std::string& text, int x, int y) {
    auto label = column(text, x, y, 135);
    label->setTextAlignment(ui::TextAlignment::Left);
    label->setTextColor(gfx::Color::rgba(86.0 / 255, 6.0 / 255, 0, 1));
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initNameLabel(const std::string& text, const std::shared_ptr<gfx::Font>& font,
                                                      int x, int y) {
    auto label = initNameLabel(text, x, y);
    label->setFont(font);
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initAutoFitLabelWithText(const std::string& text, int x, int y) {
    auto label = make();
    label->defaultLabelStyle();
    label->setText(text);
    const gfx::Size size = gfx::sizeWithFont(text, label->font());
    label->setFrame(gfx::Rect(x, y, size.width + 5, size.height + 3));
    label->setNumberOfLines(1);
    return label;
}

std::shared_ptr<PanelLabel> PanelLabel::initAutoFitLabelWithWrappedText(const std::string& text, double width,
                                                                        const std::shared_ptr<gfx::Font>& font,
                                                                        double x, double y, int lines) {
    auto label = make();
    label->setFont(font);
    label->setText(text);
    const gfx::Size size =
        gfx::sizeWithFont(text, label->font(), gfx::Size(width, kWrapHeight), gfx::LineBreakMode::WordWrap);
    label->setFrame(gfx::Rect(x, y, width, size.height + 3));
    label->setNumberOfLines(lines);
    return label;
}

void PanelLabel::updateLabelSize() {
    const gfx::Rect rect = frame();
    const gfx::Size size =
        gfx::sizeWithFont(text(), font(), gfx::Size(rect.size.width, kWrapHeight), gfx::LineBreakMode::WordWrap);
    setFrame(gfx::Rect(rect.origin.x, rect.origin.y, size.width + 5, size.height + 3));
}

void PanelLabel::updateLabelWidth() {
    const gfx::Rect rect = frame();
    const gfx::Size size =
        gfx::sizeWithFont(text(), font(), gfx::Size(kWrapHeight, kWrapHeight), gfx::LineBreakMode::WordWrap);
    setFrame(gfx::Rect(rect.origin.x, rect.origin.y, size.width + 5, std::trunc(rect.size.height)));
}

double PanelLabel::getWidth() const {
    return frame().size.width;
}

double PanelLabel::getHeight() const {
    return frame().size.height + 3;
}

double PanelLabel::getHeightWithoutMargin() const {
    return frame().size.height + 3;
}

} // namespace zelvan::orvane
