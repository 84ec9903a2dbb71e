// The offer network's reply records: the typed values the client core builds from the parsed XML of its
// web-service replies (offers, pictures, quotes, the ad order and its networks, house ads, the account and
// the connect reply). Numbers saturate at the int range; a missing element reads as its default.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::orvane {

// The element's leading decimal number clamped to the int range, or `fallback` when it is absent.
int orvIntValue(const fnd::Value& dictionary, std::string_view key, int fallback = 0);
// The element's text, or "" when it is absent or not text.
std::string orvStringValue(const fnd::Value& dictionary, std::string_view key);

// One offer of the offer wall (an "OfferClass" element).
struct ORVOfferReturnClass {
    std::string offerName, description, amount, currency, instructions, timeDelay, actionURL, emailURL;
    std::string cacheOfferId, PublisherUserRecordID;
    // Offers that install an app and video offers.
    std::string advertiserAppId, videoURL;

    static ORVOfferReturnClass initWithInfo(const fnd::Value& element);
};

// The "PictureObject" of a GetPicture reply: the picture as Base64 text and its name.
struct ORVOrvanePicture {
    std::string image, imageName;
    static ORVOrvanePicture initWithInfo(const fnd::Value& element);
};

// The "QuoteObject" of a GetQuote reply.
struct ORVOrvaneQuote {
    std::string text, author;
    static ORVOrvaneQuote initWithInfo(const fnd::Value& element);
};

// The "AdOrderData" element of a GetAdOrder reply.
struct AdOrderData {
    int rotationTime = 0;
    int rotationDirection = 1; // 0 reads as 1
    int lastNetwork = 0;       // below the banner count (count - 1 when it was not)
    int hasLocation = 0;

    // `bannerCount` is the number of banner networks of the same reply.
    static AdOrderData initWithInfo(const fnd::Value& element, size_t bannerCount);
};

// One "AdNetworkClass" element of the ad order's "AdNetworkArray".
struct ORVAdNetwork {
    std::string adLibraryName; // the network's key; "custom_ad" for a custom ad
    std::string customAdName;
    bool customAd = false;
    std::string adCampaignId;
    int maxTimesToShowAdOnDevice = 0; // -1: no limit; 0 (also when missing): never shown
    int callAdShown = 1;
    std::array<int, 5> eventIntervals{1, 1, 1, 1, 1}; // eventInterval1 ... eventInterval5; empty reads 1
    std::string adShownURL, getAdURL;
    std::array<std::string, 3> AdNetworkGameIDs; // AdNetworkGameID1 ... AdNetworkGameID3
    int adFormat = 0;                            // 1: a full-page network

    static ORVAdNetwork initWithInfo(const fnd::Value& element);
    // The house network every order falls back on: key "orvaneads", no campaign, no show limit.
    static ORVAdNetwork orvaneProvider();
    int eventInterval(int event) const { return event >= 1 && event <= 5 ? eventIntervals[event - 1] : 1; }
};

// Settles a network's derived fields once the order arrived: `customAd` from the key (its case kept), the
// custom ad's name defaulting to its campaign id.
void updateAdNetworkCredentials(ORVAdNetwork& network);

// The "OrvaneAdObject" of a GetOrvaneAd reply (a house banner).
struct ORVOrvaneAd {
    std::string image, adHTML, clickURL;
    bool openInSafari = false; // "OpenIn" is "Safari"
    static ORVOrvaneAd initWithInfo(const fnd::Value& element);
};

// The "UserAccountObject": the player's name, currency and balance.
struct ORVUserAccount {
    std::optional<std::string> friendlyName;
    std::string currencyName;
    int tapPoints = 0;
    std::string pointsID;
    static ORVUserAccount initWithInfo(const fnd::Value& element);
};

// The connect reply: the user's account and the game's leaderboard description (kept as parsed for the
// leaderboards, Null when the game has none).
struct ORVConnectReturn {
    std::optional<ORVUserAccount> userAccount;
    fnd::Value scoresAndFilterInfo;
    static ORVConnectReturn initWithInfo(const fnd::Value& envelope);
};

} // namespace zelvan::orvane
