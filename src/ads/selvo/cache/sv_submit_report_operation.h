// SVSubmitReportOperation: turns the cache's list of reported ads into one impression report URL per
// batch ("reportServeStatus?" on the single-ad server with the publisher and site ids, the batch id and
// each ad's served count). The submission step sends nothing; the URLs it was handed stay readable.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "ads/selvo/sv_ad.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

class SVSubmitReportOperation : public fnd::Operation {
public:
    // `context` outlives the operation's queue; the ads and user info are copied.
    SVSubmitReportOperation(SelvoContext& context, SVAd::Ads ads, const fnd::Value& userInfo);
    static std::shared_ptr<SVSubmitReportOperation> operationWithAds(SelvoContext& context, SVAd::Ads ads,
                                                                     const fnd::Value& userInfo) {
        return std::make_shared<SVSubmitReportOperation>(context, std::move(ads), userInfo);
    }

    std::string className() const override { return "SVSubmitReportOperation"; }
    void main() override;
    // The submission step: no report leaves the device; the URL is only kept in submittedURLs().
    void submitRequest(const std::string& url);

    const SVAd::Ads& ads() const { return ads_; }
    std::vector<std::string> submittedURLs() const;

private:
    SelvoContext& context_;
    const SVAd::Ads ads_;
    const fnd::Value userInfo_;
    mutable std::mutex mutex_;
    std::vector<std::string> submitted_;
};

} // namespace zelvan::selvo
