// The wrapper's source over the banner host view.
#include "ads/mediation/mediation_ad_source.h"

#include "ads/mediation/orv_ad_view.h"

namespace zelvan::mediation {

std::shared_ptr<MediationAdSource> MediationAdSource::create(ShowAdBox showAdBox) {
    std::shared_ptr<MediationAdSource> source(new MediationAdSource(std::move(showAdBox)));
    source->askForHost();
    return source;
}

void MediationAdSource::askForHost() {
    if (host_ || !showAdBox_) {
        return;
    }
    host_ = std::dynamic_pointer_cast<ORVAdView>(showAdBox_());
    if (!host_) {
        return;
    }
    std::weak_ptr<MediationAdSource> weak = weak_from_this();
    // Back in the slot after another source had it: a show request counts the showing, sets the can-rotate
    // flag and resumes a rotation that waited meanwhile.
    host_->setReturnedObserver([weak](ORVAdView&) {
        if (auto self = weak.lock(); self && self->showAdBox_) {
            self->showAdBox_();
        }
    });
    host_->setAdPlacedObserver([weak](ORVAdView&) {
        auto self = weak.lock();
        if (!self || self->announced_) {
            return;
        }
        self->announced_ = true;
        if (self->onAdAvailable) {
            self->onAdAvailable();
        }
    });
    if (isAdViewReady() && !announced_) {
        announced_ = true;
        if (onAdAvailable) {
            onAdAvailable();
        }
    }
}

bool MediationAdSource::isAdViewReady() const {
    return host_ && !host_->subviews().empty();
}

std::shared_ptr<ui::View> MediationAdSource::adView() const {
    return isAdViewReady() ? host_ : nullptr;
}

gfx::Size MediationAdSource::adSize() const {
    return isAdViewReady() ? slotRect().size : gfx::Size();
}

void MediationAdSource::wrapperMovedToSuperview() {
    askForHost();
}

} // namespace zelvan::mediation
