// The session object's calls: the generic parameters with their connect key, the connect handshake,
// offer clicks, pictures and quotes, and the reading of every reply's envelope.
#include "offers/orvane/client/orv_shadow.h"

#include <cinttypes>
#include <cmath>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/roz_web_service_fetcher.h"
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

ORVShadow::ORVShadow(OrvaneContext& context, std::shared_ptr<ORVModelController> model,
                     std::shared_ptr<SqliteController> store, std::shared_ptr<ORVWebServiceInterface> webService)
    : context_(context), model_(std::move(model)), store_(std::move(store)), webService_(std::move(webService)) {}

ORVShadow::~ORVShadow() {
    if (auto model = context_.adModel()) {
        model->destroy();
    }
    if (fullPage_) {
        fullPage_->destroy();
    }
}

fnd::Value ORVShadow::genericParameters() const {
    const std::string deviceId = context_.deviceId();
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
    if (fetcher.hasError()) {
        Reply reply;
        reply.reason = "no reply: " + fetcher.error()->description();
        return reply;
    }
    return readReply(fetcher.response() ? fetcher.response()->statusCode() : 0, fetcher.data());
}

ORVShadow::Reply ORVShadow::readReply(int status, std::span<const uint8_t> body) {
    Reply reply;
    if (status < 200 || status > 299) {
        reply.reason = fnd::format("HTTP status %d", status);
        return reply;
    }
    auto parser = ORVParser::sharedParserInstance();
    ORVParser local;
    auto parsed = (parser ? *parser : local).parse(body);
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

void ORVShadow::receiveReply(std::string_view method, const Reply& reply) {
    if (method == "Connect") {
        handleConnectReply(reply);
    } else if (method == "GetAdOrder") {
        handleAdOrderReply(reply);
    } else if (method == "GetPicture") {
        handlePictureReply(reply);
    } else if (method == "GetQuote") {
        handleQuoteReply(reply);
    } else if (receiveGoodsReply(method, reply)) {
        return;
    } else if (reply.ok()) {
        // SubmitOfferClick and AdShown: the reply is only logged.
        ORVLog::logWithLevel(4, "%s answered", std::string(method));
    } else {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: %s failed (%s)", std::string(method), reply.reason);
    }
}

std::string ORVShadow::serviceURL(std::string_view method) const {
    return context_.serviceURL(method);
}

void ORVShadow::call(const std::string& method, fnd::Value bindings) {
    send(serviceURL(method), method, std::move(bindings));
}

void ORVShadow::send(const std::string& url, const std::string& handler, fnd::Value bindings) {
    auto fetcher = ROZWebServiceFetcher::create();
    fetcher->setBaseURL(url);
    fetcher->setBindings(std::move(bindings));
    fetcher->setRequestTimeout(OrvaneContext::kRequestTimeout);
    std::weak_ptr<ORVShadow> weak = weak_from_this();
    fetcher->fetchAsynchronouslyWithCompletionInvocation(
        [weak, handler](const std::shared_ptr<ROZWebServiceFetcher>& done) {
            if (auto self = weak.lock()) {
                self->receiveReply(handler, readReply(*done));
            }
        });
}

void ORVShadow::requestConnect() {
    if (connectState_ == ConnectState::InFlight || connectState_ == ConnectState::Connected) {
        return;
    }
    connectState_ = ConnectState::InFlight;
    ORVLog::logWithLevel(4, "ORVShadow: connecting to the offer service");
    call("Connect", genericParameters());
}

void ORVShadow::retryConnectIfFailed() {
    if (connectState_ == ConnectState::Failed) {
        requestConnect();
    }
}

void ORVShadow::handleConnectReply(const Reply& reply) {
    if (!reply.ok()) {
        connectState_ = ConnectState::Failed;
        ZLOG_TO(kOrvaneLog, Warn, "offer network: Connect failed (%s)", reply.reason);
        post(kORVConnectFailed);
        return;
    }
    connectState_ = ConnectState::Connected;
    model()->cacheConnectReturn(ORVConnectReturn::initWithInfo(reply.envelope));
    ZLOG_TO(kOrvaneLog, Info, "offer network: connected");
    post(kORVConnectReceived);
    getAdOrder();
    requestPurchasedGoodsAtStartUp();
}

void ORVShadow::SubmitOfferClick(const std::string& cachedOfferId, const std::string& publisherUserRecordId) {
    fnd::Value parameters = genericParameters();
    parameters.asDictionary()->setObject(cachedOfferId, "CachedOfferID");
    parameters.asDictionary()->setObject(publisherUserRecordId, "PublisherUserRecordID");
    call("SubmitOfferClick", parameters);
}

void ORVShadow::getPicture() {
    call("GetPicture", genericParameters());
}

void ORVShadow::getQuote() {
    call("GetQuote", genericParameters());
}

void ORVShadow::handlePictureReply(const Reply& reply) {
    fnd::Value picture = reply.ok() ? ORVParser::dictionaryValue(reply.envelope, "PictureObject") : fnd::Value();
    if (!picture.isDictionary()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetPicture failed (%s)",
                reply.ok() ? "no PictureObject" : reply.reason);
        post(kORVPictureFailed);
        return;
    }
    model()->setOrvanePictureReturnObj(ORVOrvanePicture::initWithInfo(picture));
    post(kORVPictureReceived);
}

void ORVShadow::handleQuoteReply(const Reply& reply) {
    fnd::Value quote = reply.ok() ? ORVParser::dictionaryValue(reply.envelope, "QuoteObject") : fnd::Value();
    if (!quote.isDictionary()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetQuote failed (%s)", reply.ok() ? "no QuoteObject" : reply.reason);
        post(kORVQuoteFailed);
        return;
    }
    model()->setOrvaneQuoteReturnObj(ORVOrvaneQuote::initWithInfo(quote));
    post(kORVQuoteReceived);
}

} // namespace zelvan::orvane
