// The banner client's fetcher over fnd::fetch.
#include "ads/adwick/adwick_url_download.h"

#include "ads/adwick/adwick_log.h"
#include "platform/device/device.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickURLDownload> AdwickURLDownload::create(AdwickDownloadSettings settings) {
    return std::shared_ptr<AdwickURLDownload>(new AdwickURLDownload(std::move(settings)));
}

AdwickURLDownload::~AdwickURLDownload() {
    stopLoad();
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
    stopLoad();
    error_.reset();
    auto parsed = fnd::Url::parse(targetURL_);
    bool web = parsed && (parsed->scheme() == "http" || parsed->scheme() == "https");
    if (!web) {
        // Without an ad host every address is relative; the client said so once, at start.
        fail(kErrorNoConnection, settings_.adHostConfigured ? "not a web URL" : std::string());
        return;
    }
    fnd::UrlRequest request(*parsed);
    request.setValue(settings_.userAgent.empty() ? buildUserAgent(std::nullopt) : settings_.userAgent, "USER-AGENT");
    std::string isu = device::Device::current().uniqueIdentifier();
    if (!isu.empty()) {
        request.setValue(isu, "X-ADWICK-ISU");
    }
    if (postBody) {
        request.setHttpMethod("POST");
        request.setHttpBody(std::move(*postBody));
    }
    fnd::FetchOptions options;
    options.timeout = kTimeoutSeconds;
    options.maxBodyBytes = maxBodyBytes_;
    options.cancel = activeLoad_ = std::make_shared<fnd::UrlCancelToken>();
    data_.clear();
    fnd::fetch(std::move(request), std::move(options), weak_from_this(),
               [this, load = activeLoad_](fnd::Result<fnd::FetchReply> reply) {
                   if (load == activeLoad_) { // not stopped or replaced since
                       activeLoad_.reset();
                       didLoad(std::move(reply));
                   }
               });
}

void AdwickURLDownload::didLoad(fnd::Result<fnd::FetchReply> reply) {
    if (!reply) {
        const fnd::Error& error = reply.error();
        const bool unloadable =
            error.domain() == fnd::kUrlErrorDomain &&
            (error.code() == fnd::UrlError::BadUrl || error.code() == fnd::UrlError::UnsupportedUrl);
        fail(unloadable ? kErrorNoConnection : kErrorConnection, fnd::logReason(error));
        return;
    }
    const int64_t status = reply->response.statusCode();
    if (status > 399) {
        fail(kErrorHttpStatus, fnd::format("the server answered HTTP %lld", static_cast<long long>(status)));
        return;
    }
    data_ = std::move(reply->body);
    deliver(successSelector_);
}

void AdwickURLDownload::stopLoad() {
    if (auto load = std::exchange(activeLoad_, nullptr)) {
        load->cancel();
    }
}

void AdwickURLDownload::cancel() {
    stopLoad();
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
        ZLOG_TO(kAdwickLog, Warn, "adwick: refused the download of %@: %@",
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
