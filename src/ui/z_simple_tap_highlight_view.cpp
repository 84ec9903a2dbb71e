// The tap glow's two fades, chained through the did-stop callbacks of view animations so the
// process clock drives them; a restarted glow ignores the callbacks of its earlier run.
#include "ui/z_simple_tap_highlight_view.h"

#include "core/tracer.h"

namespace zelvan {

std::shared_ptr<ZSimpleTapHighlightView> ZSimpleTapHighlightView::create() {
    return View::create<ZSimpleTapHighlightView>(gfx::Rect());
}

void ZSimpleTapHighlightView::initWithFrame(gfx::Rect frame) {
    ZRoundedCornerView::initWithFrame(frame);
    setFillColor(gfx::Color(1, 1, 1, 0.55));
    setRadius(6);
    setUserInteractionEnabled(false);
}

void ZSimpleTapHighlightView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        ZTRACE_WARN("ZSimpleTapHighlightView: asked to show in no view");
        return;
    }
    const uint64_t generation = ++generation_;
    view->addSubview(self());
    setAlpha(0);
    const auto keep = self<ZSimpleTapHighlightView>();
    View::beginAnimations("ZSimpleTapHighlightView.in");
    View::setAnimationDuration(kFadeDuration);
    View::setAnimationDidStopSelector(
        [keep, generation](const std::string&, bool, void*) { keep->fadeOut(generation); });
    setAlpha(1);
    View::commitAnimations();
}

void ZSimpleTapHighlightView::fadeOut(uint64_t generation) {
    if (generation != generation_) {
        return;
    }
    const auto keep = self<ZSimpleTapHighlightView>();
    View::beginAnimations("ZSimpleTapHighlightView.out");
    View::setAnimationDuration(kFadeDuration);
    View::setAnimationDidStopSelector([keep, generation](const std::string&, bool, void*) {
        if (keep->generation_ == generation) {
            keep->removeFromSuperview();
        }
    });
    setAlpha(0);
    View::commitAnimations();
}

} // namespace zelvan
