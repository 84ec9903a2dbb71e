// The in-memory cookie jar behind CookieStorage::shared(). Expiry is judged against Clock::now(),
// so tests move cookies past their expiry with the manual clock.
#include "platform/foundation/cookie_storage.h"

#include <algorithm>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/string_ops.h"

namespace fnd {
namespace {

bool sameKey(const Cookie& a, const Cookie& b) {
    return a.name == b.name && a.domain == b.domain && a.path == b.path;
}

} // namespace

CookieStorage& CookieStorage::shared() {
    static CookieStorage storage;
    return storage;
}

CookieAcceptPolicy CookieStorage::cookieAcceptPolicy() const {
    std::lock_guard lock(mutex_);
    return policy_;
}

void CookieStorage::setCookieAcceptPolicy(CookieAcceptPolicy policy) {
    std::lock_guard lock(mutex_);
    policy_ = policy;
}

std::vector<Cookie> CookieStorage::cookies() const {
    std::lock_guard lock(mutex_);
    purgeExpiredLocked();
    std::vector<Cookie> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) {
        out.push_back(e.cookie);
    }
    return out;
}

std::vector<Cookie> CookieStorage::cookiesForUrl(const Url& url) const {
    std::string host = lowerAscii(url.host());
    bool secureRequest = url.scheme() == "https";
    std::vector<const Entry*> matches;
    std::lock_guard lock(mutex_);
    purgeExpiredLocked();
    for (const Entry& e : entries_) {
        if (!host.empty() && e.cookie.matchesHost(host) && e.cookie.matchesPath(url.path()) &&
            (!e.cookie.secure || secureRequest)) {
            matches.push_back(&e);
        }
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Entry* a, const Entry* b) {
        if (a->cookie.path.size() != b->cookie.path.size()) {
            return a->cookie.path.size() > b->cookie.path.size();
        }
        return a->created < b->created;
    });
    std::vector<Cookie> out;
    out.reserve(matches.size());
    for (const Entry* e : matches) {
        out.push_back(e->cookie);
    }
    return out;
}

void CookieStorage::setCookies(const std::vector<Cookie>& cookies, const Url& url,
                               const std::optional<Url>& mainDocumentUrl) {
    std::lock_guard lock(mutex_);
    if (policy_ == CookieAcceptPolicy::Never) {
        return;
    }
    if (policy_ == CookieAcceptPolicy::OnlyFromMainDocumentDomain && mainDocumentUrl &&
        registrableDomain(url.host()) != registrableDomain(mainDocumentUrl->host())) {
        if (!cookies.empty()) {
            ZLOG(Warn, "CookieStorage: refused %d cookie(s) from %s outside the main document's domain %s",
                 static_cast<int>(cookies.size()), logPreview(url.host()), logPreview(mainDocumentUrl->host()));
        }
        return;
    }
    for (const Cookie& cookie : cookies) {
        storeLocked(cookie);
    }
}

void CookieStorage::setCookie(const Cookie& cookie) {
    std::lock_guard lock(mutex_);
    if (policy_ != CookieAcceptPolicy::Never) {
        storeLocked(cookie);
    }
}

void CookieStorage::deleteCookie(const Cookie& cookie) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const Entry& e) { return sameKey(e.cookie, cookie); });
}

void CookieStorage::removeAll() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void CookieStorage::storeLocked(const Cookie& cookie) {
    auto existing =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return sameKey(e.cookie, cookie); });
    if (cookie.isExpired(Clock::now())) {
        if (existing != entries_.end()) {
            entries_.erase(existing);
        }
        return;
    }
    if (existing != entries_.end()) {
        existing->cookie = cookie;
        return;
    }
    // Entries stay in the order they were first stored, so the first match is the earliest.
    auto sameDomain = [&](const Entry& e) { return e.cookie.domain == cookie.domain; };
    if (static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), sameDomain)) >= kMaxCookiesPerDomain) {
        entries_.erase(std::find_if(entries_.begin(), entries_.end(), sameDomain));
    } else if (entries_.size() >= kMaxCookies) {
        entries_.erase(entries_.begin());
    }
    entries_.push_back(Entry{cookie, nextCreated_++});
}

void CookieStorage::purgeExpiredLocked() const {
    Date now = Clock::now();
    std::erase_if(entries_, [&](const Entry& e) { return e.cookie.isExpired(now); });
}

} // namespace fnd
