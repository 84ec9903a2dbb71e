// The progress box: clamping, the bar's frame for the current value (set at once or inside a view
// animation), and showing centred in a host view.
#include "toolkit/z_simple_progress_view.h"

#include <algorithm>
#include <cmath>

#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr double kInset = 14;

} // namespace

std::shared_ptr<ZSimpleProgressView> ZSimpleProgressView::create() {
    return View::create<ZSimpleProgressView>(gfx::Rect(0, 0, kWidth, kHeight));
}

void ZSimpleProgressView::initWithFrame(gfx::Rect frame) {
    ZRoundedCornerView::initWithFrame(frame);
    setFillColor(gfx::Color(0, 0, 0, 0.7));
    setRadius(8);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
                        ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin);

    track_ = View::create<ZRoundedCornerView>(gfx::Rect());
    track_->setFillColor(gfx::Color(1, 1, 1, 0.25));
    track_->setRadius(kBarHeight / 2);
    addSubview(track_);

    bar_ = View::create<ZRoundedCornerView>(gfx::Rect());
    bar_->setFillColor(gfx::Color::fromRgbHex(0x5aa9f0));
    bar_->setRadius(kBarHeight / 2);
    addSubview(bar_);
    layoutSubviews();
}

gfx::Rect ZSimpleProgressView::barFrame() const {
    const gfx::Rect track = track_->frame();
    return gfx::Rect(track.minX(), track.minY(), track.width() * progress_, track.height());
}

void ZSimpleProgressView::updateProgress(double progress, ui::Animated animated) {
    progress_ = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    if (animated == ui::Animated::Yes) {
        View::beginAnimations("ZSimpleProgressView");
        View::setAnimationDuration(kAnimationDuration);
        View::setAnimationCurve(ui::AnimationCurve::EaseOut);
        bar_->setFrame(barFrame());
        View::commitAnimations();
    } else {
        bar_->setFrame(barFrame());
    }
}

void ZSimpleProgressView::layoutSubviews() {
    const gfx::Rect box = bounds();
    const double width = std::max(0.0, box.width() - 2 * kInset);
    track_->setFrame(gfx::Rect(kInset, std::round((box.height() - kBarHeight) / 2), width, kBarHeight));
    bar_->setFrame(barFrame());
}

void ZSimpleProgressView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        ZTRACE_WARN("ZSimpleProgressView: asked to show in no view");
        return;
    }
    const gfx::Rect host = view->bounds();
    const double width = std::min(kWidth, std::max(2 * kInset, host.width() - 40));
    setFrame(gfx::Rect(std::round(host.minX() + (host.width() - width) / 2),
                       std::round(host.minY() + (host.height() - kHeight) / 2), width, kHeight));
    view->addSubview(self());
    setNeedsLayout();
    layoutIfNeeded();
}

void ZSimpleProgressView::hide() {
    removeFromSuperview();
}

} // namespace zelvan
