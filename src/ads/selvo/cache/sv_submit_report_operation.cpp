// The impression report: one URL per batch of the reported ads, built in the order the cache hands them.
#include "ads/selvo/cache/sv_submit_report_operation.h"

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/foundation/log_preview.h"

namespace zelvan::selvo {
namespace {

std::string nonEmptyText(const fnd::Value& info, std::string_view key) {
    auto dictionary = info.asDictionary();
    const fnd::Value* value = dictionary ? dictionary->find(key) : nullptr;
    return value != nullptr && !value->isNull() ? value->stringValue() : std::string();
}

} // namespace

SVSubmitReportOperation::SVSubmitReportOperation(SelvoContext& context, SVAd::Ads ads, const fnd::Value& userInfo)
    : context_(context), ads_(std::move(ads)), userInfo_(userInfo.deepCopy()) {}

void SVSubmitReportOperation::main() {
    if (isCancelled()) {
        return;
    }
    const std::string server = context_.adServer(false).value_or("");
    const std::string base = fnd::format("%@/%@", server, std::string("reportServeStatus?"));
    const std::string publisher = nonEmptyText(userInfo_, SVAdRequestPublisherIDKey);
    if (publisher.empty()) {
        SVLogError(&context_, "Error: publisher ID is required to submit impressions report.");
        return;
    }
    std::string prefix = base + fnd::format("pid=%@", publisher);
    const std::string site = nonEmptyText(userInfo_, SVAdRequestSiteIDKey);
    if (!site.empty()) {
        prefix += fnd::format("&sid=%@", site);
    }
    std::optional<std::string> report;
    std::optional<std::string> batch;
    for (const auto& ad : ads_) {
        if (isCancelled()) {
            return; // the report in progress is not submitted
        }
        if (!batch || *batch != ad->batchID()) {
            if (report) {
                submitRequest(*report);
            }
            batch = ad->batchID();
            report = prefix + fnd::format("&batchId=%@", ad->batchID());
        }
        *report +=
            fnd::format("&ad=%@", ad->adID()) + "%2c" + fnd::format("%d", static_cast<int>(ad->impressionsServed()));
    }
    if (report && !isCancelled()) {
        submitRequest(*report);
    }
}

void SVSubmitReportOperation::submitRequest(const std::string& url) {
    SVLog(&context_, "impressions report: %@", fnd::logPreview(url));
    std::lock_guard lock(mutex_);
    submitted_.push_back(url);
}

std::vector<std::string> SVSubmitReportOperation::submittedURLs() const {
    std::lock_guard lock(mutex_);
    return submitted_;
}

} // namespace zelvan::selvo
