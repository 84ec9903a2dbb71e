// Fuzz target: arbitrary text as a resource URL and a page URL through the web cache's resolution,
// "zelvan_cache_file://" unwrapping and file naming; whatever comes in, a cache path names a file
// directly inside the cache folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/log.h"
#include "web/web_urls.h"
#include "web/zelvan_web_cache.h"

namespace {

void checkInside(const zelvan::ZelvanWebCache& cache, const std::string& url) {
    auto path = cache.cacheFilePathForUrl(url);
    if (!path) {
        return;
    }
    std::filesystem::path file(*path);
    if (file.parent_path().string() + "/" != cache.cachePath() || file.filename() == ".." || file.filename() == "." ||
        file.filename().string() != zelvan::ZelvanWebCache::newCacheFilename(url)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        fnd::setLogToStderr(false);
        // Keep the cache folder away from a real home.
        ::setenv("ZELVAN_HOME", (std::filesystem::temp_directory_path() / "zelvan-fuzz-cache-url").c_str(), 1);
        return true;
    }();
    (void)ready;
    static auto cache = std::make_shared<zelvan::ZelvanWebCache>(zelvan::WebCacheEnvironment{});

    std::string text(reinterpret_cast<const char*>(data), size);
    size_t split = text.find('\n');
    std::string url = text.substr(0, split);
    std::string base = split == std::string::npos ? "http://h/a/b/page.html" : text.substr(split + 1);

    checkInside(*cache, url);
    if (auto inner = zelvan::unwrapCacheFileUrl(url)) {
        checkInside(*cache, *inner);
    }
    if (auto absolute = cache->absoluteUrlStringWithRelativeUrl(url, base, true)) {
        checkInside(*cache, *absolute);
    }
    if (auto absolute = cache->absoluteUrlStringWithRelativeUrl(url, base, false)) {
        checkInside(*cache, *absolute);
        (void)cache->fileSize(*absolute);
    }
    return 0;
}
