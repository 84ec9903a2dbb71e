// The prefetch: a batch render request loaded on the worker's run loop in its private mode, parsed and
// cached under the requesting view's parameters.
#include "ads/selvo/cache/sv_prefetch_operation.h"

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "ads/selvo/sv_url_builder.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_request.h"

namespace zelvan::selvo {
namespace {

// Collects one load's response, data and outcome; the connection holds it until it ends.
class PrefetchCollector : public fnd::UrlConnectionDelegate {
public:
    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&, const fnd::UrlResponse&) override {
        data.clear();
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& chunk) override {
        data.insert(data.end(), chunk.begin(), chunk.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override { completed = true; }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error& failure) override {
        error = failure;
        completed = true;
    }

    fnd::Bytes data;
    std::optional<fnd::Error> error;
    bool completed = false;
};

} // namespace

SVPrefetchOperation::SVPrefetchOperation(SelvoContext& context, std::vector<SVAdRequest> adRequests,
                                         std::weak_ptr<SVAdViewNotifier> adView, const fnd::Value& userInfo)
    : context_(context), adRequests_(std::move(adRequests)), adView_(std::move(adView)),
      userInfo_(userInfo.deepCopy()) {}

void SVPrefetchOperation::main() {
    requestAds(adRequests_);
}

std::optional<fnd::Error> SVPrefetchOperation::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void SVPrefetchOperation::requestAds(const std::vector<SVAdRequest>& requests) {
    if (isCancelled()) {
        return;
    }
    auto url = SVURLBuilder(context_).urlForAdRequests(requests, userInfo_);
    if (isCancelled()) {
        return;
    }
    std::optional<fnd::Error> error;
    std::optional<fnd::Bytes> data;
    if (url) {
        data = downloadURL(*url, &error);
    } else {
        SVLog(&context_, "Error creating prefetch request");
    }
    if (isCancelled()) {
        return;
    }
    if (!data) {
        SVLog(&context_, "Error retrieving ad from server: %@",
              error ? error->localizedDescription() : std::string("(null)"));
        return;
    }
    auto manager = SVCacheManager::forContext(context_);
    if (!manager) {
        SVLog(&context_, "Error getting handle to SV database.");
        return;
    }
    std::optional<fnd::Error> parseError;
    auto ads = SVAd::adsForXMLData(SVReplyEnv{&context_, manager.get()}, *data, &parseError);
    if (parseError) {
        SVLog(&context_, "Error retrieving ads from prefetch server response: %@", parseError->localizedDescription());
        if (auto view = adView_.lock()) {
            view->notifyDelegateFailedWithError(*parseError);
        }
    }
    if (!ads || ads->empty() || isCancelled()) {
        return;
    }
    SVLog(&context_, "batch ads returned: %d", static_cast<int>(ads->size()));
    auto view = adView_.lock();
    if (!view) {
        return; // the parameters to cache under went with the view
    }
    SVAdParams params(view->requestAdType(), view->publisherID(), view->siteID(), view->placement(), view->section(),
                      view->msize());
    view.reset();
    manager->cacheAds(*ads, params);
}

std::optional<fnd::Bytes> SVPrefetchOperation::downloadURL(const fnd::Url& url, std::optional<fnd::Error>* error) {
    fnd::UrlRequest request(url, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, kTimeout);
    request.setMaxBodyBytes(SVCacheManager::kMaxImageBytes);
    SVMisc(&context_).addSVHeaders(request, userInfo_);
    auto collector = std::make_shared<PrefetchCollector>();
    auto created = fnd::UrlConnection::create(request, collector, fnd::StartImmediately::No);
    if (!created) {
        SVLog(&context_, "Error creating prefetch request");
        if (error != nullptr) {
            *error = created.error();
        }
        return std::nullopt;
    }
    auto connection = *created;
    fnd::RunLoop& loop = fnd::RunLoop::current();
    connection->scheduleInRunLoop(loop, SVPrefetchRunMode);
    connection->start();
    while (!collector->completed && !isCancelled()) {
        // The slice's own wake-up keeps the mode busy, so the loop waits for the connection (or the slice's
        // end) instead of returning at once; cancellation is checked between slices.
        auto sliceEnd = loop.performAfter(
            kSlice, [] {}, SVPrefetchRunMode);
        loop.runMode(SVPrefetchRunMode, fnd::Clock::now().addingTimeInterval(kSlice));
        sliceEnd.cancel();
    }
    if (!collector->completed) {
        connection->cancel();
        return std::nullopt;
    }
    {
        std::lock_guard lock(mutex_);
        lastError_ = collector->error;
    }
    if (collector->error) {
        if (error != nullptr) {
            *error = collector->error;
        }
        return std::nullopt;
    }
    return std::move(collector->data);
}

} // namespace zelvan::selvo
