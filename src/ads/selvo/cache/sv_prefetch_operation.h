// SVPrefetchOperation: fetches a batch of ads into the cache ahead of display. Its fetch runs on the
// worker's own run loop in the private mode "SVPrefetchRunMode", waited for in slices of at most 5 s, so a
// cancel is seen within one slice; the request ignores local caches and times out after 10 s without
// progress.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "ads/selvo/cache/sv_ad_view_notifier.h"
#include "ads/selvo/cache/sv_fetch_wait.h"
#include "ads/selvo/sv_ad_request.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/url.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

inline constexpr std::string_view SVPrefetchRunMode = "SVPrefetchRunMode";

class SVPrefetchOperation : public fnd::Operation {
public:
    static constexpr double kTimeout = 10;
    static constexpr double kSlice = kSVFetchWaitSlice;

    // `context` outlives the queue the operation runs on; the requests and user info are copied.
    SVPrefetchOperation(SelvoContext& context, std::vector<SVAdRequest> adRequests,
                        std::weak_ptr<SVAdViewNotifier> adView, const fnd::Value& userInfo);
    static std::shared_ptr<SVPrefetchOperation> prefetchRequest(SelvoContext& context,
                                                                std::vector<SVAdRequest> adRequests,
                                                                std::weak_ptr<SVAdViewNotifier> adView,
                                                                const fnd::Value& userInfo) {
        return std::make_shared<SVPrefetchOperation>(context, std::move(adRequests), std::move(adView), userInfo);
    }

    std::string className() const override { return "SVPrefetchOperation"; }
    void main() override;
    void requestAds(const std::vector<SVAdRequest>& requests);
    // Loads `url` on this thread's run loop; the data, or the failure (UrlError::Cancelled once the
    // operation is cancelled).
    fnd::Result<fnd::Bytes> downloadURL(const fnd::Url& url);

    // The failure of the last download (any thread once finished).
    std::optional<fnd::Error> lastError() const;
    const std::vector<SVAdRequest>& adRequests() const { return adRequests_; }

private:
    SelvoContext& context_;
    const std::vector<SVAdRequest> adRequests_;
    std::weak_ptr<SVAdViewNotifier> adView_;
    const fnd::Value userInfo_;
    mutable std::mutex mutex_;
    std::optional<fnd::Error> lastError_;
};

} // namespace zelvan::selvo
