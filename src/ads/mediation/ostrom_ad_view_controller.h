// OstromAdViewController: the "ostrom" network's adapter for one attempt and, once the ad is there, the
// view the controller shows. Its fetcher does the requests; this view holds the finished banner and
// reports to the controller exactly once (ostromAdReady with itself, or loadNextAdInLine) with the
// attempt's token.
#pragma once

#include <memory>

#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/ostrom_ads_fetcher.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {

class OstromAdViewController : public ui::View, public MediationAdapter, public OstromAdsFetcherOwner {
public:
    std::string className() const override { return "OstromAdViewController"; }

    // Makes the adapter for the controller's attempt `token` and starts its fetcher.
    static std::shared_ptr<OstromAdViewController>
    initWithController(const std::shared_ptr<ORVAdController>& controller, AttemptToken token,
                       std::weak_ptr<MediationContext> context, AdChrome chrome = {});
    ~OstromAdViewController() override;

    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    void setAdController(std::weak_ptr<ORVAdController> controller) { adController_ = std::move(controller); }
    const std::shared_ptr<OstromAdsFetcher>& ostromAdsFetcherObj() const { return fetcher_; }

    // --- OstromAdsFetcherOwner ---
    // The network the controller is trying, or null.
    AdNetworkRef currentAdNetwork() const override;
    // The fetcher's outcome; only the first of either reaches the controller.
    bool reported() const { return reported_; }
    void adSuccessAction() override;
    void adFailureAction() override;

private:
    void addObservers();
    void removeObservers();

    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    bool reported_ = false;
    std::shared_ptr<OstromAdsFetcher> fetcher_;
};

} // namespace zelvan::mediation
