// Offer fields as text, the currency of the configuration, and icon downloads into the icon cache.
#include "offers/brightpoint/bp_offer_support.h"

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
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

gfx::ImagePtr BPDownloadIcon(const std::string& url, BPImageCache* cache) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG(Warn, "Brightpoint: an offer icon address is not a URL: %s", url);
        return nullptr;
    }
    auto reply = fnd::UrlConnection::sendSynchronousRequest(
        fnd::UrlRequest(*parsed, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, kIconTimeout));
    if (!reply) {
        ZLOG(Info, "Brightpoint: the offer icon %s could not be read: %s", url, reply.error().localizedDescription());
        return nullptr;
    }
    gfx::ImagePtr image = gfx::Image::imageWithData(reply->data);
    if (!image) {
        ZLOG(Warn, "Brightpoint: the offer icon %s is not a picture", url);
        return nullptr;
    }
    if (cache != nullptr) {
        cache->cacheImage(image, url);
    }
    return image;
}

} // namespace zelvan::brightpoint
