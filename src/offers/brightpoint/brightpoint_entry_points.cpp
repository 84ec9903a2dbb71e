// The offer wall's class-level entry points: the shared client, advertiser report and icon cache of the
// installed delegate's context, and the pages' way into the wall. The only file of the library that asks
// for the context; everything else is handed what it uses.
#include "offers/brightpoint/bp_advertising.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"

namespace zelvan::brightpoint {

std::shared_ptr<Brightpoint> Brightpoint::shared() {
    auto ctx = context();
    return ctx ? ctx->client() : nullptr;
}

std::shared_ptr<BPAdvertising> BPAdvertising::shared() {
    auto ctx = context();
    return ctx ? ctx->advertising() : nullptr;
}

std::shared_ptr<BPImageCache> BPImageCache::sharedCache() {
    auto ctx = context();
    return ctx ? ctx->imageCache() : nullptr;
}

void BPOfferWallOpener::showOffers(int32_t type) {
    if (type != 2) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: offers of type %d are not offered here", type);
        return;
    }
    if (auto client = Brightpoint::shared()) {
        client->displayPaymentWindow();
    } else {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the offer wall is not set up");
    }
}

} // namespace zelvan::brightpoint
