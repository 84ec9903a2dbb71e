// The wrapper view: listening to its ad source, swapping the ad's view in and telling the delegate
// on the change from no ad to an ad.
#include "ads/zlv_ad_wrapper_view.h"

#include <utility>

#include "core/main_thread.h"
#include "protocol/tracer.h"

namespace zelvan {

void ZLVAdWrapperView::setAdSource(std::shared_ptr<AdSource> source) {
    if (source == source_) {
        return;
    }
    if (source_) {
        source_->onAdAvailable = nullptr;
    }
    if (shown_) {
        shown_->removeFromSuperview();
        shown_.reset();
    }
    source_ = std::move(source);
    if (!source_) {
        return;
    }
    // The source lives with the wrapper; its callback must not keep the wrapper alive.
    std::weak_ptr<ZLVAdWrapperView> weak = self<ZLVAdWrapperView>();
    source_->onAdAvailable = [weak] {
        if (auto wrapper = weak.lock()) {
            wrapper->adBecameAvailable();
        }
    };
    if (source_->isAdViewReady()) {
        adBecameAvailable();
    }
}

void ZLVAdWrapperView::setSourceChosenFor(std::optional<int32_t> user) {
    sourceChosenFor_ = user;
    if (user) {
        laterOnThisLoop(self<ZLVAdWrapperView>(), [](ZLVAdWrapperView& wrapper) { wrapper.sourceChosenFor_.reset(); });
    }
}

bool ZLVAdWrapperView::isAdViewAvailable() const {
    return shown_ && source_ && source_->isAdViewReady();
}

gfx::Size ZLVAdWrapperView::sizeThatFitsAdView() const {
    return isAdViewAvailable() ? source_->adSize() : gfx::Size();
}

void ZLVAdWrapperView::didMoveToSuperview() {
    if (source_ && superview()) {
        source_->wrapperMovedToSuperview();
    }
}

void ZLVAdWrapperView::adBecameAvailable() {
    if (!source_ || !source_->isAdViewReady()) {
        return;
    }
    auto view = source_->adView();
    if (!view) {
        ZTRACE_WARN("ZLVAdWrapperView: the ad source reported an ad without a view");
        return;
    }
    const bool wasAvailable = static_cast<bool>(shown_);
    if (view != shown_) {
        if (shown_) {
            shown_->removeFromSuperview();
        }
        const gfx::Size size = source_->adSize();
        view->setFrame(gfx::Rect(0, 0, size.width, size.height));
        addSubview(view);
        shown_ = std::move(view);
    }
    if (!wasAvailable) {
        if (auto listener = delegate()) {
            listener->adViewAvailable(*this);
        }
    }
}

} // namespace zelvan
