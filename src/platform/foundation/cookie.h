// HTTP cookies: one stored cookie, the parser that turns Set-Cookie response fields into cookies
// (our own subset of RFC 6265), and the Cookie request field built from a list of cookies.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"

namespace fnd {

struct Cookie {
    static constexpr size_t kMaxNameValueBytes = 4096;

    std::string name{};
    std::string value{};
    // Lower case, without a leading dot. With hostOnly the cookie goes to exactly this host; without
    // it, to this domain and its subdomains.
    std::string domain{};
    std::string path = "/";
    // nullopt for a session cookie (kept for the process lifetime).
    std::optional<Date> expires{};
    bool secure = false;
    bool httpOnly = false;
    bool hostOnly = true;

    bool isSessionOnly() const { return !expires.has_value(); }
    // Whether the cookie has expired at `now` (expiry at or before now).
    bool isExpired(Date now) const { return expires && *expires <= now; }
    // Whether the cookie goes with a request to `host` (lower case) and `path` (RFC 6265 5.1.3 and
    // 5.1.4; an empty request path counts as "/").
    bool matchesHost(std::string_view host) const;
    bool matchesPath(std::string_view requestPath) const;

    bool operator==(const Cookie&) const = default;

    // The cookies of every Set-Cookie field of a response to `url`, in order. Per field:
    //  - "name=value" comes first; a field without '=', with an empty name, with a control
    //    character anywhere, or whose name and value together exceed kMaxNameValueBytes is dropped
    //    (with a log line);
    //  - Domain: a leading dot is ignored; the domain must domain-match the request host and must
    //    not be a public suffix ("com", "co.uk") unless it is the host itself, else the cookie is
    //    dropped; without Domain the cookie is host-only;
    //  - Path: the value when it starts with '/', otherwise the default path of the URL (its path up
    //    to, not including, the last '/'; "/" when that leaves nothing);
    //  - Expires: an RFC 1123 ("Sun, 06 Nov 1994 08:49:37 GMT"), RFC 850 ("Sunday, 06-Nov-94
    //    08:49:37 GMT") or asctime ("Sun Nov  6 08:49:37 1994") date; Max-Age: seconds from
    //    Clock::now(), and it wins over Expires; a Max-Age of 0 or less makes the cookie expired,
    //    which tells the storage to delete it;
    //  - Secure and HttpOnly set their flags;
    //  - malformed and unknown attributes are ignored; of repeated attributes the last one counts.
    // A URL without a host yields no cookies.
    static std::vector<Cookie> cookiesWithResponseHeaderFields(const HttpHeaders& headers, const Url& url);

    // One "Cookie: a=b; c=d" field for the cookies in the order given; no field for no cookies.
    static HttpHeaders requestHeaderFields(const std::vector<Cookie>& cookies);

    // Parses one cookie date in the three forms above; nullopt for anything else.
    static std::optional<Date> parseDate(std::string_view text);
};

// Whether `domain` (lower case, no leading dot; a final dot is ignored) is a public suffix under
// which nobody may set a domain cookie: a single label ("com", "localhost") or a suffix of the full
// public suffix list ("co.uk", "github.io", ...), as libpsl carries it.
bool isPublicSuffix(std::string_view domain);

// The domain a host belongs to: the public suffix plus one label ("a.b.example.co.uk" ->
// "example.co.uk"); an IP address or a public suffix gives itself.
std::string registrableDomain(std::string_view host);

} // namespace fnd
