// ORVModelController: the offer network's reply cache - the last picture and quote, the ad order with its
// banner and full-page networks, and the connect reply with the user's account. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "offers/orvane/orv_records.h"

namespace zelvan::orvane {

class ORVModelController {
public:
    // The context's cache; null without a context.
    static std::shared_ptr<ORVModelController> sharedInstance();

    const std::optional<ORVOrvanePicture>& getOrvanePictureReturnObj() const { return picture_; }
    const std::optional<ORVOrvaneQuote>& getOrvaneQuoteReturnObj() const { return quote_; }
    void setOrvanePictureReturnObj(ORVOrvanePicture picture) { picture_ = std::move(picture); }
    void setOrvaneQuoteReturnObj(ORVOrvaneQuote quote) { quote_ = std::move(quote); }

    // Caches a GetAdOrder reply's envelope: the banner networks (those whose "AdFormat" is not 1, each
    // after updateAdNetworkCredentials), the full-page ones in order, and the AdOrderData.
    void cacheAdOrder(const fnd::Value& envelope);
    // Null before the order arrived.
    const std::optional<AdOrderData>& getAdOrderDataObj() const { return adOrder_; }
    const std::optional<std::vector<ORVAdNetwork>>& adNetworkArray() const { return banners_; }
    const std::vector<ORVAdNetwork>& getFullPageAdNetworkArray() const { return fullPage_; }
    // A new one-entry list holding ORVAdNetwork::orvaneProvider().
    static std::vector<ORVAdNetwork> defaultAdProvidersInfo();

    const std::optional<ORVConnectReturn>& orvaneConnectionObj() const { return connect_; }
    const std::optional<ORVUserAccount>& orvaneUserAccountObj() const { return account_; }
    // Keeps the connect reply and, when it carries one, its account.
    void cacheConnectReturn(ORVConnectReturn reply);

private:
    std::optional<ORVOrvanePicture> picture_;
    std::optional<ORVOrvaneQuote> quote_;
    std::optional<AdOrderData> adOrder_;
    std::optional<std::vector<ORVAdNetwork>> banners_;
    std::vector<ORVAdNetwork> fullPage_;
    std::optional<ORVConnectReturn> connect_;
    std::optional<ORVUserAccount> account_;
};

} // namespace zelvan::orvane
