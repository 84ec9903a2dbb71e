// The loading box: its size from the indicator and the text, the indicator and label laid out in a
// centred column, and showing and hiding in a host view.
#include "toolkit/z_simple_loading_view.h"

#include <algorithm>
#include <cmath>

#include "core/zelvan_style.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/label.h"
#include "protocol/tracer.h"
#include "toolkit/widget_layout.h"

namespace zelvan {
namespace {

constexpr double kPadding = 12;
constexpr double kTextGap = 8;

} // namespace

std::shared_ptr<ZSimpleLoadingView> ZSimpleLoadingView::create() {
    return View::create<ZSimpleLoadingView>(gfx::Rect(0, 0, kSide, kSide));
}

void ZSimpleLoadingView::initWithFrame(gfx::Rect frame) {
    ZRoundedCornerView::initWithFrame(frame);
    setFillColor(gfx::Color(0, 0, 0, 0.7));
    setRadius(10);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
                        ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin);

    indicator_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    addSubview(indicator_);

    label_ = View::create<ui::Label>(gfx::Rect());
    label_->setBackgroundColor(gfx::Color::clear());
    label_->setOpaque(false);
    label_->setTextColor(gfx::Color::white());
    label_->setFont(ZelvanStyle::shared()->font(5));
    label_->setTextAlignment(gfx::TextAlignment::Center);
    label_->setNumberOfLines(2);
    label_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
    label_->setHidden(true);
    addSubview(label_);
}

const std::string& ZSimpleLoadingView::text() const {
    return label_->text();
}

void ZSimpleLoadingView::setText(std::string text) {
    label_->setHidden(text.empty());
    label_->setText(std::move(text));
    if (superview()) {
        const gfx::Point center = this->center();
        setFrame(gfx::Rect(gfx::Point(), sizeThatFits(gfx::Size())));
        setCenter(center);
    }
    setNeedsLayout();
}

gfx::Size ZSimpleLoadingView::sizeThatFits(gfx::Size /*size*/) const {
    if (label_->text().empty()) {
        return {kSide, kSide};
    }
    const gfx::Size textSize = widgetGetLabelSize(*label_, kMaxWidth - 2 * kPadding);
    const double side = ui::ActivityIndicatorView::sideForStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    const double width = std::max(kSide, textSize.width + 2 * kPadding);
    const double height = std::max(kSide, kPadding + side + kTextGap + textSize.height + kPadding);
    return {std::ceil(width), std::ceil(height)};
}

void ZSimpleLoadingView::layoutSubviews() {
    const gfx::Rect box = bounds();
    const double side = indicator_->bounds().width();
    if (label_->text().empty()) {
        indicator_->setFrame(
            gfx::Rect(std::round((box.width() - side) / 2), std::round((box.height() - side) / 2), side, side));
        return;
    }
    const gfx::Size textSize = widgetGetLabelSize(*label_, box.width() - 2 * kPadding);
    const double top = std::round((box.height() - side - kTextGap - textSize.height) / 2);
    indicator_->setFrame(gfx::Rect(std::round((box.width() - side) / 2), top, side, side));
    label_->setFrame(gfx::Rect(kPadding, top + side + kTextGap, box.width() - 2 * kPadding, textSize.height));
}

void ZSimpleLoadingView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        ZTRACE_WARN("ZSimpleLoadingView: asked to show in no view");
        return;
    }
    const gfx::Size size = sizeThatFits(gfx::Size());
    const gfx::Rect host = view->bounds();
    setFrame(gfx::Rect(std::round(host.minX() + (host.width() - size.width) / 2),
                       std::round(host.minY() + (host.height() - size.height) / 2), size.width, size.height));
    view->addSubview(self());
    indicator_->startAnimating();
    setNeedsLayout();
    layoutIfNeeded();
}

void ZSimpleLoadingView::hide() {
    indicator_->stopAnimating();
    removeFromSuperview();
}

} // namespace zelvan
