// The report sender over the analytics client's HTTP exchange.
#include "analytics/tallio/report_sender.h"

#include <cmath>

#include "analytics/tallio/tallio_http.h"
#include "analytics/tallio/tallio_log.h"

namespace zelvan::tallio {

void UrlReportSender::send(const std::string& method, const std::string& url, const fnd::Bytes& body,
                           const std::map<std::string, std::string>& headers, double timeoutSeconds, Completion done) {
    const int seconds = timeoutSeconds >= 1 ? static_cast<int>(std::ceil(timeoutSeconds)) : 1;
    TallioHTTPEater::sendMethod(
        method, fnd::Url::parse(url), body, headers, seconds, cancel_, weak_from_this(),
        [done = std::move(done)](TallioHTTPResponse response) {
            if (!response.body()) {
                ZLOG_TO(kTallioLog, Info, "tallio: report exchange failed: %s", response.description());
                done(*response.error());
                return;
            }
            if (response.isError()) {
                ZLOG_TO(kTallioLog, Info, "tallio: report answered with %s", response.description());
            }
            done(ReportReply{response.statusCode(), *response.body()});
        });
}

} // namespace zelvan::tallio
