// The Set-Cookie parser (an RFC 6265 subset: Domain, Path, Expires, Max-Age, Secure, HttpOnly),
// domain and path matching, and the Cookie request field. Dates are read with glibc's strptime in
// the C locale; public suffixes come from the list libpsl carries.
#include "platform/foundation/cookie.h"

#include <arpa/inet.h>
#include <libpsl.h>
#include <locale.h>
#include <time.h>

#include <algorithm>
#include <charconv>
#include <climits>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/string_ops.h"

namespace fnd {
namespace {

// An expiry before any clock reading: Max-Age 0 or less.
constexpr double kLongAgo = -1e15;

std::string_view trimSpace(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool hasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t') || c == 0x7F;
    });
}

bool isIpAddress(std::string_view host) {
    if (!host.empty() && host.front() == '[') {
        return true;
    }
    std::string text(host);
    in_addr addr{};
    return ::inet_pton(AF_INET, text.c_str(), &addr) == 1;
}

// RFC 6265 5.1.3: identical, or host ends in "." + domain and is not an IP address.
bool domainMatch(std::string_view host, std::string_view domain) {
    if (host == domain) {
        return true;
    }
    return !domain.empty() && host.size() > domain.size() && host.substr(host.size() - domain.size()) == domain &&
           host[host.size() - domain.size() - 1] == '.' && !isIpAddress(host);
}

// RFC 6265 5.1.4.
std::string defaultPath(std::string_view uriPath) {
    if (uriPath.empty() || uriPath.front() != '/') {
        return "/";
    }
    size_t last = uriPath.rfind('/');
    if (last == 0) {
        return "/";
    }
    return std::string(uriPath.substr(0, last));
}

// Max-Age: an optional '-' and digits; anything else is malformed. Saturates.
std::optional<long long> parseMaxAge(std::string_view v) {
    bool negative = !v.empty() && v.front() == '-';
    std::string_view digits = negative ? v.substr(1) : v;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = LLONG_MAX;
    }
    (void)end;
    return negative ? -value : value;
}

locale_t cLocale() {
    static locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The public suffix list compiled into libpsl, or else the system's copy of it; null (logged once)
// when neither is there. Shared read-only by every thread.
const psl_ctx_t* suffixList() {
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* found = psl_builtin();
        if (found == nullptr) {
            found = psl_latest(nullptr);
        }
        if (found == nullptr) {
            ZLOG(Error, "Cookie: no public suffix list is available; every domain counts as a public suffix");
        }
        return found;
    }();
    return list;
}

} // namespace

bool isPublicSuffix(std::string_view domain) {
    // A fully qualified name's final dot ("com.") names the same suffix as without it.
    if (!domain.empty() && domain.back() == '.') {
        domain.remove_suffix(1);
    }
    // A single label is one under the list's implicit "*" rule, whatever the list holds.
    if (domain.find('.') == std::string_view::npos) {
        return true;
    }
    // Without a list, or for a name no C string can carry, no domain cookie is safe.
    const psl_ctx_t* list = suffixList();
    if (list == nullptr || domain.find('\0') != std::string_view::npos) {
        return true;
    }
    return psl_is_public_suffix(list, std::string(domain).c_str()) != 0;
}

std::string registrableDomain(std::string_view host) {
    std::string h = lowerAscii(host);
    if (isIpAddress(h) || isPublicSuffix(h)) {
        return h;
    }
    // Grow the suffix label by label from the right until it stops being a public suffix.
    size_t dot = h.rfind('.');
    while (dot != std::string::npos) {
        size_t previous = dot == 0 ? std::string::npos : h.rfind('.', dot - 1);
        std::string candidate = previous == std::string::npos ? h : h.substr(previous + 1);
        if (!isPublicSuffix(candidate)) {
            return candidate;
        }
        dot = previous;
    }
    return h;
}

bool Cookie::matchesHost(std::string_view host) const {
    return hostOnly ? host == domain : domainMatch(host, domain);
}

bool Cookie::matchesPath(std::string_view requestPath) const {
    if (requestPath.empty()) {
        requestPath = "/";
    }
    if (requestPath == path) {
        return true;
    }
    if (requestPath.size() > path.size() && requestPath.substr(0, path.size()) == path) {
        return path.back() == '/' || requestPath[path.size()] == '/';
    }
    return false;
}

std::optional<Date> Cookie::parseDate(std::string_view text) {
    static const char* const kForms[] = {
        "%a, %d %b %Y %H:%M:%S GMT", // RFC 1123
        "%A, %d-%b-%y %H:%M:%S GMT", // RFC 850
        "%a %b %d %H:%M:%S %Y",      // asctime
    };
    std::string s(trimSpace(text));
    if (s.empty() || cLocale() == static_cast<locale_t>(nullptr)) {
        return std::nullopt;
    }
    for (const char* form : kForms) {
        struct tm tm {};
        const char* end = ::strptime_l(s.c_str(), form, &tm, cLocale());
        if (end == nullptr || *end != '\0') {
            continue;
        }
        // Refuse dates that do not exist (30 February) rather than letting timegm roll them over.
        struct tm check = tm;
        time_t t = ::timegm(&check);
        if (check.tm_mday != tm.tm_mday || check.tm_mon != tm.tm_mon || check.tm_year != tm.tm_year) {
            return std::nullopt;
        }
        return Date::fromUnix(static_cast<double>(t));
    }
    return std::nullopt;
}

