// AdwickITunesURLCleaner: turns an app-store link into one that opens the store directly. A link on a
// store host is cleaned at once and opened; any other (an affiliate click link) is followed through its
// redirects first (fnd::resolveFinalAddress) and the cleaned form of the last address goes to the
// delegate. A redirect to a non-web scheme ends the chain: its Location is the last address. A chain
// that cannot be followed, or ends in an HTTP error, hands the delegate the link as given.
#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "platform/foundation/url.h"

namespace fnd {
class UrlCancelToken;
}

namespace zelvan::adwick {

class AdwickITunesURLCleaner;

class AdwickITunesURLCleanerDelegate {
public:
    virtual ~AdwickITunesURLCleanerDelegate() = default;
    virtual void cleanerDidGenerateURL(AdwickITunesURLCleaner& cleaner, const fnd::Url& url) = 0;
};

class AdwickITunesURLCleaner : public std::enable_shared_from_this<AdwickITunesURLCleaner> {
public:
    // The store's web hosts (main and media, and the "ax." variant of each) and the affiliate click host.
    static constexpr std::string_view kStoreHost = "store.test";
    static constexpr std::string_view kStoreMediaHost = "media.store.test";
    static constexpr std::array<std::string_view, 4> kStoreHosts = {"store.test", "media.store.test", "ax.store.test",
                                                                    "ax.media.store.test"};
    static constexpr std::string_view kAffiliateHost = "localhost";

    static bool isITunesURL(const fnd::Url& url);
    static bool iTunesURLMightHaveRedirects(const fnd::Url& url);
    // "http://" + the media host + the URL's path, and "?" + its query when it has one.
    static fnd::Url cleanITunesURLWithURL(const fnd::Url& url);

    // Starts following redirects, or opens the cleaned URL at once (no delegate call).
    static std::shared_ptr<AdwickITunesURLCleaner> initWithURL(const fnd::Url& url,
                                                               std::weak_ptr<AdwickITunesURLCleanerDelegate> delegate);
    ~AdwickITunesURLCleaner();
    void cancel();
    const fnd::Url& userProvidedURL() const { return userProvidedURL_; }

private:
    AdwickITunesURLCleaner(fnd::Url url, std::weak_ptr<AdwickITunesURLCleanerDelegate> delegate);
    void start();
    void finish(const fnd::Url& url);

    fnd::Url userProvidedURL_;
    // The redirects' resolution in flight; null when none is.
    std::shared_ptr<fnd::UrlCancelToken> resolving_;
    std::weak_ptr<AdwickITunesURLCleanerDelegate> delegate_;
};

} // namespace zelvan::adwick
