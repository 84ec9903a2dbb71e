// The banner host view: its can-rotate flag and the custom-ad delegate.
#include "ads/mediation/orv_ad_view.h"

#include "ads/mediation/med_log.h"

namespace zelvan::mediation {

void ORVAdView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    adController_.reset();
    adLibraryName_.reset();
    canRotateFlag_ = 1;
}

void ORVAdView::removeFromSuperview() {
    ui::View::removeFromSuperview();
    removeCanRotateFlagAndReturn();
}

void ORVAdView::didMoveToSuperview() {
    ui::View::didMoveToSuperview();
    if (superview() && canRotateFlag_ == 0 && returned_) {
        auto observer = returned_; // the observer may replace itself
        observer(*this);
    }
}

void ORVAdView::setDelegate(std::shared_ptr<CustomAdDelegate> delegate) {
    MED_LOG(4, "setting users delecate");
    usersDelegate_ = std::move(delegate);
    if (auto controller = adController()) {
        controller->handleCustomAdEndSelector(usersDelegate_);
        controller->handleCustomAdStartSelector(usersDelegate_);
    }
}

void ORVAdView::adPlaced() {
    if (adPlaced_) {
        auto observer = adPlaced_; // the observer may replace itself
        observer(*this);
    }
}

} // namespace zelvan::mediation
