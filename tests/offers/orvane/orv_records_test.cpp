// The offer network's records and reply cache from parsed replies: the ad order's split into banner and
// full-page networks, its clamps and defaults, and the readings of house ads and accounts.
#include <gtest/gtest.h>

#include <string>

#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_records.h"

namespace zelvan::orvane {
namespace {

fnd::Value envelopeOf(const std::string& xml) {
    ORVParser parser;
    auto parsed = parser.parse({reinterpret_cast<const uint8_t*>(xml.data()), xml.size()});
    EXPECT_TRUE(parsed) << xml;
    return parsed ? ORVParser::dictionaryValue(*parsed, "OrvaneConnectReturnObject") : fnd::Value();
}

std::string order(const std::string& data, const std::string& networks) {
    return "<OrvaneConnectReturnObject><AdOrderData>" + data + "</AdOrderData><AdNetworkArray>" + networks +
           "</AdNetworkArray></OrvaneConnectReturnObject>";
}

TEST(ORVRecordsTest, TheAdOrderSplitsClampsAndDefaults) {
    ORVModelController model;
    EXPECT_FALSE(model.adNetworkArray());
    EXPECT_FALSE(model.getAdOrderDataObj());

    // Several networks: one full page, keys keep their case, an empty interval reads 1, a huge number saturates.
    model.cacheAdOrder(envelopeOf(
        order("<RotationTime>99999999999999999999</RotationTime><RotationDirection>0</RotationDirection>"
              "<LastNetwork>7</LastNetwork><HasLocation>1</HasLocation>",
              "<AdNetworkClass><AdLibraryName> Custom_Ad </AdLibraryName><AdCampaignID>c-9</AdCampaignID>"
              "<EventInterval1>3</EventInterval1><EventInterval2></EventInterval2><EventInterval3> </EventInterval3>"
              "</AdNetworkClass>"
              "<AdNetworkClass><AdLibraryName>marlin</AdLibraryName><AdFormat>1</AdFormat></AdNetworkClass>"
              "<AdNetworkClass><AdLibraryName>Adwick</AdLibraryName><AdNetworkGameID2>g2</AdNetworkGameID2>"
              "</AdNetworkClass>"
              "<AdNetworkClass><AdLibraryName> custom_ad\n</AdLibraryName><AdCampaignID>c-9</AdCampaignID>"
              "<MaxTimesToShowAdOnDevice>-1</MaxTimesToShowAdOnDevice></AdNetworkClass>")));
    ASSERT_TRUE(model.adNetworkArray());
    const auto& banners = *model.adNetworkArray();
    ASSERT_EQ(banners.size(), 3u);
    // Keys keep their case (another case is another, unknown, network); the blanks around them go.
    EXPECT_EQ(banners[0].adLibraryName, "Custom_Ad");
    EXPECT_FALSE(banners[0].customAd);
    EXPECT_EQ(banners[0].eventIntervals, (std::array<int, 5>{3, 1, 1, 1, 1}));
    EXPECT_EQ(banners[1].adLibraryName, "Adwick");
    EXPECT_EQ(banners[1].AdNetworkGameIDs[1], "g2");
    EXPECT_EQ(banners[1].maxTimesToShowAdOnDevice, 0); // no limit given: never eligible
    EXPECT_EQ(banners[2].adLibraryName, "custom_ad");
    EXPECT_TRUE(banners[2].customAd);
    EXPECT_EQ(banners[2].customAdName, "c-9");
    EXPECT_EQ(banners[2].maxTimesToShowAdOnDevice, -1);
    ASSERT_EQ(model.getFullPageAdNetworkArray().size(), 1u);
    EXPECT_EQ(model.getFullPageAdNetworkArray()[0].adLibraryName, "marlin");
    const AdOrderData& data = *model.getAdOrderDataObj();
    EXPECT_EQ(data.rotationTime, INT32_MAX);
    EXPECT_EQ(data.rotationDirection, 1);
    EXPECT_EQ(data.lastNetwork, 2); // 7 is past the three banners
    EXPECT_EQ(data.hasLocation, 1);

    // One network alone, a direction kept, a last network in range.
    model.cacheAdOrder(envelopeOf(order("<RotationDirection>2</RotationDirection><LastNetwork>0</LastNetwork>",
                                        "<AdNetworkClass><AdLibraryName>selvo</AdLibraryName></AdNetworkClass>")));
    ASSERT_EQ(model.adNetworkArray()->size(), 1u);
    EXPECT_EQ(model.getAdOrderDataObj()->rotationDirection, 2);
    EXPECT_EQ(model.getAdOrderDataObj()->lastNetwork, 0);
    EXPECT_TRUE(model.getFullPageAdNetworkArray().empty());

    // No networks: an empty (present) list, the last network clamped to -1.
    model.cacheAdOrder(envelopeOf(order("<LastNetwork>0</LastNetwork>", "")));
    EXPECT_TRUE(model.adNetworkArray() && model.adNetworkArray()->empty());
    EXPECT_EQ(model.getAdOrderDataObj()->lastNetwork, -1);

    const auto defaults = ORVModelController::defaultAdProvidersInfo();
    ASSERT_EQ(defaults.size(), 1u);
    EXPECT_EQ(defaults[0].adLibraryName, "orvaneads");
    EXPECT_EQ(defaults[0].adCampaignId, "");
    EXPECT_EQ(defaults[0].maxTimesToShowAdOnDevice, -1);
    EXPECT_EQ(defaults[0].callAdShown, 1);
    EXPECT_EQ(defaults[0].eventIntervals, (std::array<int, 5>{1, 1, 1, 1, 1}));
}

TEST(ORVRecordsTest, HouseAdsAccountsAndOffersRead) {
    auto ad = ORVOrvaneAd::initWithInfo(
        envelopeOf("<OrvaneConnectReturnObject><OpenIn>Safari</OpenIn><ClickURL>http://x/</ClickURL>"
                   "</OrvaneConnectReturnObject>"));
    EXPECT_TRUE(ad.openInSafari);
    EXPECT_EQ(ad.clickURL, "http://x/");
    EXPECT_FALSE(ORVOrvaneAd::initWithInfo(envelopeOf("<OrvaneConnectReturnObject><OpenIn>safari</OpenIn>"
                                                      "</OrvaneConnectReturnObject>"))
                     .openInSafari);

    auto connect = ORVConnectReturn::initWithInfo(
        envelopeOf("<OrvaneConnectReturnObject><UserAccountObject><FriendlyName></FriendlyName>"
                   "<TapPoints>-99999999999999999999</TapPoints><PointsID>p</PointsID></UserAccountObject>"
                   "</OrvaneConnectReturnObject>"));
    ASSERT_TRUE(connect.userAccount);
    EXPECT_FALSE(connect.userAccount->friendlyName);
    EXPECT_EQ(connect.userAccount->tapPoints, INT32_MIN);
    EXPECT_EQ(connect.userAccount->pointsID, "p");
    EXPECT_TRUE(connect.scoresAndFilterInfo.isNull());
    EXPECT_FALSE(ORVConnectReturn::initWithInfo(envelopeOf("<OrvaneConnectReturnObject><UserAccountObject>text"
                                                           "</UserAccountObject></OrvaneConnectReturnObject>"))
                     .userAccount);

    auto offer = ORVOfferReturnClass::initWithInfo(
        envelopeOf("<OrvaneConnectReturnObject><CachedOfferID>7</CachedOfferID><VideoURL>v</VideoURL>"
                   "<Amount>15</Amount></OrvaneConnectReturnObject>"));
    EXPECT_EQ(offer.cacheOfferId, "7");
    EXPECT_EQ(offer.videoURL, "v");
    EXPECT_EQ(offer.amount, "15");
    EXPECT_EQ(offer.offerName, "");
}

} // namespace
} // namespace zelvan::orvane
