// SVAd's readers of one `ad` element of a reply, the record they build, and a batch's expiry.
#include "ads/selvo/sv_ad.h"

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad_cache.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/xml/xml_tree.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/verify.h"

namespace zelvan::selvo {
namespace {

// The text of the first node `path` selects under `element`.
std::optional<std::string> firstText(const XmlElement_& element, std::string_view path) {
    auto nodes = element.nodesForXPath(path);
    if (!nodes || nodes->empty() || !nodes->front()) {
        return std::nullopt;
    }
    return nodes->front()->stringValue();
}

std::optional<std::string> attribute(const XmlElement_& element, std::string_view name) {
    auto node = element.attributeForName(name);
    return node ? node->stringValue() : std::nullopt;
}

// The element under `ad` that holds each image subtype's creative.
std::optional<std::string_view> creativeParent(int subtype) {
    switch (subtype) {
    case SVAdTypeBannerImage:
        return "body/banner";
    case SVAdTypeInterstitialImage:
        return "body/interstitial";
    case SVAdTypeExpandableBanner:
        return "body/expandablebanner";
    case SVAdTypeAnimatedBanner:
        return "body/animatedbanner";
    default:
        return std::nullopt;
    }
}

} // namespace

std::string SVAd::idFromAdElement(const XmlElement_& element) {
    return attribute(element, "id").value_or("");
}

std::string SVAd::urlFromAdElement(const XmlElement_& element) {
    return firstText(element, "clickUrl").value_or("");
}

unsigned SVAd::impressionsReservedFromAdElement(const XmlElement_& element) {
    auto text = attribute(element, "availableImpressions");
    if (!text) {
        return 0;
    }
    // Any length of digits saturates; a negative count grants nothing.
    const int32_t value = fnd::intValue(*text);
    return value > 0 ? static_cast<unsigned>(value) : 0u;
}

std::string SVAd::typeFromAdElement(const XmlElement_& element) {
    auto bodies = element.elementsForName("body");
    if (bodies.empty()) {
        return "";
    }
    auto body = std::dynamic_pointer_cast<XmlElement_>(bodies.front());
    return body ? attribute(*body, "type").value_or("") : "";
}

std::string SVAd::bodyTextFromAdElement(const XmlElement_& element) {
    return firstText(element, "body/text/bodyText").value_or("");
}

std::string SVAd::headlineFromAdElement(const XmlElement_& element) {
    return firstText(element, "body/text/headline").value_or("");
}

std::string SVAd::actionTextFromAdElement(const XmlElement_& element, int subtype) {
    switch (subtype) {
    case SVAdTypeBannerImage:
        return firstText(element, "body/banner/actionText").value_or("");
    case SVAdTypeInterstitialImage:
        return firstText(element, "body/interstitial/actionText").value_or("");
    case SVAdTypeAnimatedBanner:
        return firstText(element, "body/animatedbanner/actionText").value_or("");
    default:
        return "";
    }
}

std::string SVAd::dataURLFromAdElement(const SelvoContext* context, const XmlElement_& element, int subtype) {
    std::optional<std::string> url;
    switch (subtype) {
    case SVAdTypeBannerImage:
        url = firstText(element, "body/banner/image/url");
        break;
    case SVAdTypeInterstitialImage:
        url = firstText(element, "body/interstitial/image/url");
        break;
    case SVAdTypeAnimatedBanner:
        url = firstText(element, "body/animatedbanner/animatedimage/url");
        break;
    case SVAdTypeExpandableBanner:
        url = firstText(element, "body/expandablebanner/data/url");
        break;
    default:
        break;
    }
    if (!url) {
        SVLog(context, "dataURL is nil!");
        return "";
    }
    return *url;
}

float SVAd::bannerDimensionFromAdElement(const SelvoContext* context, const XmlElement_& element, int dimension,
                                         int subtype) {
    auto parent = creativeParent(subtype);
    if (!parent) {
        SVLogError(context, "Unknown subtype in bannerDimensionFromAdElement");
        return 0;
    }
    auto nodes = element.nodesForXPath(std::string(*parent) + (dimension == 0 ? "/width" : "/height"));
    if (!nodes) {
        SVLogError(context, "Error getting width: %@", nodes.error().description());
        return 0;
    }
    float value = 0;
    for (const auto& node : *nodes) {
        auto text = node ? node->stringValue() : std::nullopt;
        if (text && !text->empty()) {
            value = fnd::floatValue(*text);
        }
    }
    return value;
}

std::vector<std::string> SVAd::trackingPixelsFromAdElement(const SelvoContext* context, const XmlElement_& element,
                                                           int subtype) {
    std::string_view path;
    switch (subtype) {
    case SVAdTypeBannerImage:
        path = "body/banner/trackingPixels/trackingPixelUrl";
        break;
    case SVAdTypeInterstitialImage:
        path = "body/interstitial/trackingPixels/trackingPixelUrl";
        break;
    case SVAdTypeTextBanner:
        path = "body/text/trackingPixels/trackingPixelUrl";
        break;
    case SVAdTypeExpandableBanner:
        path = "body/expandablebanner/trackingPixels/trackingPixelUrl";
        break;
    case SVAdTypeAnimatedBanner:
        path = "body/animatedbanner/trackingPixels/trackingPixelUrl";
        break;
    default:
        SVLogError(context, "invalid subtype looking for tracking pixels");
        return {};
    }
    std::vector<std::string> pixels;
    for (const auto& node : element.nodesForXPath(path).valueOr(XmlNode_::Nodes())) {
        if (auto text = node ? node->stringValue() : std::nullopt) {
            pixels.push_back(std::move(*text));
        }
    }
    return pixels;
}

std::shared_ptr<SVAd> SVAd::adForXMLAdElement(const SVReplyEnv& env, const XmlElement_& element) {
    VERIFY(env.cache != nullptr);
    auto ad = std::make_shared<SVAd>();
    ad->setDbid(env.cache->uniqueId());
    ad->setAdID(idFromAdElement(element));
    ad->setUrl(urlFromAdElement(element));
    ad->setImpressionsReserved(impressionsReservedFromAdElement(element));

    switch (SVAdTypeForString(typeFromAdElement(element))) {
    case SVAdTypeBanner:
        ad->setType(SVAdTypeBanner);
        ad->setSubtype(SVAdTypeBannerImage);
        break;
    case SVAdTypeInterstitial:
        ad->setType(SVAdTypeInterstitial);
        ad->setSubtype(SVAdTypeInterstitialImage);
        break;
    case SVAdTypeExpandableBanner:
        ad->setType(SVAdTypeBanner);
        ad->setSubtype(SVAdTypeExpandableBanner);
        break;
    case SVAdTypeAnimatedBanner:
        ad->setType(SVAdTypeBanner);
        ad->setSubtype(SVAdTypeAnimatedBanner);
        break;
    case SVAdTypeText:
        ad->setText(bodyTextFromAdElement(element));
        ad->setHeadline(headlineFromAdElement(element));
        ad->setType(SVAdTypeText);
        ad->setSubtype(SVAdTypeTextBanner);
        break;
    default:
        break;
    }

    const int subtype = ad->subtype();
    if (creativeParent(subtype)) {
        ad->setText(actionTextFromAdElement(element, subtype));
        ad->setDataURL(dataURLFromAdElement(env.context, element, subtype));
        ad->setImageWidth(bannerDimensionFromAdElement(env.context, element, 0, subtype));
        ad->setImageHeight(bannerDimensionFromAdElement(env.context, element, 1, subtype));
        if (subtype != SVAdTypeExpandableBanner) {
            const fnd::Value deviceInfo = env.context != nullptr ? env.context->deviceInfo() : fnd::Value::dictionary();
            ad->setImage(env.cache->imageForAd(*ad, deviceInfo));
        }
    }
    ad->setTracking(trackingPixelsFromAdElement(env.context, element, subtype));
    return ad;
}

std::optional<fnd::Date> SVExirationDateFromBatchElement(const XmlElement_& batch) {
    auto text = attribute(batch, "expiry");
    if (!text) {
        return std::nullopt;
    }
    static const fnd::DateFormatter formatter("yyyy-MM-dd HH:mm z", *fnd::Locale::withIdentifier("en_US"),
                                              fnd::TimeZone::utc());
    return formatter.dateFromString(*text);
}

} // namespace zelvan::selvo
