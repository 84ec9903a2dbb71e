// The mediation's shared context: the controller registry, the starters and the settings.
#include "ads/mediation/mediation_context.h"

#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/med_log.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"
#include "ads/mediation/orv_custom_ad_view_controller.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "ads/mediation/selvo_interface.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::mediation {

std::vector<AdNetworkRef> defaultAdProvidersInfo() {
    auto house = std::make_shared<AdNetwork>();
    house->adLibraryName = "orvaneads";
    return {house};
}

MediationContext::MediationContext() {
    starters_["custom_ad"] = [](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
        auto view = ORVCustomAdViewController::initWithController(controller.shared_from_this(), token);
        controller.setCustomAdCntl(view);
        MED_LOG(4, "send the request of CUSTOM ADS");
        return view;
    };
    // The context owns its starters, so it outlives their calls.
    starters_["orvaneads"] = [this](ORVAdController& controller,
                                    AttemptToken token) -> std::shared_ptr<MediationAdapter> {
        orvaneAdInterface()->fetchOrvaneAd(controller.shared_from_this(), token, controller.orvaneParameters());
        return nullptr;
    };
    addLibraryStarters(*this);
}

std::shared_ptr<OrvaneAdInterface> MediationContext::orvaneAdInterface() {
    if (!orvaneAdInterface_) {
        orvaneAdInterface_ = std::make_shared<OrvaneAdInterface>(weak_from_this());
    }
    return orvaneAdInterface_;
}

std::shared_ptr<KavloInterface> MediationContext::kavloInterface() {
    if (!kavloInterface_) {
        kavloInterface_ = std::make_shared<KavloInterface>(weak_from_this());
    }
    return kavloInterface_;
}

std::shared_ptr<SelvoInterface> MediationContext::selvoInterface() {
    if (!selvoInterface_) {
        selvoInterface_ = std::make_shared<SelvoInterface>(weak_from_this());
    }
    return selvoInterface_;
}

std::shared_ptr<ORVAdController> MediationContext::getAdController(int eventId) {
    std::lock_guard lock(lock_);
    auto found = controllers_.find(eventId);
    return found == controllers_.end() ? nullptr : found->second;
}

std::shared_ptr<ORVAdController> MediationContext::resetAdController(int eventId) {
    std::shared_ptr<ORVAdController> old;
    std::shared_ptr<ORVAdController> fresh;
    {
        std::lock_guard lock(lock_);
        std::shared_ptr<ORVAdView> host;
        auto found = controllers_.find(eventId);
        if (found != controllers_.end()) {
            old = std::move(found->second);
            controllers_.erase(found);
            old->setDie(1);
            host = old->iORVAdView();
            old->setIORVAdView(nullptr);
            if (host) {
                cleanView(*host);
            }
        }
        fresh = ORVAdController::create(weak_from_this());
        if (host) {
            fresh->setIORVAdView(host);
            host->setAdController(fresh);
        }
        controllers_[eventId] = fresh;
    }
    // The old controller (and its running adapter) goes outside the lock.
    old.reset();
    return fresh;
}

void MediationContext::destroy() {
    std::map<int, std::shared_ptr<ORVAdController>> dropped;
    {
        std::lock_guard lock(lock_);
        dropped.swap(controllers_);
        for (auto& [event, controller] : dropped) {
            if (auto host = controller->iORVAdView()) {
                host->setAdController({});
            }
        }
    }
}

void MediationContext::cleanView(ui::View& view) {
    auto subviews = view.subviews();
    for (auto& subview : subviews) {
        subview->removeFromSuperview();
    }
}

void MediationContext::setStarter(const std::string& key, Starter starter) {
    if (starter) {
        starters_[key] = std::move(starter);
    } else {
        starters_.erase(key);
    }
}

MediationContext::Starter MediationContext::starter(const std::string& key) const {
    auto found = starters_.find(key);
    return found == starters_.end() ? Starter() : found->second;
}

std::shared_ptr<MediationContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::mediation) : nullptr;
}

} // namespace zelvan::mediation
