// The offer network's web-service fetcher: builds the query from the bindings, loads it through
// fnd::UrlConnection on the main run loop, and completes once with what came back.
#include "offers/orvane/client/roz_web_service_fetcher.h"

#include <charconv>
#include <exception>

#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"

namespace zelvan::orvane {

namespace {

// A binding's value as query text: numbers as numbers, text as it is, anything else its description.
std::string bindingText(const fnd::Value& value) {
    if (const std::string* text = value.asString()) {
        return *text;
    }
    if (value.isNull()) {
        return {};
    }
    if (value.isBool()) {
        return value.boolValue() ? "1" : "0";
    }
    if (value.isInt()) {
        return std::to_string(value.longLongValue());
    }
    if (value.isDouble()) {
        char buffer[32];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.doubleValue());
        return ec == std::errc() ? std::string(buffer, end) : std::string();
    }
    return value.stringValue();
}

} // namespace

class ROZWebServiceFetcher::Listener : public fnd::UrlConnectionDelegate {
public:
    explicit Listener(std::shared_ptr<ROZWebServiceFetcher> fetcher) : fetcher_(std::move(fetcher)) {}

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                      const fnd::UrlResponse& response) override {
        if (fetcher_) {
            fetcher_->response_ = response;
            fetcher_->data_.clear();
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& data) override {
        if (fetcher_) {
            fetcher_->data_.insert(fetcher_->data_.end(), data.begin(), data.end());
        }
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override { end(std::nullopt); }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error& error) override {
        end(error);
    }
    // Lets go of the fetcher (it holds this listener while its connection runs).
    void drop() { fetcher_.reset(); }

private:
    void end(std::optional<fnd::Error> error) {
        if (auto fetcher = std::move(fetcher_)) {
            fetcher->finish(std::move(error));
        }
    }

    std::shared_ptr<ROZWebServiceFetcher> fetcher_;
};

std::shared_ptr<ROZWebServiceFetcher> ROZWebServiceFetcher::create() {
    return std::make_shared<ROZWebServiceFetcher>(Passkey());
}

ROZWebServiceFetcher::~ROZWebServiceFetcher() {
    if (connection_) {
        connection_->cancel();
    }
}

std::string ROZWebServiceFetcher::requestURL() const {
    std::string url = fnd::escapeLegacy(baseURL_);
    auto entries = bindings_.asDictionary();
    if (!entries || entries->count() == 0) {
        return url;
    }
    char separator = '?';
    for (const auto& [key, value] : *entries) {
        const std::string keyText = key.text();
        const std::string valueText = bindingText(value);
        if (valueText.empty()) {
            ORV_LOG_FAILURE(3, "Value for binding, %@, is empty.", fnd::logPreview(keyText));
        }
        url.push_back(separator);
        url += fnd::escapeUnreserved(keyText) + "=" + fnd::escapeUnreserved(valueText);
        separator = '&';
    }
    return url;
}

void ROZWebServiceFetcher::fetchAsynchronouslyWithCompletionInvocation(Completion completion) {
    start(std::move(completion), {});
}

void ROZWebServiceFetcher::fetchAsynchronouslyWithCompletionInvocation(Completion completion,
                                                                       const std::string& userAgent) {
    start(std::move(completion), userAgent);
}

void ROZWebServiceFetcher::start(Completion completion, const std::string& userAgent) {
    if (started_) {
        ORV_LOG_FAILURE(3, "A fetcher fetches once; this second fetch is refused.");
        fnd::RunLoop::main().post([self = shared_from_this(), completion = std::move(completion)] {
            if (completion) {
                completion(self);
            }
        });
        return;
    }
    started_ = true;
    completion_ = std::move(completion);
    if (baseURL_.empty()) {
        ORV_LOG_FAILURE(3, "Precondition violated - [baseURL length] == 0");
        failSoon(fnd::UrlError::make(fnd::UrlError::BadUrl, ""));
        return;
    }
    try {
        const std::string address = requestURL();
        auto url = fnd::Url::parse(address);
        if (!url) {
            ORV_LOG_FAILURE(3, "Not a URL: %@", fnd::logPreview(address));
            failSoon(fnd::UrlError::make(fnd::UrlError::BadUrl, address));
            return;
        }
        fnd::UrlRequest request(*url);
        if (timeout_) {
            request.setTimeoutInterval(*timeout_);
        }
        request.setMaxBodyBytes(maxBodyBytes_);
        if (!userAgent.empty()) {
            request.setValue(userAgent, "User-Agent");
        }
        fnd::UrlCache::shared().setMemoryCapacity(0);
        fnd::UrlCache::shared().setDiskCapacity(0);
        listener_ = std::make_shared<Listener>(shared_from_this());
        auto created = fnd::UrlConnection::create(request, listener_, fnd::StartImmediately::No);
        if (!created.ok()) {
            ORV_LOG_FAILURE(3, "Cannot load %@: %@", fnd::logPreview(address), created.error().localizedDescription());
            listener_->drop();
            failSoon(created.error());
            return;
        }
        connection_ = created.value();
        connection_->scheduleInRunLoop(fnd::RunLoop::main());
        connection_->start();
    } catch (const std::exception& e) {
        ORV_LOG_FAILURE(2, "Exception raised: %@", fnd::logPreview(std::string_view(e.what())));
        if (listener_) {
            listener_->drop();
        }
        if (connection_) {
            connection_->cancel();
        }
        failSoon(fnd::UrlError::make(fnd::UrlError::Unknown, baseURL_));
    }
}

void ROZWebServiceFetcher::failSoon(fnd::Error error) {
    fnd::RunLoop::main().post(
        [self = shared_from_this(), error = std::move(error)]() mutable { self->finish(std::move(error)); });
}

void ROZWebServiceFetcher::finish(std::optional<fnd::Error> error) {
    if (fetched_) {
        return;
    }
    fetched_ = true;
    error_ = std::move(error);
    connection_.reset();
    listener_.reset();
    if (auto completion = std::move(completion_)) {
        completion(shared_from_this());
    }
}

} // namespace zelvan::orvane
