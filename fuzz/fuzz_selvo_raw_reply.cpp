// Fuzz target: a Selvo raw reply (marker soup, odd sizes) and the marker search on it. An ad has both
// URLs; a size is never outside 0...100000; text between markers is always a part of the source.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ads/mediation/raw_reply.h"
#include "ads/mediation/selvo_interface.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    using namespace zelvan::mediation;
    SelvoInterface selvo({});
    const bool ad = selvo._parseAdResponse(fnd::Bytes(data, data + size));
    if (ad != (!selvo.clickURL().empty() && !selvo.bannerURL().empty()) || ad != selvo.hasAdAvailable()) {
        std::abort();
    }
    for (int value : {selvo.adWidth(), selvo.adHeight()}) {
        if (value < 0 || value > 100000) {
            std::abort();
        }
    }
    // The first bytes name the markers, the rest is the source.
    if (size >= 2) {
        const size_t startLength = data[0] % 8, endLength = data[1] % 8;
        if (size >= 2 + startLength + endLength) {
            const std::string start(reinterpret_cast<const char*>(data) + 2, startLength);
            const std::string end(reinterpret_cast<const char*>(data) + 2 + startLength, endLength);
            const std::string source(reinterpret_cast<const char*>(data) + 2 + startLength + endLength,
                                     size - 2 - startLength - endLength);
            for (bool caseSensitive : {true, false}) {
                auto between = substringBetween(start.c_str(), end.c_str(), caseSensitive, source);
                if (between && source.find(*between) == std::string::npos) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
