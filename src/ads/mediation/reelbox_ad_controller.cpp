// The Reelbox adapter and its one report.
#include "ads/mediation/reelbox_ad_controller.h"

#include <map>
#include <utility>

#include "ads/mediation/med_log.h"
#include "core/main_thread.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

std::shared_ptr<ReelboxAdController> ReelboxAdController::init(std::weak_ptr<MediationContext> context,
                                                               AdChrome chrome) {
    auto view = ui::View::create<ReelboxAdController>(gfx::Rect());
    view->context_ = std::move(context);
    view->chrome_ = std::move(chrome);
    return view;
}

ReelboxAdController::~ReelboxAdController() {
    if (adView_) {
        adView_->removeFromSuperview();
    }
}

void ReelboxAdController::setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token) {
    adController_ = std::move(controller);
    token_ = token;
}

void ReelboxAdController::loadAdView() {
    {
        std::lock_guard lock(flagLockObject_);
        flag_ = 0;
    }
    setFrame(gfx::Rect(0, 0, 300, 50));
    setBackgroundColor(chrome_.adsBackground.value_or(gfx::Color::clear()));
    auto controller = adController_.lock();
    auto net = controller ? controller->getCurrentAdNetwork() : nullptr;
    std::map<std::string, std::string> parameters{{"publisher", net ? net->adNetworkGameIDs[0] : std::string()},
                                                  {"area", net ? net->adNetworkGameIDs[1] : std::string()}};
    adView_ = AdFrameView::create(gfx::Rect(0, 0, 300, 50));
    addSubview(adView_);
    adView_->setAlpha(0);
    auto shared = context_.lock();
    const std::string base = shared ? shared->endpoint().sibling(kPrefix).root() : std::string();
    if (base.empty()) {
        if (shared && shared->firstWithoutHost("reelbox")) {
            ZLOG_TO(kMediationLog, Info, "mediation: no --ads-base given, so no reelbox banner is fetched");
        }
        onMain(self<ReelboxAdController>(), &ReelboxAdController::adLoadFailure);
        return;
    }
    adView_->setServerBase(base);
    // Only this attempt's own ad view: another banner's outcome is not this one's.
    auto& center = fnd::NotificationCenter::defaultCenter();
    const std::weak_ptr<ReelboxAdController> weak = self<ReelboxAdController>();
    failureObserver_ =
        center.observe(AdFrameView::kVELoadFailure, weak, &ReelboxAdController::adLoadFailure, fnd::Value(adView_));
    successObserver_ =
        center.observe(AdFrameView::kVELoadSuccess, weak, &ReelboxAdController::adLoaded, fnd::Value(adView_));
    adView_->requestAd(parameters);
}

void ReelboxAdController::removeObserver() {
    failureObserver_.reset();
    successObserver_.reset();
}

bool ReelboxAdController::firstOutcome() {
    std::lock_guard lock(flagLockObject_);
    if (flag_ == 1) {
        return false;
    }
    flag_ = 1;
    return true;
}

void ReelboxAdController::adLoaded() {
    removeObserver();
    if (!firstOutcome()) {
        return;
    }
    adView_->setAlpha(1);
    if (auto controller = std::exchange(adController_, {}).lock()) {
        controller->reelboxAdReady(token_, self<ReelboxAdController>());
    }
}

void ReelboxAdController::adLoadFailure() {
    removeObserver();
    if (!firstOutcome()) {
        return;
    }
    if (auto controller = std::exchange(adController_, {}).lock()) {
        controller->loadNextAdInLine(token_);
    }
}

} // namespace zelvan::mediation
