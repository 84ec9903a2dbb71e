// ReportSender: how the session report reaches the analytics data server - one HTTP exchange (method, URL,
// body, header fields, time-out) whose end hands over the status and the body of the reply.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/url_connection.h"

namespace zelvan::tallio {

struct ReportReply {
    int status = 0;
    fnd::Bytes body;
};

class ReportSender {
public:
    using Completion = std::function<void(fnd::Result<ReportReply>)>;

    virtual ~ReportSender() = default;
    // Calls `done` once, on the calling thread's run loop and never inside this call, within about
    // `timeoutSeconds`: with the reply (any status), or with why none came (refused, timed out,
    // unreadable, cancelled). A sender that goes first releases `done` uncalled.
    virtual void send(const std::string& method, const std::string& url, const fnd::Bytes& body,
                      const std::map<std::string, std::string>& headers, double timeoutSeconds, Completion done) = 0;
    // The client is ending: an exchange under way, and every later one, ends at once with no reply. Any
    // thread. A sender that cannot stop an exchange does nothing.
    virtual void cancel() {}
};

// The sender over the analytics client's HTTP exchange (TallioHTTPEater): the time-out is rounded up to
// whole seconds; an answer of any status is a reply. Held by a shared pointer.
class UrlReportSender final : public ReportSender, public std::enable_shared_from_this<UrlReportSender> {
public:
    void send(const std::string& method, const std::string& url, const fnd::Bytes& body,
              const std::map<std::string, std::string>& headers, double timeoutSeconds, Completion done) override;
    void cancel() override { cancel_->cancel(); }

private:
    const std::shared_ptr<fnd::UrlCancelToken> cancel_ = std::make_shared<fnd::UrlCancelToken>();
};

} // namespace zelvan::tallio
