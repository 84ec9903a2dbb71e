// The offer network's facade: preloading, the host's settings and the beacon sections.
#include "offers/orvane/client/orvane_connect.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_shadow.h"
#include "platform/ui/application.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

OrvaneConnect::OrvaneConnect(OrvaneContext& context, std::shared_ptr<ORVShadow> shadow)
    : context_(context), shadow_(std::move(shadow)) {}

void OrvaneConnect::preloadAds(int eventId) {
    if (!shadow_) {
        return;
    }
    shadow_->retryConnectIfFailed();
    shadow_->preLoadAdWithEvent(eventId);
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
