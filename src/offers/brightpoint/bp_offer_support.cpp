// Offer fields as text, the currency of the configuration, and icon downloads into the icon cache.
#include "offers/brightpoint/bp_offer_support.h"

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_worker_fetch.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"

namespace zelvan::brightpoint {

namespace {
constexpr double kIconTimeout = 30.0;
}

std::string BPOfferText(const fnd::Value& offer, std::string_view key) {
    if (!offer.isDictionary()) {
        return "";
    }
    const fnd::Value* v = offer.asDictionary()->find(std::string(key));
    if (v == nullptr || !(v->isString() || v->isNumber())) {
        return "";
    }
    return v->stringValue();
}

bool BPOfferHasImage(const fnd::Value& offer) {
    if (!offer.isDictionary()) {
        return false;
    }
    const fnd::Value* v = offer.asDictionary()->find(std::string("image_url"));
    return v != nullptr && v->isString() && !v->asString()->empty();
}

std::string BPCurrencyName(const std::weak_ptr<Brightpoint>& client) {
    auto shown = client.lock();
    return shown ? shown->configuration().currencyName.value_or("") : "";
}

gfx::Color BPCurrencyColor(const std::weak_ptr<Brightpoint>& client) {
    auto shown = client.lock();
    return shown ? shown->configuration().currencyColor : gfx::Color(0, 0, 0, 1);
}

void BPDownloadIcon(const std::string& url, std::shared_ptr<BPImageCache> cache,
                    const std::shared_ptr<fnd::WorkerPool>& workers, std::weak_ptr<const void> owner,
                    std::function<void(gfx::ImagePtr)> done) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: an offer icon address is not a URL: %s", url);
        return;
    }
    fnd::FetchOptions options;
    options.timeout = kIconTimeout;
    auto read = [url, cache = std::move(cache), done = std::move(done)](fnd::Result<fnd::FetchReply> reply) {
        if (!reply) {
            ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the offer icon %s could not be read: %s", url,
                    reply.error().localizedDescription());
            return;
        }
        gfx::ImagePtr image = gfx::Image::imageWithData(reply->body);
        if (!image) {
            ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the offer icon %s is not a picture", url);
            return;
        }
        if (cache) {
            cache->cacheImage(image, url);
        }
        done(std::move(image));
    };
    BPFetchOnWorker(workers,
                    fnd::UrlRequest(*parsed, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, kIconTimeout),
                    std::move(options), std::move(owner), std::move(read));
}

} // namespace zelvan::brightpoint
