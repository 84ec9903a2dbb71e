// Following and cleaning app-store links.
#include "ads/adwick/adwick_itunes_url_cleaner.h"

#include <algorithm>

#include "platform/foundation/url_connection.h"
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

// Records each hop of the chain for the cleaner while it lives.
class AdwickITunesURLCleaner::Follower final : public fnd::UrlConnectionDelegate {
public:
    explicit Follower(std::weak_ptr<AdwickITunesURLCleaner> cleaner) : cleaner_(std::move(cleaner)) {}

    std::optional<fnd::UrlRequest> connectionWillSendRequest(const std::shared_ptr<fnd::UrlConnection>&,
                                                             const fnd::UrlRequest& request,
                                                             const std::optional<fnd::UrlResponse>&) override {
        if (auto self = cleaner_.lock()) {
            self->redirectFreeITunesURL_ = request.url();
        }
        return request;
    }
    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                      const fnd::UrlResponse& response) override {
        auto self = cleaner_.lock();
        if (!self || response.statusCode() < 300 || response.statusCode() > 399) {
            return;
        }
        // A redirect the loader did not follow (to a scheme it does not load): its target is the last hop.
        if (auto location = response.allHeaderFields().value("Location")) {
            auto base = self->redirectFreeITunesURL_.value_or(self->userProvidedURL_);
            if (auto target = fnd::Url::resolve(base, *location)) {
                self->redirectFreeITunesURL_ = *target;
            }
        }
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override {
        if (auto self = cleaner_.lock()) {
            auto keep = self;
            self->connection_.reset();
            self->finish(cleanITunesURLWithURL(self->redirectFreeITunesURL_.value_or(self->userProvidedURL_)));
        }
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error&) override {
        if (auto self = cleaner_.lock()) {
            auto keep = self;
            self->connection_.reset();
            self->finish(self->userProvidedURL_);
        }
    }

private:
    std::weak_ptr<AdwickITunesURLCleaner> cleaner_;
};

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
    auto created = fnd::UrlConnection::create(fnd::UrlRequest(userProvidedURL_),
                                              std::make_shared<Follower>(weak_from_this()), fnd::StartImmediately::No);
    if (!created) {
        finish(userProvidedURL_);
        return;
    }
    connection_ = *created;
    connection_->start();
}

void AdwickITunesURLCleaner::finish(const fnd::Url& url) {
    if (auto delegate = delegate_.lock()) {
        delegate->cleanerDidGenerateURL(*this, url);
    }
}

void AdwickITunesURLCleaner::cancel() {
    if (connection_) {
        connection_->cancel();
        connection_.reset();
    }
}

} // namespace zelvan::adwick
