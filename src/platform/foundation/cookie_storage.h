// The process-wide cookie jar: cookies accepted from responses under an accept policy, and the
// cookies that go with a request. Kept in memory for the process lifetime; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/cookie.h"
#include "platform/foundation/url.h"

namespace fnd {

enum class CookieAcceptPolicy {
    Always = 0,
    Never = 1,
    // Accept cookies only from responses whose host lies in the same registrable domain as the main
    // document's host.
    OnlyFromMainDocumentDomain = 2,
};

class CookieStorage {
public:
    // The most cookies kept for one domain, and in all; past either, storing a new cookie drops the
    // earliest-stored one of that domain (or of all), so no server can grow the jar without bound.
    static constexpr size_t kMaxCookiesPerDomain = 180;
    static constexpr size_t kMaxCookies = 3000;

    static CookieStorage& shared();

    CookieStorage() = default;
    CookieStorage(const CookieStorage&) = delete;
    CookieStorage& operator=(const CookieStorage&) = delete;

    // Always by default.
    CookieAcceptPolicy cookieAcceptPolicy() const;
    void setCookieAcceptPolicy(CookieAcceptPolicy policy);

    // Every unexpired cookie, in the order they were first stored.
    std::vector<Cookie> cookies() const;

    // The unexpired cookies that go with a request to `url`: the host matches (exactly for host-only
    // cookies, by domain otherwise), the path matches, and secure cookies only for https. Longer
    // paths come first, then earlier-stored cookies.
    std::vector<Cookie> cookiesForUrl(const Url& url) const;

    // Stores cookies received from `url` as the accept policy allows; a missing main document URL
    // counts as `url` itself. A cookie replaces the stored one with the same name, domain and path,
    // which keeps its place in the order; an already expired cookie deletes it instead.
    void setCookies(const std::vector<Cookie>& cookies, const Url& url, const std::optional<Url>& mainDocumentUrl);

    // Stores (or, when expired, deletes) one cookie, unless the policy is Never.
    void setCookie(const Cookie& cookie);

    // Removes the stored cookie with the same name, domain and path.
    void deleteCookie(const Cookie& cookie);

    void removeAll();

private:
    struct Entry {
        Cookie cookie;
        uint64_t created;
    };

    void storeLocked(const Cookie& cookie);
    void purgeExpiredLocked() const;

    mutable std::mutex mutex_;
    mutable std::vector<Entry> entries_;
    CookieAcceptPolicy policy_ = CookieAcceptPolicy::Always;
    uint64_t nextCreated_ = 0;
};

} // namespace fnd