std::vector<Cookie> Cookie::cookiesWithResponseHeaderFields(const HttpHeaders& headers, const Url& url) {
    std::vector<Cookie> cookies;
    std::vector<std::string> fields = headers.values("Set-Cookie");
    if (fields.empty()) {
        return cookies;
    }
    std::string host = lowerAscii(url.host());
    if (host.empty()) {
        ZLOG(Warn, "Cookie: ignored %d Set-Cookie field(s) from %s, which has no host", static_cast<int>(fields.size()),
             logPreview(url.absoluteString()));
        return cookies;
    }
    for (const std::string& field : fields) {
        if (hasControl(field)) {
            ZLOG(Warn, "Cookie: dropped a Set-Cookie field from %s holding a control character", logPreview(host));
            continue;
        }
        std::string_view rest = field;
        size_t semi = rest.find(';');
        std::string_view pair = rest.substr(0, semi);
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
        size_t eq = pair.find('=');
        if (eq == std::string_view::npos || trimSpace(pair.substr(0, eq)).empty()) {
            ZLOG(Warn, "Cookie: dropped a Set-Cookie field from %s without a name=value pair", logPreview(host));
            continue;
        }
        Cookie cookie;
        cookie.name = std::string(trimSpace(pair.substr(0, eq)));
        cookie.value = std::string(trimSpace(pair.substr(eq + 1)));
        if (cookie.name.size() + cookie.value.size() > kMaxNameValueBytes) {
            ZLOG(Warn, "Cookie: dropped %s from %s: name and value exceed %d bytes", logPreview(cookie.name, 64),
                 logPreview(host), static_cast<int>(kMaxNameValueBytes));
            continue;
        }

        std::optional<std::string> domainAttr;
        std::optional<std::string> pathAttr;
        std::optional<Date> expires;
        std::optional<long long> maxAge;
        while (!rest.empty()) {
            semi = rest.find(';');
            std::string_view attr = rest.substr(0, semi);
            rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
            eq = attr.find('=');
            std::string key = lowerAscii(trimSpace(attr.substr(0, eq)));
            std::string_view value = eq == std::string_view::npos ? std::string_view() : trimSpace(attr.substr(eq + 1));
            if (key == "expires") {
                if (auto date = parseDate(value)) {
                    expires = date;
                }
            } else if (key == "max-age") {
                if (auto seconds = parseMaxAge(value)) {
                    maxAge = seconds;
                }
            } else if (key == "domain") {
                if (!value.empty() && value.front() == '.') {
                    value.remove_prefix(1);
                }
                if (!value.empty()) {
                    domainAttr = lowerAscii(value);
                }
            } else if (key == "path") {
                pathAttr = (!value.empty() && value.front() == '/') ? std::string(value) : std::string();
            } else if (key == "secure") {
                cookie.secure = true;
            } else if (key == "httponly") {
                cookie.httpOnly = true;
            }
        }

        if (maxAge) {
            cookie.expires =
                *maxAge <= 0 ? Date(kLongAgo) : Clock::now().addingTimeInterval(static_cast<double>(*maxAge));
        } else {
            cookie.expires = expires;
        }
        if (domainAttr && isPublicSuffix(*domainAttr)) {
            if (*domainAttr != host) {
                ZLOG(Warn, "Cookie: dropped %s from %s: Domain=%s is a public suffix", logPreview(cookie.name),
                     logPreview(host), logPreview(*domainAttr));
                continue;
            }
            domainAttr.reset();
        }
        if (domainAttr) {
            if (!domainMatch(host, *domainAttr)) {
                ZLOG(Warn, "Cookie: dropped %s from %s: Domain=%s does not cover the host", logPreview(cookie.name),
                     logPreview(host), logPreview(*domainAttr));
                continue;
            }
            cookie.domain = *domainAttr;
            cookie.hostOnly = false;
        } else {
            cookie.domain = host;
            cookie.hostOnly = true;
        }
        cookie.path = (pathAttr && !pathAttr->empty()) ? *pathAttr : defaultPath(url.path());
        cookies.push_back(std::move(cookie));
    }
    return cookies;
}

HttpHeaders Cookie::requestHeaderFields(const std::vector<Cookie>& cookies) {
    HttpHeaders headers;
    if (cookies.empty()) {
        return headers;
    }
    std::string value;
    for (const Cookie& c : cookies) {
        if (!value.empty()) {
            value += "; ";
        }
        value += c.name;
        value += '=';
        value += c.value;
    }
    headers.set("Cookie", value);
    return headers;
}

} // namespace fnd
