// The chips exchange panel: its background, labels, image buttons and slider, and the arithmetic that
// keeps the units chosen, the slider and the labels in step.
#include "games/room/exchange_chips_view.h"

#include <algorithm>
#include <cmath>

#include "core/localization.h"
#include "platform/foundation/format.h"
#include "platform/graphics/font.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/slider.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr double kLabelWidth = 60;
constexpr double kLabelHeight = 20;
constexpr double kSliderWidth = 195;

std::shared_ptr<ui::Label> chipsPanelLabel(double x, double y) {
    auto label = ui::View::create<ui::Label>(gfx::Rect(x, y, kLabelWidth, kLabelHeight));
    label->setFont(gfx::Font::withName("Arial", 16));
    label->setTextColor(gfx::Color::white());
    label->setBackgroundColor(gfx::Color::clear());
    return label;
}

// The slider of the panel (new_Custom_UISlider): a percentage with the chip as its thumb.
std::shared_ptr<ui::Slider> newCustomSlider(double x, double y) {
    gfx::ImagePtr thumb = ZelvanWidget::imageFromResource("chips_percent", true);
    const double height = thumb ? thumb->size().height : ui::Slider::kThumbSize;
    auto slider = ui::View::create<ui::Slider>(gfx::Rect(x, y, kSliderWidth, height));
    slider->setBackgroundColor(gfx::Color::clear());
    slider->setThumbImage(thumb, ui::ControlState::Normal);
    slider->setMinimumValue(0);
    slider->setMaximumValue(100);
    slider->setContinuous(true);
    slider->setValue(0);
    return slider;
}

} // namespace

std::shared_ptr<ExchangeChipsView> ExchangeChipsView::initWithZelvan(int32_t zelvans) {
    auto view = ui::View::create<ExchangeChipsView>(gfx::Rect(0, 0, kWidth, kHeight));
    view->build(zelvans);
    return view;
}

void ExchangeChipsView::build(int32_t zelvans) {
    maxzelvan_ = std::clamp(zelvans, 0, kMaxZelvan);
    exzelvan_ = 0;

    auto background = ui::ImageView::initWithImage(ZelvanWidget::imageFromResource(ZLS("chips_bg"), true));
    background->setFrame(bounds());
    addSubview(background);

    zelvanLabel_ = chipsPanelLabel(55, 55);
    addSubview(zelvanLabel_);
    chipsLabel_ = chipsPanelLabel(175, 55);
    addSubview(chipsLabel_);

    decrease_ = imageButton("chips_decrease", 17, 90, &ExchangeChipsView::decreaseZelvan);
    add_ = imageButton("chips_add", 240, 90, &ExchangeChipsView::addZelvan);
    confirm_ = imageButton("chips_confirm", 50, 125, &ExchangeChipsView::submitExchange);
    cancel_ = imageButton("chips_cancel", 170, 125, &ExchangeChipsView::cancel);

    slider_ = newCustomSlider(45, 90);
    slider_->addTarget(self<ExchangeChipsView>(), &ExchangeChipsView::sliderAction, ui::ControlEvents::ValueChanged);
    addSubview(slider_);
    updateLabels();
}

std::shared_ptr<ui::Button> ExchangeChipsView::imageButton(const char* key, double x, double y,
                                                           void (ExchangeChipsView::*action)()) {
    gfx::ImagePtr image = ZelvanWidget::imageFromResource(ZLS(key), true);
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setImage(image, ui::ControlState::Normal);
    const gfx::Size size = image ? image->size() : gfx::Size();
    button->setFrame(gfx::Rect(x, y, size.width, size.height));
    button->addTarget(self<ExchangeChipsView>(), action, ui::ControlEvents::TouchUpInside);
    addSubview(button);
    return button;
}

void ExchangeChipsView::updateLabels() {
    zelvanLabel_->setText(fnd::format("%d", exzelvan_));
    chipsLabel_->setText(fnd::format("%d", exzelvan_ * kChipsPerZelvan));
}

void ExchangeChipsView::sliderAction() {
    if (maxzelvan_ > 0) {
        const double chosen = std::ceil(slider_->value() / 100.0 * maxzelvan_);
        exzelvan_ = static_cast<int32_t>(std::clamp(chosen, 0.0, static_cast<double>(maxzelvan_)));
    }
    updateLabels();
}

void ExchangeChipsView::followWithSlider() {
    if (maxzelvan_ > 0) {
        slider_->setValue(static_cast<double>(exzelvan_) / maxzelvan_ * 100.0);
    }
}

void ExchangeChipsView::addZelvan() {
    if (exzelvan_ < maxzelvan_) {
        ++exzelvan_;
        followWithSlider();
        updateLabels();
    }
}

void ExchangeChipsView::decreaseZelvan() {
    if (exzelvan_ >= 1) {
        --exzelvan_;
        followWithSlider();
        updateLabels();
    }
}

void ExchangeChipsView::resetSlider() {
    slider_->setValue(0);
}

void ExchangeChipsView::submitExchange() {
    if (auto delegate = delegate_.lock()) {
        delegate->exchangeZelvan(exzelvan_);
    }
}

void ExchangeChipsView::cancel() {
    if (auto delegate = delegate_.lock()) {
        delegate->cancelExchange();
    }
}

} // namespace zelvan
