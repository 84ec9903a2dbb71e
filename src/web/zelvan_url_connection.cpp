// The connection's life (start, one completion, cancel) and its HTTP(S) fetch through fnd::fetch: a body
// counts only when the status is 2xx and every announced byte arrived.
#include "web/zelvan_url_connection.h"

#include <optional>

#include "core/main_thread.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "protocol/tracer.h"
#include "web/web_urls.h"

namespace zelvan {

namespace {

bool sameOrigin(const fnd::Url& a, const fnd::Url& b) {
    return a.scheme() == b.scheme() && a.port() == b.port() && fnd::equalsIgnoringAsciiCase(a.host(), b.host());
}

} // namespace

ZelvanURLConnection::ZelvanURLConnection(std::shared_ptr<ZelvanURLRequest> request) : request_(std::move(request)) {}

std::shared_ptr<ZelvanURLConnection> ZelvanURLConnection::init(std::shared_ptr<ZelvanURLRequest> request) {
    return std::make_shared<ZelvanURLConnection>(std::move(request));
}

ZelvanURLConnection::~ZelvanURLConnection() {
    if (httpCancel_) {
        httpCancel_->cancel();
    }
}

std::string ZelvanURLConnection::absoluteUrl() const {
    if (!absoluteUrl_.empty() || !request_) {
        return absoluteUrl_;
    }
    return resolveWebUrl(request_->url(), request_->baseURL()).value_or(std::string());
}

void ZelvanURLConnection::setHeaderValue(std::string field, std::string value) {
    headers_.emplace_back(std::move(field), std::move(value));
}

void ZelvanURLConnection::start(Completion completion) {
    {
        std::lock_guard lock(mutex_);
        if (started_) {
            return;
        }
        started_ = true;
        completion_ = std::move(completion);
    }
    if (request_) {
        request_->setState(ZelvanURLRequest::State::Loading);
    }
    begin();
}

void ZelvanURLConnection::cancel() {
    {
        std::lock_guard lock(mutex_);
        if (done_) {
            return;
        }
        done_ = true;
        completion_ = nullptr;
    }
    end();
}

bool ZelvanURLConnection::isRunning() const {
    std::lock_guard lock(mutex_);
    return started_ && !done_;
}

void ZelvanURLConnection::complete(ZelvanFetchResult result) {
    Completion completion;
    {
        std::lock_guard lock(mutex_);
        if (done_) {
            return;
        }
        done_ = true;
        completion = std::move(completion_);
    }
    httpCancel_.reset();
    auto self = std::static_pointer_cast<ZelvanURLConnection>(shared_from_this());
    if (completion) {
        completion(self, std::move(result));
    } else {
        deliver(result);
    }
}

void ZelvanURLConnection::deliver(const ZelvanFetchResult& result) {
    auto self = std::static_pointer_cast<ZelvanURLConnection>(shared_from_this());
    std::shared_ptr<ZelvanURLConnectionDelegate> delegate;
    if (request_) {
        if (result.ok) {
            request_->finish(result.body);
        } else {
            request_->fail(result.errorCode);
        }
        delegate = request_->delegate();
    }
    if (!delegate) {
        return;
    }
    if (result.ok) {
        delegate->connectionDidFinish(self);
    } else {
        delegate->connectionDidFail(self);
    }
}

void ZelvanURLConnection::begin() {
    std::string text = absoluteUrl();
    auto url = fnd::Url::parse(text);
    if (!url || !url->isHttpUrl()) {
        ZTRACE_WARN("web fetch refused for a URL that is not http(s): %s", fnd::logPreview(text));
        // Reported on the next pass, as every other outcome is, so the caller's start() returns first.
        laterOnThisLoop(std::static_pointer_cast<ZelvanURLConnection>(shared_from_this()),
                        [](ZelvanURLConnection& self) {
                            self.complete(ZelvanFetchResult{false, {}, fnd::UrlError::UnsupportedUrl});
                        });
        return;
    }
    fnd::UrlRequest request(*url);
    if (request_) {
        request.setHttpMethod(request_->httpMethod());
        request.setHttpBody(request_->httpBody());
        for (const auto& [field, value] : request_->headerFields()) {
            request.setValue(value, field);
        }
    }
    std::vector<std::string> ownFields;
    for (const auto& [field, value] : headers_) {
        request.setValue(value, field);
        ownFields.push_back(field);
    }
    fnd::FetchOptions options;
    httpCancel_ = options.cancel = std::make_shared<fnd::UrlCancelToken>();
    if (!ownFields.empty()) {
        // A redirect to another scheme, host or port leaves out the fields the connection added (the
        // session key): they are meant for the fetched URL's own server only.
        options.redirects =
            fnd::RedirectPolicy::ask([origin = *url, ownFields](const fnd::UrlRequest& next, const fnd::UrlResponse&) {
                if (sameOrigin(next.url(), origin)) {
                    return std::optional<fnd::UrlRequest>(next);
                }
                fnd::UrlRequest stripped = next;
                fnd::HttpHeaders fields = stripped.allHTTPHeaderFields();
                for (const auto& name : ownFields) {
                    fields.remove(name);
                }
                stripped.setAllHTTPHeaderFields(std::move(fields));
                return std::optional<fnd::UrlRequest>(std::move(stripped));
            });
    }
    // Dropping the connection ends the fetch unheard; while the completion runs the fetch holds it.
    fnd::fetch(std::move(request), std::move(options), weak_from_this(),
               [this, text](fnd::Result<fnd::FetchReply> reply) { httpFetchEnded(text, std::move(reply)); });
}

void ZelvanURLConnection::httpFetchEnded(const std::string& url, fnd::Result<fnd::FetchReply> reply) {
    if (!isRunning()) {
        return; // cancelled: nobody waits for this outcome
    }
    ZelvanFetchResult result;
    if (!reply) {
        const fnd::Error& error = reply.error();
        ZTRACE_WARN("web fetch of %s failed: %@", fnd::logPreview(url), fnd::logPreview(error.description()));
        result.errorCode = error.code() != 0 ? error.code() : fnd::UrlError::Unknown;
        complete(std::move(result));
        return;
    }
    const int64_t status = reply->response.statusCode();
    const int64_t expected = reply->response.expectedContentLength();
    if (status < 200 || status > 299) {
        ZTRACE_WARN("web fetch of %s answered HTTP %lld", fnd::logPreview(url), static_cast<long long>(status));
        result.errorCode = status;
    } else if (expected >= 0 && static_cast<int64_t>(reply->body.size()) != expected) {
        // A body cut short (or overlong) is not the resource.
        ZTRACE_WARN("web fetch of %s ended after %lld of %lld bytes", fnd::logPreview(url),
                    static_cast<long long>(reply->body.size()), static_cast<long long>(expected));
        result.errorCode = fnd::UrlError::NetworkConnectionLost;
    } else {
        result.ok = true;
        result.body = std::move(reply->body);
    }
    complete(std::move(result));
}

void ZelvanURLConnection::end() {
    if (httpCancel_) {
        httpCancel_->cancel();
        httpCancel_.reset();
    }
}

} // namespace zelvan
