// The session object's calls: the generic parameters with their connect key, the connect handshake,
// offer clicks, pictures and quotes, and the reading of every reply's envelope.
#include "offers/orvane/orv_shadow.h"

#include <cinttypes>
#include <cmath>

#include "offers/orvane/orv_log.h"
#include "offers/orvane/orv_model_controller.h"
#include "offers/orvane/orv_parser.h"
#include "offers/orvane/orvane_context.h"
#include "offers/orvane/roz_web_service_fetcher.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/digest.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/notification_center.h"

namespace zelvan::orvane {

namespace {

void post(const char* name) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name);
}

} // namespace

ORVShadow::ORVShadow(OrvaneContext& owner) : owner_(owner) {}

ORVShadow::~ORVShadow() {
    if (auto model = owner_.adModel()) {
        model->destroy();
    }
    if (fullPage_) {
        fullPage_->destroy();
    }
}

std::shared_ptr<ORVShadow> ORVShadow::sharedInstance() {
    auto ctx = context();
    return ctx ? ctx->shadow() : nullptr;
}

std::shared_ptr<ORVModelController> ORVShadow::model() const {
    return owner_.modelController();
}

fnd::Value ORVShadow::genericParameters() const {
    const std::string deviceId = owner_.deviceId();
    const auto seconds = static_cast<int64_t>(std::floor(fnd::Clock::now().since1970()));
    const std::string timestamp = fnd::format("%lld", static_cast<long long>(seconds));
    const std::string key = fnd::md5Hex(std::string(OrvaneContext::kAppId) + deviceId + OrvaneContext::kSdkVersion +
                                        timestamp + OrvaneContext::kAppSecret);
    return fnd::Value::dictionary({{"AppID", OrvaneContext::kAppId},
                                   {"DeviceID", deviceId},
                                   {"SDKVersion", OrvaneContext::kSdkVersion},
                                   {"Timestamp", timestamp},
                                   {"ConnectKey", key}});
}

ORVShadow::Reply ORVShadow::readReply(const ROZWebServiceFetcher& fetcher) {
    Reply reply;
    if (fetcher.hasError()) {
        reply.reason = "no reply: " + fetcher.error()->description();
        return reply;
    }
    const int status = fetcher.response() ? fetcher.response()->statusCode() : 0;
    if (status < 200 || status > 299) {
        reply.reason = fnd::format("HTTP status %d", status);
        return reply;
    }
    auto parser = ORVParser::sharedParserInstance();
    ORVParser local;
    auto parsed = (parser ? *parser : local).parse(fetcher.data());
    if (!parsed) {
        reply.reason = "unreadable reply: " + parsed.error().description();
        return reply;
    }
    fnd::Value envelope = ORVParser::dictionaryValue(*parsed, kEnvelope);
    if (!envelope.isDictionary()) {
        reply.reason = fnd::format("no %s element", kEnvelope);
        return reply;
    }
    reply.envelope = envelope;
    if (auto message = ORVParser::stringValue(envelope, "ErrorMessage")) {
        reply.errorMessage = true;
        reply.reason = "ErrorMessage " + fnd::logPreview(fnd::Value(*message));
    }
    return reply;
}

void ORVShadow::call(const std::string& method, fnd::Value bindings, Handler handler) {
    auto fetcher = ROZWebServiceFetcher::create();
    fetcher->setBaseURL(owner_.serviceURL(method));
    fetcher->setBindings(std::move(bindings));
    fetcher->setRequestTimeout(OrvaneContext::kRequestTimeout);
    std::weak_ptr<ORVShadow> weak = weak_from_this();
    fetcher->fetchAsynchronouslyWithCompletionInvocation(
        [weak, handler = std::move(handler)](const std::shared_ptr<ROZWebServiceFetcher>& done) {
            if (auto self = weak.lock()) {
                handler(*self, readReply(*done));
            }
        });
}

void ORVShadow::requestConnect() {
    if (connectState_ == ConnectState::InFlight || connectState_ == ConnectState::Connected) {
        return;
    }
    connectState_ = ConnectState::InFlight;
    ORVLog::logWithLevel(4, "ORVShadow: connecting to the offer service");
    call("Connect", genericParameters(), [](ORVShadow& self, const Reply& reply) { self.handleConnectReply(reply); });
}

void ORVShadow::retryConnectIfFailed() {
    if (connectState_ == ConnectState::Failed) {
        requestConnect();
    }
}

void ORVShadow::handleConnectReply(const Reply& reply) {
    if (!reply.ok()) {
        connectState_ = ConnectState::Failed;
        ZLOG(Warn, "offer network: Connect failed (%s)", reply.reason);
        post(kORVConnectFailed);
        return;
    }
    connectState_ = ConnectState::Connected;
    model()->cacheConnectReturn(ORVConnectReturn::initWithInfo(reply.envelope));
    ZLOG(Info, "offer network: connected");
    post(kORVConnectReceived);
    getAdOrder();
}

void ORVShadow::SubmitOfferClick(const std::string& cachedOfferId, const std::string& publisherUserRecordId) {
    fnd::Value parameters = genericParameters();
    parameters.asDictionary()->setObject(cachedOfferId, "CachedOfferID");
    parameters.asDictionary()->setObject(publisherUserRecordId, "PublisherUserRecordID");
    call("SubmitOfferClick", parameters, [](ORVShadow&, const Reply& reply) {
        if (reply.ok()) {
            ORVLog::logWithLevel(4, "SubmitOfferClick answered");
        } else {
            ZLOG(Warn, "offer network: SubmitOfferClick failed (%s)", reply.reason);
        }
    });
}

void ORVShadow::getPicture() {
    call("GetPicture", genericParameters(), [](ORVShadow& self, const Reply& reply) {
        fnd::Value picture = reply.ok() ? ORVParser::dictionaryValue(reply.envelope, "PictureObject") : fnd::Value();
        if (!picture.isDictionary()) {
            ZLOG(Warn, "offer network: GetPicture failed (%s)", reply.ok() ? "no PictureObject" : reply.reason);
            post(kORVPictureFailed);
            return;
        }
        self.model()->setOrvanePictureReturnObj(ORVOrvanePicture::initWithInfo(picture));
        post(kORVPictureReceived);
    });
}

void ORVShadow::getQuote() {
    call("GetQuote", genericParameters(), [](ORVShadow& self, const Reply& reply) {
        fnd::Value quote = reply.ok() ? ORVParser::dictionaryValue(reply.envelope, "QuoteObject") : fnd::Value();
        if (!quote.isDictionary()) {
            ZLOG(Warn, "offer network: GetQuote failed (%s)", reply.ok() ? "no QuoteObject" : reply.reason);
            post(kORVQuoteFailed);
            return;
        }
        self.model()->setOrvaneQuoteReturnObj(ORVOrvaneQuote::initWithInfo(quote));
        post(kORVQuoteReceived);
    });
}

} // namespace zelvan::orvane
