// The controller registry: one controller per event, reset with its host view kept, and dropped.
#include "ads/mediation/ad_controller_registry.h"

#include <utility>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"

namespace zelvan::mediation {

std::shared_ptr<ORVAdController> AdControllerRegistry::getAdController(int eventId) {
    auto context = context_.lock();
    if (!context) {
        return nullptr;
    }
    std::lock_guard lock(context->getLock());
    auto found = controllers_.find(eventId);
    return found == controllers_.end() ? nullptr : found->second;
}

std::shared_ptr<ORVAdController> AdControllerRegistry::resetAdController(int eventId) {
    auto context = context_.lock();
    if (!context) {
        return nullptr;
    }
    std::shared_ptr<ORVAdController> old;
    std::shared_ptr<ORVAdController> fresh;
    {
        std::lock_guard lock(context->getLock());
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
        fresh = ORVAdController::create(context);
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

void AdControllerRegistry::destroy() {
    auto context = context_.lock();
    std::map<int, std::shared_ptr<ORVAdController>> dropped;
    {
        std::unique_lock<std::recursive_mutex> lock;
        if (context) {
            lock = std::unique_lock(context->getLock());
        }
        dropped.swap(controllers_);
        for (auto& [event, controller] : dropped) {
            if (auto host = controller->iORVAdView()) {
                host->setAdController({});
            }
        }
    }
}

void AdControllerRegistry::cleanView(ui::View& view) {
    auto subviews = view.subviews();
    for (auto& subview : subviews) {
        subview->removeFromSuperview();
    }
}

} // namespace zelvan::mediation
