// The report sender over the platform's synchronous URL loading.
#include "analytics/tallio/report_sender.h"

#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_request.h"

namespace zelvan::tallio {

std::optional<ReportReply> UrlReportSender::send(const std::string& method, const std::string& url,
                                                 const fnd::Bytes& body,
                                                 const std::map<std::string, std::string>& headers,
                                                 double timeoutSeconds) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        return std::nullopt;
    }
    fnd::UrlRequest request(*parsed, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, timeoutSeconds);
    request.setHttpMethod(method);
    request.setHttpBody(body);
    for (const auto& [field, value] : headers) {
        request.setValue(value, field);
    }
    auto result = fnd::UrlConnection::sendSynchronousRequest(request);
    if (!result.ok()) {
        return std::nullopt;
    }
    return ReportReply{static_cast<int>(result.value().response.statusCode()), std::move(result.value().data)};
}

} // namespace zelvan::tallio
