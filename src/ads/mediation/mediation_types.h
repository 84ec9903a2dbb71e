// What the banner mediation reads of the offer network's ad order (the banner networks and the rotation
// settings), the house ad it is handed, and the offer core it reports impressions to. The composition root
// adapts the offer client to OfferCore; tests give a fake.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

namespace zelvan::mediation {

// One banner network of the ad order.
struct AdNetwork {
    std::string adLibraryName; // the network's key; "custom_ad" for a custom ad
    std::string customAdName;
    bool customAd = false;
    std::string adCampaignId;
    int maxTimesToShowAdOnDevice = -1;
    std::array<int, 5> eventIntervals{1, 1, 1, 1, 1}; // eventInterval1 ... eventInterval5
    std::string adShownURL, getAdURL;
    std::array<std::string, 3> adNetworkGameIDs;
};
// Networks are shared: the network on screen stays valid when a new order replaces the list.
using AdNetworkRef = std::shared_ptr<const AdNetwork>;

// The rotation settings of the ad order.
struct AdOrder {
    int rotationTime = 0;      // seconds between rotations; 0 or less: none
    int rotationDirection = 1; // 1: the rotation walks downward, anything else upward
    int lastNetwork = 0;       // the highest position the rotation uses
    int hasLocation = 0;
};

// A house banner as the offer network's server sent it.
struct HouseAd {
    std::string image, adHTML, clickURL;
    bool openInSafari = false;
};

// The offer client's side of the mediation. Main thread.
class OfferCore {
public:
    virtual ~OfferCore() = default;
    // The order's settings; nullopt before the order arrived.
    virtual std::optional<AdOrder> adOrder() const = 0;
    // The order's banner networks; nullopt before the order arrived.
    virtual std::optional<std::vector<AdNetworkRef>> adNetworkArray() const = 0;
    // The parameters every request of the offer network carries (a dictionary).
    virtual fnd::Value genericParameters() const = 0;
    // The impression report, with the generic parameters, or with none at all (direct).
    virtual void adShownWithCampaignID(const std::string& campaignId) = 0;
    virtual void directAdShownWithCampaignID(const std::string& campaignId) = 0;
    // The order's full-page networks (empty before the order arrived).
    virtual std::vector<AdNetworkRef> fullPageAdNetworkArray() const { return {}; }
    // The angle full-page ads are shown at (0, 90, 180 or 270).
    virtual float fullPageAdAngle() const { return 0; }
    // The host application's location (latitude in x, longitude in y) and ad background, if it gave them.
    virtual std::optional<gfx::Point> coreLocation() const { return std::nullopt; }
    virtual std::optional<gfx::Color> adsBackGroundColor() const { return std::nullopt; }
};

// A one-entry list holding the house network: key "orvaneads", no campaign, no show limit, intervals 1.
std::vector<AdNetworkRef> defaultAdProvidersInfo();

} // namespace zelvan::mediation
