// The interstitial client's download over fnd::UrlConnection and an fnd::Timer on the creating thread's
// run loop. The running connection holds the download (through its forwarder) until it ends, and every
// callback holds it again, so a delegate may drop it anywhere.
#include "ads/marlin/download_connection.h"

#include <algorithm>

#include "ads/marlin/mn_log.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url_connection.h"

namespace zelvan::marlin {

// Hears the connection and hands each event to the download.
class DownloadConnection::Forwarder final : public fnd::UrlConnectionDelegate {
public:
    explicit Forwarder(std::shared_ptr<DownloadConnection> download) : download_(std::move(download)) {}

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>& connection,
                                      const fnd::UrlResponse& response) override {
        if (auto self = current(connection)) {
            self->expectedDataLength_ = static_cast<uint32_t>(response.expectedContentLength());
            self->receivedData_ = fnd::Bytes();
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>& connection,
                                  const fnd::Bytes& data) override {
        if (auto self = current(connection)) {
            if (!self->receivedData_) {
                self->receivedData_ = fnd::Bytes();
            }
            fnd::append(*self->receivedData_, data);
            self->tell(&DownloadConnectionDelegate::downloadProgress);
        }
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>& connection) override {
        if (auto self = current(connection)) {
            self->stopTimer();
            self->tell(&DownloadConnectionDelegate::downloadFinished);
            self->connection_.reset();
        }
        download_.reset();
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>& connection,
                                    const fnd::Error& error) override {
        if (auto self = current(connection)) {
            ZLOG_TO(kMarlinLog, Warn, "Marlin: refused the download of %@: %@", fnd::logPreview(self->url_),
                    fnd::logReason(error));
            self->stopTimer();
            self->tell(&DownloadConnectionDelegate::downloadFailed);
            self->connection_.reset();
        }
        download_.reset();
    }

private:
    std::shared_ptr<DownloadConnection> current(const std::shared_ptr<fnd::UrlConnection>& connection) const {
        return download_ && download_->connection_ == connection ? download_ : nullptr;
    }
    std::shared_ptr<DownloadConnection> download_;
};

DownloadConnection::DownloadConnection(Passkey, std::weak_ptr<DownloadConnectionDelegate> delegate, fnd::Value userData)
    : delegate_(std::move(delegate)), userData_(std::move(userData)) {}

DownloadConnection::~DownloadConnection() {
    stopTimer();
    if (connection_) {
        connection_->cancel();
    }
}

std::shared_ptr<DownloadConnection>
DownloadConnection::connectionWithURLRequest(fnd::UrlRequest request,
                                             std::weak_ptr<DownloadConnectionDelegate> delegate, fnd::Value userData) {
    return timedConnectionWithURLRequest(std::move(request), std::move(delegate), std::move(userData), -1.0);
}

std::shared_ptr<DownloadConnection> DownloadConnection::timedConnectionWithURLRequest(
    fnd::UrlRequest request, std::weak_ptr<DownloadConnectionDelegate> delegate, fnd::Value userData, double timeout) {
    auto download = std::make_shared<DownloadConnection>(Passkey(), std::move(delegate), std::move(userData));
    download->start(std::move(request), timeout);
    return download;
}

void DownloadConnection::start(fnd::UrlRequest request, double timeout) {
    // Logged without its query, which carries the device's identity.
    url_ = request.url().absoluteString();
    url_.resize(std::min(url_.size(), url_.find('?')));
    timeout_ = timeout;
    auto forwarder = std::make_shared<Forwarder>(shared_from_this());
    auto created = fnd::UrlConnection::create(std::move(request), forwarder, fnd::StartImmediately::No);
    if (created) {
        connection_ = *created;
    } else {
        ZLOG_TO(kMarlinLog, Warn, "Marlin: cannot download %@: %@", fnd::logPreview(url_),
                fnd::logReason(created.error()));
    }
    if (timeout > 0) {
        std::weak_ptr<DownloadConnection> weak = weak_from_this();
        std::weak_ptr<fnd::UrlConnection> weakConnection = connection_;
        timeoutTimer_ = fnd::Timer::scheduled(timeout, fnd::Repeats::No, [weak, weakConnection](fnd::Timer&) {
            if (auto self = weak.lock()) {
                self->connectionDidTimeout(weakConnection.lock());
            }
        });
    }
    if (!connection_) {
        return;
    }
    receivedData_ = fnd::Bytes();
    connection_->start();
}

void DownloadConnection::connectionDidTimeout(const std::shared_ptr<fnd::UrlConnection>& connection) {
    auto keep = shared_from_this();
    timeoutTimer_.reset();
    ZLOG_TO(kMarlinLog, Warn, "Marlin: the download of %@ did not end within %g s; cancelled", fnd::logPreview(url_),
            timeout_);
    if (connection) {
        connection->cancel(); // drops the forwarder, and with it the forwarder's hold on this download
    }
    tell(&DownloadConnectionDelegate::downloadTimedOut);
    connection_.reset();
}

void DownloadConnection::stopTimer() {
    if (timeoutTimer_) {
        timeoutTimer_->invalidate();
        timeoutTimer_.reset();
    }
}

void DownloadConnection::tell(void (DownloadConnectionDelegate::*method)(DownloadConnection&)) {
    auto keep = shared_from_this();
    if (auto delegate = delegate_.lock()) {
        ((*delegate).*method)(*this);
    }
}

} // namespace zelvan::marlin
