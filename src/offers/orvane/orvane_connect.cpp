// The offer network's facade: the connect request, preloading and the host's settings.
#include "offers/orvane/orvane_connect.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_context.h"
#include "platform/ui/application.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

std::shared_ptr<OrvaneConnect> OrvaneConnect::sharedOrvaneConnect() {
    auto ctx = context();
    return ctx ? ctx->facade() : nullptr;
}

std::shared_ptr<OrvaneConnect>
OrvaneConnect::requestOrvaneConnectWithDelegate(const std::shared_ptr<OrvaneConnectDelegate>& delegate) {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    if (auto facade = ctx->facade()) {
        if (delegate) {
            facade->delegate_ = delegate;
        }
        return facade;
    }
    auto facade = std::make_shared<OrvaneConnect>();
    facade->delegate_ = delegate;
    ctx->setFacade(facade);
    ctx->shadow()->requestConnect();
    return facade;
}

void OrvaneConnect::preloadAds(int eventId) {
    auto ctx = context();
    if (!ctx) {
        return;
    }
    auto shadow = ctx->shadow();
    shadow->retryConnectIfFailed();
    shadow->preLoadAdWithEvent(eventId);
}

int OrvaneConnect::getApplicationAngel() {
    auto facade = sharedOrvaneConnect();
    return facade ? facade->angle_ : 0;
}

bool OrvaneConnect::didApplicationEnabledOrientation() {
    auto facade = sharedOrvaneConnect();
    return facade && (facade->rootController_.lock() || facade->applicationView_.lock());
}

std::shared_ptr<ui::View> OrvaneConnect::getApplicationSuperView() {
    if (auto facade = sharedOrvaneConnect()) {
        if (auto controller = facade->rootController_.lock()) {
            return controller->view();
        }
        if (auto view = facade->applicationView_.lock()) {
            return view;
        }
    }
    auto windows = ui::Application::shared().windows();
    return windows.empty() ? nullptr : std::static_pointer_cast<ui::View>(windows.front());
}

int OrvaneConnect::getreverseTransitionEffect() const {
    if (transitionEffect_ == -1) {
        return -1;
    }
    return transitionEffect_ >= 0 && transitionEffect_ <= 4 ? transitionEffect_ + 5 : 5;
}

float OrvaneConnect::getTransitionDelay() {
    auto facade = sharedOrvaneConnect();
    if (!facade) {
        return 0.5f;
    }
    return facade->transitionsEnabled_ ? facade->transitionDelay_ : 0.0f;
}

void OrvaneConnect::startSubBeaconWithName(const std::string& name, bool timeSession) {
    if (beaconSwitch_ == 0) {
        ORVLog::logWithLevel(3, "BEACON is off: section %@ not started", name);
        return;
    }
    ORVLog::logWithLevel(4, "BEACON (%d):: Starting EVENT= %@", beaconSwitch_, name);
    beacons_.start(name, timeSession);
}

void OrvaneConnect::endSubBeaconWithName(const std::string& name) {
    if (beaconSwitch_ == 0) {
        return;
    }
    ORVLog::logWithLevel(4, "BEACON (%d):: Ending EVENT= %@", beaconSwitch_, name);
    beacons_.end(name);
}

} // namespace zelvan::orvane
