// The report sender over the analytics client's blocking HTTP exchange.
#include "analytics/tallio/report_sender.h"

#include <cmath>

#include "analytics/tallio/tallio_http.h"
#include "analytics/tallio/tallio_log.h"

namespace zelvan::tallio {

std::optional<ReportReply> UrlReportSender::send(const std::string& method, const std::string& url,
                                                 const fnd::Bytes& body,
                                                 const std::map<std::string, std::string>& headers,
                                                 double timeoutSeconds) {
    const int seconds = timeoutSeconds >= 1 ? static_cast<int>(std::ceil(timeoutSeconds)) : 1;
    auto response = TallioHTTPEater::sendMethod(method, fnd::Url::parse(url), body, headers, seconds, &cancel_);
    if (!response.body()) {
        ZLOG_TO(kTallioLog, Info, "tallio: report exchange failed: %s", response.description());
        return std::nullopt;
    }
    if (response.isError()) {
        ZLOG_TO(kTallioLog, Info, "tallio: report answered with %s", response.description());
    }
    return ReportReply{response.statusCode(), *response.body()};
}

} // namespace zelvan::tallio
