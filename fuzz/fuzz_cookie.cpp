// Fuzz target: untrusted Set-Cookie values go through the parser, into a cookie storage and back
// out as a Cookie request field; nothing may crash, and no request field may carry CR or LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static const fnd::Url url = *fnd::Url::parse("https://www.example.com/a/b/page?x=1");
    static const fnd::Url other = *fnd::Url::parse("http://example.com/");

    // Each line of the input is one Set-Cookie field.
    std::string text(reinterpret_cast<const char*>(data), size);
    fnd::HttpHeaders headers;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        headers.add("Set-Cookie", text.substr(start, end - start));
        start = end + 1;
    }

    fnd::CookieStorage storage;
    auto cookies = fnd::Cookie::cookiesWithResponseHeaderFields(headers, url);
    storage.setCookies(cookies, url, other);
    for (const fnd::Url* u : {&url, &other}) {
        auto request = fnd::Cookie::requestHeaderFields(storage.cookiesForUrl(*u));
        for (const auto& field : request) {
            if (field.value.find_first_of("\r\n") != std::string::npos) {
                std::abort();
            }
        }
    }
    for (const auto& cookie : storage.cookies()) {
        storage.deleteCookie(cookie);
    }
    if (!storage.cookies().empty()) {
        std::abort();
    }
    return 0;
}
