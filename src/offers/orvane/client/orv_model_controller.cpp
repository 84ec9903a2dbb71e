// The offer network's reply cache: the ad order split into banner and full-page networks.
#include "offers/orvane/client/orv_model_controller.h"

#include "offers/orvane/client/orv_parser.h"

namespace zelvan::orvane {

void ORVModelController::cacheAdOrder(const fnd::Value& envelope) {
    std::vector<ORVAdNetwork> banners;
    std::vector<ORVAdNetwork> fullPage;
    fnd::Value networks = ORVParser::dictionaryValue(envelope, "AdNetworkArray");
    fnd::Value list = ORVParser::listValue(networks, "AdNetworkClass");
    if (auto items = list.asArray()) {
        for (size_t i = 0; i < items->count(); ++i) {
            const fnd::Value& item = items->objectAtIndex(i);
            if (!item.isDictionary()) {
                continue;
            }
            ORVAdNetwork network = ORVAdNetwork::initWithInfo(item);
            updateAdNetworkCredentials(network);
            (network.adFormat == 1 ? fullPage : banners).push_back(std::move(network));
        }
    }
    adOrder_ = AdOrderData::initWithInfo(ORVParser::dictionaryValue(envelope, "AdOrderData"), banners.size());
    banners_ = std::move(banners);
    fullPage_ = std::move(fullPage);
}

std::vector<ORVAdNetwork> ORVModelController::defaultAdProvidersInfo() {
    return {ORVAdNetwork::orvaneProvider()};
}

void ORVModelController::cacheConnectReturn(ORVConnectReturn reply) {
    if (reply.userAccount) {
        account_ = reply.userAccount;
    }
    connect_ = std::move(reply);
}

} // namespace zelvan::orvane
