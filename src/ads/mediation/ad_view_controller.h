// AdViewController: the mediation's adapter for the "adwick" network. For one attempt it asks the Adwick
// client for a 320 x 48 banner, answers the client's questions from the network being tried and the offer
// core (publisher id, colours, location), and reports once with its attempt token: itself, holding the
// banner, when the first ad arrives, or loadNextAdInLine. The client's answers are taken on the main run
// loop's next pass, so the adapter never reports (and the controller never releases it) while the client is
// still inside its callback. The controller owns the adapter; the adapter holds the controller weakly.
#pragma once

#include <memory>

#include "ads/mediation/adwick_library.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {

class AdViewController : public ui::View, public MediationAdapter, public AdwickBannerDelegate {
public:
    // A hidden view without a banner or controller, reaching the Adwick client through `context`.
    static std::shared_ptr<AdViewController> init(std::weak_ptr<MediationContext> context);

    std::string className() const override { return "AdViewController"; }

    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    void setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token);
    // The banner view, or null.
    std::shared_ptr<ui::View> adwickAd() const { return adwickAd_ ? adwickAd_->view() : nullptr; }

    // Frame (0, 0, 320, 48), clear, and the banner requested with this view as delegate. Without the Adwick
    // client the attempt finds no ad (reported on the next pass).
    void requestAd();
    // Does nothing (a timer target kept for completeness).
    void refreshAd() {}

    // --- The client's questions ---
    // AdNetworkGameID1 of the network being tried.
    std::optional<std::string> publisherId() override;
    std::optional<gfx::Color> adBackgroundColor() override;
    gfx::Color primaryTextColor() override { return gfx::Color(0, 0, 0, 1); }
    gfx::Color secondaryTextColor() override { return gfx::Color(0, 0, 0, 1); }
    // The host's location when it gave one and the ad order is absent or allows it (hasLocation 1); else
    // (0, 0).
    std::optional<GeoPoint> location() override;
    bool mayAskForLocation() override { return false; }

    // --- The client's answers (taken on the next pass) ---
    void didReceiveAd(ui::View& view) override;
    void didFailToReceiveAd(ui::View& view) override;

private:
    void received(const std::shared_ptr<ui::View>& view);
    void failed();
    // The one report is made: forget the controller.
    std::shared_ptr<ORVAdController> takeController();
    std::shared_ptr<OfferCore> core() const;

    std::weak_ptr<MediationContext> context_;
    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    bool reported_ = false;
    std::shared_ptr<AdwickBanner> adwickAd_;
};

} // namespace zelvan::mediation
