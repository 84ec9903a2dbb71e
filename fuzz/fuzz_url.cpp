// Fuzz target: untrusted URL text must parse or be refused, resolve against a fixed base and
// against itself, and answer every accessor, never crash; a parsed URL re-parses to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/foundation/log.h"
#include "platform/foundation/url.h"

namespace {

void touch(const fnd::Url& url) {
    (void)url.scheme();
    (void)url.port();
    (void)url.lastPathComponent();
    (void)url.pathExtension();
    (void)url.filePath();
    for (const auto& item : url.queryItems()) {
        (void)item;
    }
    (void)fnd::Url::queryString(url.queryItems());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static const fnd::Url base = *fnd::Url::parse("http://user:pw@a.example:8080/b/c/d;p?q=1#f");
    static const fnd::Url custom = *fnd::Url::parse("zelvan_cache_file://pack/dir/file.png");
    std::string text(reinterpret_cast<const char*>(data), size);

    auto url = fnd::Url::parse(text);
    if (url) {
        touch(*url);
        auto again = fnd::Url::parse(url->absoluteString());
        if (!again || !(*again == *url) || again->path() != url->path() || again->host() != url->host()) {
            std::abort();
        }
        if (auto self = fnd::Url::resolve(*url, text)) {
            touch(*self);
        }
        if (auto self = fnd::Url::resolve(*url, "../x?y#z")) {
            touch(*self);
        }
    }
    for (const fnd::Url* b : {&base, &custom}) {
        if (auto resolved = fnd::Url::resolve(*b, text)) {
            touch(*resolved);
        }
    }
    (void)fnd::Url::fileUrl(text).filePath();
    return 0;
}
