// URL helpers of the web platform: resolving a resource URL against its page, the
// "zelvan_cache_file://" wrapping that asks for a resource from the cache, the scheme of resources
// fetched over the game connection, and the page URL of a page key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvan {

// "zelvan_cache_file://<resource URL>": the resource, answered from the web cache.
inline constexpr std::string_view kCacheFilePrefix = "zelvan_cache_file://";
// Resources under this scheme are fetched over the game connection (command 400) instead of HTTP.
inline constexpr std::string_view kGameResourceScheme = "zelvan-game";

// Whether `url` begins with a URL scheme ("http:", "zelvan-game:").
bool hasUrlScheme(std::string_view url);

// The absolute form of `url`: itself when it has a scheme and parses, else resolved against
// `baseURL`. nullopt when neither works (no base, or text a URL cannot hold).
std::optional<std::string> resolveWebUrl(std::string_view url, std::string_view baseURL);

// The resource URL inside a "zelvan_cache_file://" URL, or nullopt for any other text.
std::optional<std::string> unwrapCacheFileUrl(std::string_view url);

// The page URL of a page key: "http://<webHost>/iphone/" followed by the key's localised page path.
std::string pageUrlForKey(std::string_view key, std::string_view webHost);

} // namespace zelvan
