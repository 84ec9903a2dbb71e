// SVCacheManager's network side: the synchronous fetch with its own cookie handling, the reachability probe,
// and running impression reports synchronously or on the shared queue.
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/cache/sv_submit_report_operation.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"
#include "reachability/reachability.h"

namespace zelvan::selvo {

bool SVCacheManager::networkReachable() {
    std::lock_guard lock(pingMutex_);
    const double now = fnd::Clock::monotonic();
    if (pingTime_ && now - *pingTime_ < kPingLifetime) {
        return lastPingResult_;
    }
    pingTime_ = now;
    const auto& reachability = context_.reachability();
    if (!reachability) {
        lastPingResult_ = true; // nothing to ask: let the request itself find out
        return lastPingResult_;
    }
    reachability->setHostName(context_.probeHost());
    const int remote = reachability->remoteHostStatus();
    const int internet = reachability->internetConnectionStatus();
    lastPingResult_ = !(remote == NotReachable && internet == NotReachable);
    return lastPingResult_;
}

std::optional<fnd::Bytes> SVCacheManager::downloadURL(const std::optional<fnd::Url>& url, const fnd::Value* userInfo,
                                                      std::optional<fnd::Error>* error, size_t maxBytes) {
    if (!url) {
        SVLogError(&context_, "Error url parameter is required.");
        return std::nullopt;
    }
    // Reply-supplied URLs may name local files, which the loading layer would read: only the web is asked.
    if (url->scheme() != "http" && url->scheme() != "https") {
        SVLogError(&context_, "Error creating download URL request.");
        SVLogError(&context_, "Error downloading URL:%@  Error:%@", fnd::logPreview(url->absoluteString()),
                   std::string("only http and https are fetched"));
        if (error != nullptr) {
            *error = fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::UnsupportedUrl,
                                std::string_view("unsupported URL"));
        }
        return std::nullopt;
    }
    fnd::UrlRequest request(*url);
    // The cookies are handled here, so the loading layer must not add or store them a second time.
    request.setHttpShouldHandleCookies(false);
    request.setMaxBodyBytes(maxBytes);
    {
        std::lock_guard lock(lock_);
        auto fields = fnd::Cookie::requestHeaderFields(fnd::CookieStorage::shared().cookiesForUrl(*url));
        for (const auto& field : fields) {
            request.setValue(field.value, field.name);
            SVLog(&context_, ">>>>>>Sending Cooke %@ for %@", fnd::logPreview(field.value),
                  fnd::logPreview(url->absoluteString()));
        }
    }
    if (userInfo != nullptr) {
        SVMisc(&context_).addSVHeaders(request, *userInfo);
    }
    auto result = fnd::UrlConnection::sendSynchronousRequest(request);
    if (result) {
        auto cookies = fnd::Cookie::cookiesWithResponseHeaderFields(result->response.allHeaderFields(), *url);
        for (const auto& cookie : cookies) {
            SVLog(&context_, ">>>>>>Recevied Cooke for %@ name: %@ : value: %@", fnd::logPreview(url->absoluteString()),
                  fnd::logPreview(cookie.name), fnd::logPreview(cookie.value));
        }
        std::lock_guard lock(lock_);
        fnd::CookieStorage::shared().setCookies(cookies, *url, std::nullopt);
        return std::move(result->data);
    }
    if (error != nullptr) {
        *error = result.error();
        SVLogError(&context_, "Error downloading URL:%@  Error:%@", fnd::logPreview(url->absoluteString()),
                   result.error().localizedDescription());
    } else {
        SVLogError(&context_, "Error downloading URL: -- No Response Data. Url: %@",
                   fnd::logPreview(url->absoluteString()));
    }
    return std::nullopt;
}

void SVCacheManager::submitSynchronousReport(const fnd::Value& userInfo) {
    std::lock_guard lock(lock_);
    auto ads = adsToReport();
    if (ads.empty()) {
        return;
    }
    SVSubmitReportOperation::operationWithAds(context_, ads, userInfo)->start();
    markAdsReported();
}

void SVCacheManager::submitReport(const fnd::Value& userInfo) {
    std::lock_guard lock(lock_);
    auto ads = adsToReport();
    if (ads.empty() || !requestQueue_) {
        return;
    }
    auto operation = SVSubmitReportOperation::operationWithAds(context_, ads, userInfo);
    std::weak_ptr<SVCacheManager> weak = weak_from_this();
    std::weak_ptr<SVSubmitReportOperation> weakOperation = operation;
    operation->onFinished = [weak, weakOperation] {
        // A cancelled report marks nothing; a finished one lets the cache delete what it reported.
        auto finished = weakOperation.lock();
        if (!finished || finished->isCancelled()) {
            return;
        }
        fnd::RunLoop::main().post([weak] {
            if (auto manager = weak.lock()) {
                manager->markAdsReported();
            }
        });
    };
    requestQueue_->addOperation(operation);
}

} // namespace zelvan::selvo
