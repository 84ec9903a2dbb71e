// Following and cleaning app-store links.
#include "ads/adwick/adwick_itunes_url_cleaner.h"

#include <algorithm>
#include <utility>

#include "platform/foundation/fetch.h"
#include "platform/ui/application.h"

namespace zelvan::adwick {

namespace {

bool isStoreHost(std::string_view host) {
    const auto& hosts = AdwickITunesURLCleaner::kStoreHosts;
    return std::find(hosts.begin(), hosts.end(), host) != hosts.end();
}

bool isWebScheme(std::string_view scheme) {
    return scheme == "http" || scheme == "https";
}

} // namespace

bool AdwickITunesURLCleaner::isITunesURL(const fnd::Url& url) {
    return isStoreHost(url.host()) || url.host() == kAffiliateHost || url.scheme() == "itms";
}

bool AdwickITunesURLCleaner::iTunesURLMightHaveRedirects(const fnd::Url& url) {
    return !isStoreHost(url.host());
}

fnd::Url AdwickITunesURLCleaner::cleanITunesURLWithURL(const fnd::Url& url) {
    // A path that does not begin with '/' (an opaque "itms:x" link) would otherwise run into the host.
    const std::string& path = url.path();
    std::string text = "http://" + std::string(kStoreMediaHost) + (path.starts_with('/') ? "" : "/") + path;
    if (!url.query().empty()) {
        text += "?" + url.query();
    }
    return fnd::Url::parse(text).value_or(url);
}

std::shared_ptr<AdwickITunesURLCleaner>
AdwickITunesURLCleaner::initWithURL(const fnd::Url& url, std::weak_ptr<AdwickITunesURLCleanerDelegate> delegate) {
    std::shared_ptr<AdwickITunesURLCleaner> cleaner(new AdwickITunesURLCleaner(url, std::move(delegate)));
    cleaner->start();
    return cleaner;
}

AdwickITunesURLCleaner::AdwickITunesURLCleaner(fnd::Url url, std::weak_ptr<AdwickITunesURLCleanerDelegate> delegate)
    : userProvidedURL_(std::move(url)), delegate_(std::move(delegate)) {}

AdwickITunesURLCleaner::~AdwickITunesURLCleaner() {
    cancel();
}

void AdwickITunesURLCleaner::start() {
    if (!iTunesURLMightHaveRedirects(userProvidedURL_)) {
        ui::Application::shared().openURL(cleanITunesURLWithURL(userProvidedURL_).absoluteString());
        return;
    }
    if (!isWebScheme(userProvidedURL_.scheme())) {
        finish(userProvidedURL_);
        return;
    }
    fnd::FetchOptions options;
    options.cancel = resolving_ = std::make_shared<fnd::UrlCancelToken>();
    fnd::resolveFinalAddress(fnd::UrlRequest(userProvidedURL_), std::move(options), weak_from_this(),
                             [this, resolving = resolving_](fnd::Result<fnd::Url> last) {
                                 if (resolving != resolving_) {
                                     return; // cancelled
                                 }
                                 resolving_.reset();
                                 finish(last ? cleanITunesURLWithURL(*last) : userProvidedURL_);
                             });
}

void AdwickITunesURLCleaner::finish(const fnd::Url& url) {
    if (auto delegate = delegate_.lock()) {
        delegate->cleanerDidGenerateURL(*this, url);
    }
}

void AdwickITunesURLCleaner::cancel() {
    if (auto resolving = std::exchange(resolving_, nullptr)) {
        resolving->cancel();
    }
}

} // namespace zelvan::adwick
