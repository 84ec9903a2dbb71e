// Fuzz target: URL texts into the Kavlo ad browser's link filter. The decision is deterministic; only a
// "video://" link is rewritten (to "http://" and the same rest), every other decision keeps the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "analytics/kavlo/kavlo_browser.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    using zelvan::kavlo::KavloBrowserLinkDecision;
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const std::vector<std::string> hosts = {"apps.store.test", "maps.test", "video.test"};
    const auto decision = zelvan::kavlo::kavloBrowserLinkDecision(text, hosts);
    const auto again = zelvan::kavlo::kavloBrowserLinkDecision(text, hosts);
    if (decision.action != again.action || decision.url != again.url) {
        std::abort();
    }
    if (decision.action == KavloBrowserLinkDecision::Action::LoadInstead) {
        if (size < 8 || decision.url != "http://" + text.substr(8)) {
            std::abort();
        }
    } else if (decision.url != text) {
        std::abort();
    }
    return 0;
}
