// Fuzz target: link texts into the Kavlo banner's decoding and "kavlo://" extraction. The answer is
// deterministic, never longer than the link, and present only when the decoded text holds the scheme.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analytics/kavlo/kavlo_ad_view.h"
#include "analytics/kavlo/kavlo_strings.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto command = zelvan::kavlo::kavloCustomAdCommand(text);
    if (command != zelvan::kavlo::kavloCustomAdCommand(text) || (command && command->size() + 8 > size)) {
        std::abort();
    }
    if (command) {
        const std::string decoded = zelvan::kavlo::MCCreateURLDecodedString(text).value_or(text);
        if (decoded.size() < command->size() + 8 ||
            decoded.compare(decoded.size() - command->size(), command->size(), *command) != 0) {
            std::abort();
        }
    }
    return 0;
}
