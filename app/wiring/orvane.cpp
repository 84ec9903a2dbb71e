// The offer network: its context and client objects (makeOrvane: web services under its endpoint, the skin
// in the bundle; then the device id and its own screens) and the "orvane" feature, which connects with the
// application as the host delegate.
#include <memory>
#include <string>

#include "app/wiring/networks.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orv_default_screens.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"

namespace zelvan::app {

namespace {

// The application's side of the offer network: it hears of each banner impression.
class OrvaneHost final : public orvane::OrvaneConnectDelegate {
public:
    bool respondsToAdShown() const override { return true; }
    void adShownWithCampaignID(const std::string& campaignId) override {
        ZLOG_TO(orvane::kOrvaneLog, Info, "offer network: ad shown (campaign \"%s\")", campaignId);
    }
};

} // namespace

void installOrvane(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.orvane.factory = [endpoint](zelvanAppDelegate&) {
        auto context = orvane::makeOrvane(endpoint, fnd::Bundle::main().resourcePath());
        context->setDeviceId(device::Device::current().uniqueIdentifier());
        context->setScreens(std::make_shared<orvane::ORVDefaultScreens>());
        return context;
    };
    // Connect, then preload the banner of event 1.
    auto host = std::make_shared<OrvaneHost>();
    registry.adFeatureStarters["orvane"] = [host](zelvanAppDelegate&, const LoginSession&) {
        if (auto facade = orvane::OrvaneConnect::requestOrvaneConnectWithDelegate(host)) {
            facade->preloadAds(1);
        }
    };
}

} // namespace zelvan::app
