// The hand-driven ad source: each delivery builds a coloured view and tells the listener.
#include "ads/test_ad_source.h"

namespace zelvan {

std::shared_ptr<ui::View> TestAdSource::deliverAd(gfx::Size size, const gfx::Color& color) {
    view_ = ui::View::create(gfx::Rect(0, 0, size.width, size.height));
    view_->setBackgroundColor(color);
    size_ = size;
    ++deliveries_;
    // A copy, so a listener that replaces the callback while it runs stays valid.
    if (const auto notify = onAdAvailable) {
        notify();
    }
    return view_;
}

} // namespace zelvan
