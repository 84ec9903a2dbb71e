// SVAdRequestOperation: fetches one ad from the ad server (a single request), or serves one from the cache
// after refilling it with a batch (reporting the served impressions first). Runs on an operation queue of
// width 1 and tells the ad view, held weakly, before it requests and when the server reports an error.
#pragma once

#include <memory>
#include <mutex>

#include "ads/selvo/cache/sv_ad_view_notifier.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_params.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

class SVAdRequestOperation : public fnd::Operation {
public:
    // `context` outlives the queue the operation runs on; the user info is copied.
    SVAdRequestOperation(SelvoContext& context, SVAdParams params, const fnd::Value& userInfo);
    static std::shared_ptr<SVAdRequestOperation> requestWithParams(SelvoContext& context, SVAdParams params,
                                                                   std::weak_ptr<SVAdViewNotifier> adView,
                                                                   const fnd::Value& userInfo);
    static std::shared_ptr<SVAdRequestOperation> batchRequestWithParams(SelvoContext& context, SVAdParams params,
                                                                        std::weak_ptr<SVAdViewNotifier> adView,
                                                                        unsigned batchSize, const fnd::Value& userInfo);

    std::string className() const override { return "SVAdRequestOperation"; }
    // makeBatchAdRequest() with a batch size, else makeAdRequest().
    void main() override;
    void makeAdRequest();
    void makeBatchAdRequest();

    // The ad found (null until then). Any thread.
    std::shared_ptr<SVAd> ad() const;
    const SVAdParams& adParams() const { return adParams_; }
    unsigned batchSize() const { return batchSize_; }
    void setBatchSize(unsigned size) { batchSize_ = size; }
    void setAdView(std::weak_ptr<SVAdViewNotifier> adView) { adView_ = std::move(adView); }
    bool isrequestCompleted() const { return requestCompleted_; }
    void setRequestCompleted(bool completed) { requestCompleted_ = completed; }

private:
    void setAd(std::shared_ptr<SVAd> ad);

    SelvoContext& context_;
    const SVAdParams adParams_;
    const fnd::Value userInfo_;
    unsigned batchSize_ = 0;
    std::weak_ptr<SVAdViewNotifier> adView_;
    bool requestCompleted_ = false;
    mutable std::mutex mutex_;
    std::shared_ptr<SVAd> ad_;
};

} // namespace zelvan::selvo
