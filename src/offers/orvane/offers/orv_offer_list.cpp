// The offer wall's list call and its reply reader.
#include "offers/orvane/offers/orv_offer_list.h"

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/roz_web_service_fetcher.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log.h"

namespace zelvan::orvane {

ORVOfferList readOfferList(const fnd::Value& envelope) {
    ORVOfferList list;
    fnd::Value values = ORVParser::listValue(ORVParser::dictionaryValue(envelope, "OfferArray"), "OfferClass");
    auto items = values.asArray();
    if (!items) {
        return list;
    }
    for (size_t i = 0; i < items->count(); ++i) {
        const fnd::Value& element = items->objectAtIndex(i);
        if (!element.isDictionary()) {
            continue;
        }
        ORVOfferReturnClass offer = ORVOfferReturnClass::initWithInfo(element);
        if (offer.offerName.empty() || offer.cacheOfferId.empty()) {
            continue;
        }
        (offer.videoURL.empty() ? list.offers : list.videos).push_back(std::move(offer));
    }
    return list;
}

std::optional<ORVOfferList> readOfferListReply(int status, std::span<const uint8_t> body) {
    ORVShadow::Reply reply = ORVShadow::readReply(status, body);
    if (!reply.ok()) {
        return std::nullopt;
    }
    return readOfferList(reply.envelope);
}

void requestOfferList(const std::string& publisherUserId, int start, int max,
                      std::function<void(std::optional<ORVOfferList>)> done) {
    auto shadow = ORVShadow::sharedInstance();
    if (!shadow) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: %s not sent, there is no offer context", kORVOfferListMethod);
        onMain([done] { done(std::nullopt); });
        return;
    }
    fnd::Value bindings = shadow->genericParameters();
    auto dictionary = bindings.asDictionary();
    dictionary->setObject(publisherUserId, "PublisherUserID");
    dictionary->setObject(start, "start");
    dictionary->setObject(max, "max");
    auto fetcher = ROZWebServiceFetcher::create();
    fetcher->setBaseURL(shadow->serviceURL(kORVOfferListMethod));
    fetcher->setBindings(std::move(bindings));
    fetcher->setRequestTimeout(OrvaneContext::kRequestTimeout);
    fetcher->fetchAsynchronouslyWithCompletionInvocation([done](const std::shared_ptr<ROZWebServiceFetcher>& f) {
        ORVShadow::Reply reply = ORVShadow::readReply(*f);
        if (!reply.ok()) {
            ZLOG_TO(kOrvaneLog, Warn, "offer network: %s failed (%s)", kORVOfferListMethod, reply.reason);
            done(std::nullopt);
            return;
        }
        done(readOfferList(reply.envelope));
    });
}

std::string appIconURL(const std::string& advertiserAppId) {
    auto shadow = ORVShadow::sharedInstance();
    const std::string base = shadow ? shadow->serviceURL(kORVAppIconMethod) : std::string();
    if (base.empty()) {
        return "";
    }
    return base + "?AppID=" + fnd::escapeUnreserved(advertiserAppId);
}

} // namespace zelvan::orvane
