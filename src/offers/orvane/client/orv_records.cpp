// Building the offer network's reply records from parsed replies, through the parser's typed readers.
#include "offers/orvane/client/orv_records.h"

#include <algorithm>
#include <limits>

#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/string_ops.h"

namespace zelvan::orvane {

int orvIntValue(const fnd::Value& dictionary, std::string_view key, int fallback) {
    std::optional<int64_t> value = ORVParser::integerValue(dictionary, key);
    if (!value) {
        return fallback;
    }
    return static_cast<int>(
        std::clamp<int64_t>(*value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string orvStringValue(const fnd::Value& dictionary, std::string_view key) {
    return ORVParser::stringValue(dictionary, key).value_or("");
}

ORVOfferReturnClass ORVOfferReturnClass::initWithInfo(const fnd::Value& e) {
    ORVOfferReturnClass offer;
    offer.offerName = orvStringValue(e, "OfferName");
    offer.description = orvStringValue(e, "Description");
    offer.amount = orvStringValue(e, "Amount");
    offer.currency = orvStringValue(e, "Currency");
    offer.instructions = orvStringValue(e, "Instructions");
    offer.timeDelay = orvStringValue(e, "TimeDelay");
    offer.actionURL = orvStringValue(e, "ActionURL");
    offer.emailURL = orvStringValue(e, "EmailURL");
    offer.cacheOfferId = orvStringValue(e, "CachedOfferID");
    offer.PublisherUserRecordID = orvStringValue(e, "PublisherUserRecordID");
    offer.advertiserAppId = orvStringValue(e, "AdvertiserAppID");
    offer.videoURL = orvStringValue(e, "VideoURL");
    return offer;
}

ORVOrvanePicture ORVOrvanePicture::initWithInfo(const fnd::Value& e) {
    return {orvStringValue(e, "Image"), orvStringValue(e, "ImageName")};
}

ORVOrvaneQuote ORVOrvaneQuote::initWithInfo(const fnd::Value& e) {
    return {orvStringValue(e, "Text"), orvStringValue(e, "Author")};
}

AdOrderData AdOrderData::initWithInfo(const fnd::Value& e, size_t bannerCount) {
    AdOrderData order;
    order.rotationTime = orvIntValue(e, "RotationTime");
    order.rotationDirection = orvIntValue(e, "RotationDirection");
    if (order.rotationDirection == 0) {
        order.rotationDirection = 1;
    }
    order.lastNetwork = orvIntValue(e, "LastNetwork");
    const int count = static_cast<int>(std::min<size_t>(bannerCount, std::numeric_limits<int>::max()));
    if (order.lastNetwork >= count) {
        order.lastNetwork = count - 1;
    }
    order.hasLocation = orvIntValue(e, "HasLocation");
    return order;
}

ORVAdNetwork ORVAdNetwork::initWithInfo(const fnd::Value& e) {
    ORVAdNetwork network;
    network.adLibraryName = orvStringValue(e, "AdLibraryName");
    network.customAdName = orvStringValue(e, "CustomAdName");
    network.adCampaignId = orvStringValue(e, "AdCampaignID");
    // No default: a network without its show limit reads 0 and is never eligible.
    network.maxTimesToShowAdOnDevice = orvIntValue(e, "MaxTimesToShowAdOnDevice");
    network.callAdShown = orvIntValue(e, "CallAdShown", 1);
    for (size_t i = 0; i < network.eventIntervals.size(); ++i) {
        const std::string key = "EventInterval" + std::to_string(i + 1);
        // An empty (or missing) interval reads 1, and so does one that is not a number.
        std::optional<std::string> text = ORVParser::stringValue(e, key);
        network.eventIntervals[i] =
            text && !fnd::trim(*text, fnd::CharSet::WhitespaceAndNewline).empty() ? orvIntValue(e, key, 1) : 1;
    }
    network.adShownURL = orvStringValue(e, "AdShownURL");
    network.getAdURL = orvStringValue(e, "GetAdURL");
    for (size_t i = 0; i < network.AdNetworkGameIDs.size(); ++i) {
        network.AdNetworkGameIDs[i] = orvStringValue(e, "AdNetworkGameID" + std::to_string(i + 1));
    }
    network.adFormat = orvIntValue(e, "AdFormat");
    return network;
}

ORVAdNetwork ORVAdNetwork::orvaneProvider() {
    ORVAdNetwork network;
    network.adLibraryName = "orvaneads";
    network.maxTimesToShowAdOnDevice = -1;
    network.callAdShown = 1;
    return network;
}

void updateAdNetworkCredentials(ORVAdNetwork& network) {
    // The key keeps its case (the parser has trimmed it): the rotation matches keys case-sensitively, so
    // "Adwick" is an unknown network and "Custom_Ad" no custom ad.
    network.customAd = network.adLibraryName == "custom_ad";
    if (network.customAd && network.customAdName.empty()) {
        network.customAdName = network.adCampaignId;
    }
}

ORVOrvaneAd ORVOrvaneAd::initWithInfo(const fnd::Value& e) {
    ORVOrvaneAd ad;
    ad.image = orvStringValue(e, "Image");
    ad.adHTML = orvStringValue(e, "AdHTML");
    ad.clickURL = orvStringValue(e, "ClickURL");
    ad.openInSafari = orvStringValue(e, "OpenIn") == "Safari";
    return ad;
}

ORVUserAccount ORVUserAccount::initWithInfo(const fnd::Value& e) {
    ORVUserAccount account;
    account.friendlyName = ORVParser::stringValue(e, "FriendlyName");
    if (account.friendlyName && account.friendlyName->empty()) {
        account.friendlyName.reset();
    }
    account.currencyName = orvStringValue(e, "CurrencyName");
    account.tapPoints = orvIntValue(e, "TapPoints");
    account.pointsID = orvStringValue(e, "PointsID");
    return account;
}

ORVConnectReturn ORVConnectReturn::initWithInfo(const fnd::Value& envelope) {
    ORVConnectReturn reply;
    fnd::Value account = ORVParser::dictionaryValue(envelope, "UserAccountObject");
    if (account.isDictionary()) {
        reply.userAccount = ORVUserAccount::initWithInfo(account);
    }
    reply.scoresAndFilterInfo = ORVParser::dictionaryValue(envelope, "ScoresAndFilterInfo");
    return reply;
}

} // namespace zelvan::orvane
