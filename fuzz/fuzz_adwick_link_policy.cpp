// Fuzz target: URL texts into the embedded browser's link policy and its mail link. Answers are
// deterministic, "file:" is always refused, and the mail link has exactly one parameter separator.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ads/adwick/adwick_browser_controller.h"
#include "platform/foundation/log.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    using zelvan::adwick::AdwickBrowserController;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string mail = AdwickBrowserController::mailURL(text, text);
    check(std::count(mail.begin(), mail.end(), '&') == 1);
    check(std::count(mail.begin(), mail.end(), '#') == 0);
    // Any 64-bit code, negated in unsigned arithmetic (the lowest value negates to itself).
    uint64_t bits = 0;
    for (size_t i = 0; i < size && i < 8; ++i) {
        bits = (bits << 8) | data[i];
    }
    check(!AdwickBrowserController::errorMessageKeyForCode(static_cast<int64_t>(0 - bits)).empty());
    auto url = fnd::Url::parse(text);
    if (!url) {
        return 0;
    }
    static const std::vector<std::string> maps{"maps.atlas.test", "map.atlas.test"};
    static const std::vector<std::string> videos{"vidora.test", "www.vidora.test"};
    const auto first = AdwickBrowserController::linkDecision(*url, maps, videos);
    check(first == AdwickBrowserController::linkDecision(*url, maps, videos));
    if (url->scheme() == "file") {
        check(first == AdwickBrowserController::LinkDecision::Refuse);
    }
    return 0;
}
