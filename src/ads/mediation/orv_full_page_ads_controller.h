// ORVFullPageAdsController: full-page (interstitial) ads over the ad order's full-page networks. It picks
// the first entry whose adLibraryName is "marlin", drives it through the shared MarlinAdViewController,
// and announces every outcome on the default notification centre: the ad opened, closed, or could not be
// shown (the failure notification's object says why). One per context, made on first use; the offer
// client drives it. Main thread.
#pragma once

#include <memory>

#include "ads/mediation/full_page_network.h"
#include "ads/mediation/mediation_context.h"

namespace zelvan::mediation {

class ORVFullPageAdsController {
public:
    // The context's controller, made on first use.
    static std::shared_ptr<ORVFullPageAdsController> shared(MediationContext& context);
    // No network chosen, index 0.
    explicit ORVFullPageAdsController(std::weak_ptr<MediationContext> context);

    void initFullScreenAdNetworks() { selectNetwork(); }
    // The first full-page entry named exactly "marlin" becomes the network; without one nothing changes.
    void selectNetwork();
    void showFullScreenAd();
    // Shows through the chosen network, or posts the failure notification with "No Full Ad Network
    // initialized".
    void performFullScreenAdSelector();
    void setFullPagenNetworkOrientation(float angle);
    // Stops the Marlin library and drops the shared adapter; the controller forgets it.
    static void destroy(MediationContext& context);

    // The network chosen, while it lives (destroy lets it go), or null.
    std::shared_ptr<FullPageNetwork> currentFullPageNetwork() const { return currentFullPageNetwork_.lock(); }
    int currentNetworkIndex() const { return currentNetworkIndex_; }

private:
    std::weak_ptr<MediationContext> context_;
    std::weak_ptr<FullPageNetwork> currentFullPageNetwork_;
    int currentNetworkIndex_ = 0;
};

} // namespace zelvan::mediation
