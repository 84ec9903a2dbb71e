// The interstitial client's download as a front over fnd::fetch, with an fnd::Timer on the creating
// thread's run loop for its time-out. The fetch's completion holds the download until the fetch ends, so a
// delegate may drop it inside any callback. The body is gathered here from the fetch's chunks, so what
// arrived before a time-out stays readable.
#include "ads/marlin/download_connection.h"

#include <algorithm>
#include <span>

#include "ads/marlin/mn_log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url_error.h"

namespace zelvan::marlin {

namespace {

// Whether the platform refused the request before sending anything (a scheme it does not load, an address
// without a host): the download then tells its delegate nothing, as if it had never begun.
bool refusedToStart(const fnd::Error& error) {
    return error.domain() == fnd::kUrlErrorDomain &&
           (error.code() == fnd::UrlError::UnsupportedUrl || error.code() == fnd::UrlError::BadUrl);
}

} // namespace

DownloadConnection::DownloadConnection(Passkey, std::weak_ptr<DownloadConnectionDelegate> delegate, fnd::Value userData)
    : delegate_(std::move(delegate)), userData_(std::move(userData)) {}

DownloadConnection::~DownloadConnection() {
    stopTimer();
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
    if (timeout > 0) {
        std::weak_ptr<DownloadConnection> weak = weak_from_this();
        timeoutTimer_ = fnd::Timer::scheduled(timeout, fnd::Repeats::No, [weak](fnd::Timer&) {
            if (auto self = weak.lock()) {
                self->connectionDidTimeout();
            }
        });
    }
    fnd::FetchOptions options;
    options.timeout = request.timeoutInterval();
    options.maxBodyBytes = request.maxBodyBytes();
    options.cookies = request.httpShouldHandleCookies();
    options.cancel = cancel_;
    // The hooks run only while the fetch lasts, and its completion holds this download until then.
    options.onResponse = [this](const fnd::UrlResponse& response) {
        expectedDataLength_ = static_cast<uint32_t>(response.expectedContentLength());
        receivedData_ = fnd::Bytes();
    };
    options.onData = [this](std::span<const uint8_t> data) {
        fnd::append(*receivedData_, data);
        tell(&DownloadConnectionDelegate::downloadProgress);
    };
    receivedData_ = fnd::Bytes();
    fnd::fetch(std::move(request), std::move(options), weak_from_this(),
               [self = shared_from_this()](fnd::Result<fnd::FetchReply> reply) { self->loaded(std::move(reply)); });
}

void DownloadConnection::loaded(fnd::Result<fnd::FetchReply> reply) {
    if (cancel_->isCancelled()) {
        return; // the time-out ended it and has told the delegate
    }
    if (!reply && refusedToStart(reply.error())) {
        // No data, and no end but the time-out's, when there is one.
        ZLOG_TO(kMarlinLog, Warn, "Marlin: cannot download %@: %@", fnd::logPreview(url_),
                fnd::logReason(reply.error()));
        receivedData_.reset();
        return;
    }
    stopTimer();
    if (!reply) {
        ZLOG_TO(kMarlinLog, Warn, "Marlin: refused the download of %@: %@", fnd::logPreview(url_),
                fnd::logReason(reply.error()));
        tell(&DownloadConnectionDelegate::downloadFailed);
        return;
    }
    tell(&DownloadConnectionDelegate::downloadFinished);
}

void DownloadConnection::connectionDidTimeout() {
    auto keep = shared_from_this();
    timeoutTimer_.reset();
    ZLOG_TO(kMarlinLog, Warn, "Marlin: the download of %@ did not end within %g s; cancelled", fnd::logPreview(url_),
            timeout_);
    cancel_->cancel(); // no chunk follows; the fetch's own end is not passed on
    tell(&DownloadConnectionDelegate::downloadTimedOut);
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
