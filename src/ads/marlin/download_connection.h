// DownloadConnection: the interstitial client's one-shot in-memory URL download. It starts at once,
// keeps the body after the last response, may be cut off by a time-out, and tells its delegate of
// progress and of exactly one end: finished, failed or timed out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/value.h"

namespace fnd {
class Timer;
} // namespace fnd

namespace zelvan::marlin {

class DownloadConnection;

// Every method is optional. The delegate may drop its download inside any of them.
class DownloadConnectionDelegate {
public:
    virtual ~DownloadConnectionDelegate() = default;
    virtual void downloadProgress(DownloadConnection& download) { (void)download; }
    virtual void downloadFinished(DownloadConnection& download) { (void)download; }
    virtual void downloadFailed(DownloadConnection& download) { (void)download; }
    virtual void downloadTimedOut(DownloadConnection& download) { (void)download; }
};

class DownloadConnection : public std::enable_shared_from_this<DownloadConnection> {
public:
    struct Passkey {
    private:
        friend class DownloadConnection;
        Passkey() = default;
    };

    // A download without a time-out.
    static std::shared_ptr<DownloadConnection>
    connectionWithURLRequest(fnd::UrlRequest request, std::weak_ptr<DownloadConnectionDelegate> delegate,
                             fnd::Value userData);
    // A download cancelled after `timeout` seconds when it has not ended by then (none when not above 0).
    static std::shared_ptr<DownloadConnection>
    timedConnectionWithURLRequest(fnd::UrlRequest request, std::weak_ptr<DownloadConnectionDelegate> delegate,
                                  fnd::Value userData, double timeout);

    DownloadConnection(Passkey, std::weak_ptr<DownloadConnectionDelegate> delegate, fnd::Value userData);
    ~DownloadConnection();
    DownloadConnection(const DownloadConnection&) = delete;
    DownloadConnection& operator=(const DownloadConnection&) = delete;

    // The body since the last response; none when the request could not be started.
    const std::optional<fnd::Bytes>& receivedData() const { return receivedData_; }
    // The response's expected length cut to 32 bits (an unknown length reads 4294967295).
    uint32_t expectedDataLength() const { return expectedDataLength_; }
    const fnd::Value& userData() const { return userData_; }
    void setUserData(fnd::Value userData) { userData_ = std::move(userData); }

private:
    void start(fnd::UrlRequest request, double timeout);
    void loaded(fnd::Result<fnd::FetchReply> reply);
    void connectionDidTimeout();
    void stopTimer();
    // Calls `method` on the delegate while it lives, holding this download for the call.
    void tell(void (DownloadConnectionDelegate::*method)(DownloadConnection&));

    std::weak_ptr<DownloadConnectionDelegate> delegate_;
    uint32_t expectedDataLength_ = 0;
    std::optional<fnd::Bytes> receivedData_;
    std::shared_ptr<fnd::Timer> timeoutTimer_;
    fnd::Value userData_;
    // Cancelled by the time-out alone.
    const std::shared_ptr<fnd::UrlCancelToken> cancel_ = std::make_shared<fnd::UrlCancelToken>();
    std::string url_;     // without its query, for the log line of a failure
    double timeout_ = -1; // seconds, when above 0
};

} // namespace zelvan::marlin
