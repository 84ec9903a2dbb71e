// The offer network's web-service fetcher: builds the query from the bindings, loads it through fnd::fetch
// on the main run loop, and completes once with what came back.
#include "offers/orvane/client/roz_web_service_fetcher.h"

#include <charconv>
#include <exception>

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_connection.h"
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

std::shared_ptr<ROZWebServiceFetcher> ROZWebServiceFetcher::create() {
    return std::make_shared<ROZWebServiceFetcher>(Passkey());
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
        onMain([self = shared_from_this(), completion = std::move(completion)] {
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
        if (!userAgent.empty()) {
            request.setValue(userAgent, "User-Agent");
        }
        fnd::FetchOptions options;
        options.timeout = timeout_.value_or(options.timeout);
        options.maxBodyBytes = maxBodyBytes_;
        fnd::UrlCache::shared().setMemoryCapacity(0);
        fnd::UrlCache::shared().setDiskCapacity(0);
        // The completion holds the fetcher: it stays alive until it has completed.
        fnd::fetch(std::move(request), std::move(options), weak_from_this(),
                   [self = shared_from_this(), address](fnd::Result<fnd::FetchReply> reply) {
                       if (!reply) {
                           const fnd::Error& error = reply.error();
                           // An address the loader refuses never reached the network.
                           if (error.code() == fnd::UrlError::UnsupportedUrl || error.code() == fnd::UrlError::BadUrl) {
                               ORV_LOG_FAILURE(3, "Cannot load %@: %@", fnd::logPreview(address),
                                               error.localizedDescription());
                           }
                           self->finish(error);
                           return;
                       }
                       self->response_ = std::move(reply.value().response);
                       self->data_ = std::move(reply.value().body);
                       self->finish(std::nullopt);
                   });
    } catch (const std::exception& e) {
        ORV_LOG_FAILURE(2, "Exception raised: %@", fnd::logPreview(std::string_view(e.what())));
        failSoon(fnd::UrlError::make(fnd::UrlError::Unknown, baseURL_));
    }
}

void ROZWebServiceFetcher::failSoon(fnd::Error error) {
    onMain([self = shared_from_this(), error = std::move(error)]() mutable { self->finish(std::move(error)); });
}

void ROZWebServiceFetcher::finish(std::optional<fnd::Error> error) {
    if (fetched_) {
        return;
    }
    fetched_ = true;
    error_ = std::move(error);
    if (auto completion = std::move(completion_)) {
        completion(shared_from_this());
    }
}

} // namespace zelvan::orvane
