// The analytics client's line in the demo's summary: how the last session report was answered.
#include "app/demo/tallio_summary.h"

#include "analytics/tallio/tallio_context.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/format.h"

namespace zelvan::app {

std::string tallioSummary(zelvanAppDelegate& delegate) {
    auto context = delegate.tallio();
    if (!context) {
        return "analytics report: none\n";
    }
    auto report = context->lastReport();
    if (!report) {
        return "analytics report: not answered yet\n";
    }
    const std::string status = report->status != 0 ? fnd::format("status %d", report->status) : "no reply";
    return fnd::format("analytics report (%s): %s, %d session(s)\n", report->closeMode ? "on close" : "at start",
                       status, report->sessions);
}

} // namespace zelvan::app
