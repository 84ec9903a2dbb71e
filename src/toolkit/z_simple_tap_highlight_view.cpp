// The tap glow's two fades, chained through the did-stop callbacks of view animations so the
// process clock drives them; a restarted glow ignores the callbacks of its earlier run.
#include "toolkit/z_simple_tap_highlight_view.h"

#include "protocol/tracer.h"
#include "toolkit/view_fade.h"

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
    fadeView(self(), "ZSimpleTapHighlightView.in", 1, kFadeDuration, [this, generation] { fadeOut(generation); });
}

void ZSimpleTapHighlightView::fadeOut(uint64_t generation) {
    if (generation != generation_) {
        return;
    }
    fadeView(self(), "ZSimpleTapHighlightView.out", 0, kFadeDuration, [this, generation] {
        if (generation_ == generation) {
            removeFromSuperview();
        }
    });
}

} // namespace zelvan
