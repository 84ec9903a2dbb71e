// Resolution and unwrapping of the web platform's resource URLs, and page keys.
#include "web/web_urls.h"

#include <cctype>

#include "core/localization.h"
#include "platform/foundation/format.h"
#include "platform/foundation/url.h"

namespace zelvan {

bool hasUrlScheme(std::string_view url) {
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return false;
    }
    for (char c : url.substr(1)) {
        if (c == ':') {
            return true;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.' && c != '_') {
            return false;
        }
    }
    return false;
}

std::optional<std::string> resolveWebUrl(std::string_view url, std::string_view baseURL) {
    if (hasUrlScheme(url)) {
        if (auto parsed = fnd::Url::parse(url)) {
            return parsed->absoluteString();
        }
        return std::nullopt;
    }
    if (baseURL.empty()) {
        return std::nullopt;
    }
    auto base = fnd::Url::parse(baseURL);
    if (!base) {
        return std::nullopt;
    }
    auto resolved = fnd::Url::resolve(*base, url);
    if (!resolved) {
        return std::nullopt;
    }
    return resolved->absoluteString();
}

std::optional<std::string> unwrapCacheFileUrl(std::string_view url) {
    if (url.size() <= kCacheFilePrefix.size() || url.substr(0, kCacheFilePrefix.size()) != kCacheFilePrefix) {
        return std::nullopt;
    }
    return std::string(url.substr(kCacheFilePrefix.size()));
}

std::string pageUrlForKey(std::string_view key, std::string_view webHost) {
    return fnd::format("http://%@/iphone/", std::string(webHost)) + ZLS(key);
}

} // namespace zelvan
