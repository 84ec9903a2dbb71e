// The banner client's fetcher over fnd::UrlConnection.
#include "ads/adwick/adwick_url_download.h"

#include "platform/device/device.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"

namespace zelvan::adwick {

// Hears the connection and hands each event to the download while it lives.
class AdwickURLDownload::Forwarder final : public fnd::UrlConnectionDelegate {
public:
    explicit Forwarder(std::weak_ptr<AdwickURLDownload> download) : download_(std::move(download)) {}

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>& connection,
                                      const fnd::UrlResponse& response) override {
        auto self = current(connection);
        if (!self) {
            return;
        }
        self->data_.clear();
        if (response.statusCode() > 399) {
            self->activeConnection_.reset();
            connection->cancel();
            self->fail(kErrorHttpStatus,
                       fnd::format("the server answered HTTP %lld", static_cast<long long>(response.statusCode())));
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>& connection,
                                  const fnd::Bytes& data) override {
        if (auto self = current(connection)) {
            fnd::append(self->data_, data);
        }
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>& connection) override {
        if (auto self = current(connection)) {
            self->activeConnection_.reset();
            self->deliver(self->successSelector_);
        }
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>& connection,
                                    const fnd::Error& error) override {
        if (auto self = current(connection)) {
            self->activeConnection_.reset();
            self->fail(kErrorConnection, fnd::logReason(error));
        }
    }

private:
    // The download, when this connection is still its active one.
    std::shared_ptr<AdwickURLDownload> current(const std::shared_ptr<fnd::UrlConnection>& connection) const {
        auto self = download_.lock();
        return self && self->activeConnection_ == connection ? self : nullptr;
    }
    std::weak_ptr<AdwickURLDownload> download_;
};

std::shared_ptr<AdwickURLDownload> AdwickURLDownload::create(AdwickDownloadSettings settings) {
    return std::shared_ptr<AdwickURLDownload>(new AdwickURLDownload(std::move(settings)));
}

AdwickURLDownload::~AdwickURLDownload() {
    if (activeConnection_) {
        activeConnection_->cancel();
    }
}

void AdwickURLDownload::setDelegate(std::weak_ptr<void> delegate) {
    delegate_ = std::move(delegate);
    hasDelegate_ = true;
}

std::string AdwickURLDownload::buildUserAgent(const std::optional<std::string>& locale) {
    device::Device& device = device::Device::current();
    return fnd::format(
        "Mozilla/5.0 (%@; U; CPU %@ %@ like Mac OS X; HW %@; %@) AppleWebKit/525.18.1 (KHTML, like Gecko) "
        "(Adwick-iSDK-%@)",
        device.model(), device.systemName(), fnd::replaceOccurrences(device.systemVersion(), ".", "_"),
        device.machine(), locale ? fnd::lowercase(*locale) : std::string("(null)"), std::string(kVersion));
}

void AdwickURLDownload::loadContentsOfURLAtString(std::string_view url, std::optional<fnd::Bytes> postBody) {
    auto keep = shared_from_this(); // a callback sent from here may release the last other hold
    targetURL_ = fnd::trim(url, fnd::CharSet::WhitespaceAndNewline);
    if (activeConnection_) {
        activeConnection_->cancel();
        activeConnection_.reset();
    }
    error_.reset();
    auto parsed = fnd::Url::parse(targetURL_);
    bool web = parsed && (parsed->scheme() == "http" || parsed->scheme() == "https");
    if (!web) {
        // Without an ad host every address is relative; the client said so once, at start.
        fail(kErrorNoConnection, settings_.adHostConfigured ? "not a web URL" : std::string());
        return;
    }
    fnd::UrlRequest request(*parsed, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kTimeoutSeconds);
    request.setValue(settings_.userAgent.empty() ? buildUserAgent(std::nullopt) : settings_.userAgent, "USER-AGENT");
    std::string isu = device::Device::current().uniqueIdentifier();
    if (!isu.empty()) {
        request.setValue(isu, "X-ADWICK-ISU");
    }
    if (postBody) {
        request.setHttpMethod("POST");
        request.setHttpBody(std::move(*postBody));
    }
    request.setMaxBodyBytes(maxBodyBytes_);
    auto forwarder = std::make_shared<Forwarder>(weak_from_this());
    auto created = fnd::UrlConnection::create(std::move(request), forwarder, fnd::StartImmediately::No);
    if (!created) {
        fail(kErrorNoConnection, fnd::logReason(created.error()));
        return;
    }
    activeConnection_ = *created;
    data_.clear();
    activeConnection_->start();
}

void AdwickURLDownload::cancel() {
    if (activeConnection_) {
        activeConnection_->cancel();
        activeConnection_.reset();
    }
    data_.clear();
    delegate_.reset();
    hasDelegate_ = false;
    successSelector_ = nullptr;
    failureSelector_ = nullptr;
}

void AdwickURLDownload::fail(int code, const std::string& why) {
    // Every download of the network that brings nothing ends here, so this is its one line for it.
    if (!why.empty()) {
        // Named without its query, which carries the device's identity.
        ZLOG(Warn, "adwick: refused the download of %@: %@",
             fnd::logPreview(std::string_view(targetURL_).substr(0, targetURL_.find('?'))), why);
    }
    error_ = fnd::Error(std::string(kErrorDomain), code);
    deliver(failureSelector_);
}

void AdwickURLDownload::deliver(const Selector& selector) {
    auto keep = shared_from_this();
    if (!selector || (hasDelegate_ && delegate_.expired())) {
        return;
    }
    Selector call = selector; // the callback may replace or cancel ours
    call(*this);
}

std::string AdwickURLDownload::description() const {
    return fnd::format("<AdwickURLDownload %p identifier:%@ url:%@>", static_cast<const void*>(this), identifier_,
                       targetURL_);
}

} // namespace zelvan::adwick
