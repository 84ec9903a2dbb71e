// ReportSender: how the session report reaches the analytics data server - one blocking HTTP exchange
// (method, URL, body, header fields, time-out) giving the status and the body of the reply.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/url_connection.h"

namespace zelvan::tallio {

struct ReportReply {
    int status = 0;
    fnd::Bytes body;
};

class ReportSender {
public:
    virtual ~ReportSender() = default;
    // Blocks the calling thread for at most `timeoutSeconds`; nullopt when no reply came (refused,
    // timed out, unreadable).
    virtual std::optional<ReportReply> send(const std::string& method, const std::string& url, const fnd::Bytes& body,
                                            const std::map<std::string, std::string>& headers,
                                            double timeoutSeconds) = 0;
    // The client is ending: an exchange under way, and every later one, ends at once with no reply. Any
    // thread. A sender that cannot stop an exchange does nothing.
    virtual void cancel() {}
};

// The sender over the analytics client's blocking HTTP exchange (TallioHTTPEater): the time-out is
// rounded up to whole seconds; an answer of any status is a reply, no answer at all is nullopt.
class UrlReportSender final : public ReportSender {
public:
    std::optional<ReportReply> send(const std::string& method, const std::string& url, const fnd::Bytes& body,
                                    const std::map<std::string, std::string>& headers, double timeoutSeconds) override;
    void cancel() override { cancel_.cancel(); }

private:
    fnd::UrlCancelToken cancel_;
};

} // namespace zelvan::tallio
