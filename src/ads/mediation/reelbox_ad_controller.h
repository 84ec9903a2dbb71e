// ReelboxAdController: the "reelbox" network's adapter for one attempt and the view the controller shows.
// It hosts one AdFrameView for the network's publisher and area and turns that view's first outcome
// notification into exactly one report (reelboxAdReady with itself, or loadNextAdInLine) with the
// attempt's token; notifications of other banners are not its business.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "ads/mediation/ad_frame_view.h"
#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {

class ReelboxAdController : public ui::View, public MediationAdapter {
public:
    static constexpr const char* kPrefix = "/reelbox";

    static std::shared_ptr<ReelboxAdController> init(std::weak_ptr<MediationContext> context, AdChrome chrome = {});
    ~ReelboxAdController() override;
    std::string className() const override { return "ReelboxAdController"; }

    void setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token);
    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    const std::shared_ptr<AdFrameView>& adView() const { return adView_; }

    // Frames this view, makes the ad view and asks it for the network's ad. Without an ad host nothing
    // is sent and the attempt moves on at the next pass.
    void loadAdView();
    void adLoaded();
    void adLoadFailure();
    void removeObserver();
    static bool shouldAutorotateToInterfaceOrientation(int orientation) { return orientation == 1; }

private:
    // True for the first outcome only.
    bool firstOutcome();

    std::weak_ptr<MediationContext> context_;
    AdChrome chrome_;
    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    std::shared_ptr<AdFrameView> adView_;
    fnd::ObserverToken failureObserver_;
    fnd::ObserverToken successObserver_;
    int flag_ = 0;
    std::mutex flagLockObject_;
};

} // namespace zelvan::mediation
