// Fuzz target: arbitrary bytes as the Tallio hook-ad reply. The walk ends, reads nothing outside the
// input and keeps only what fits in it; hand-outs for the host's hooks on two screens, the image under
// code 1 and every handed-out cookie's text stay consistent with what was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "analytics/tallio/tallio_ad_parser.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    zelvan::tallio::TallioAdParser parser;
    parser.parseData(std::span<const uint8_t>(data, size));
    if (parser.adParsingPhase().get() != 1) {
        std::abort();
    }
    for (const char* screen : {"<Lobby: 0x1>", "<Canvas: 0x2>"}) {
        for (const char* hook : {"zelvan", "", "Tallio_Canvas_Hook_3"}) {
            for (int round = 0; round < 6; ++round) {
                auto ad = parser.adWithHook(hook, screen);
                if (!ad) {
                    break;
                }
                // Every ad holds only bytes of the input: its cookie cannot be longer than the input.
                if (ad->adCookie.size() != static_cast<size_t>(ad->adCookieSize) || ad->adCookie.size() > size ||
                    !ad->adTheme) {
                    std::abort();
                }
                const std::string text = ad->adCookieString();
                const size_t n = ad->adCookie.size();
                if (text.size() != (n == 0 ? 0 : 2 * n + (n - 1) / 4)) {
                    std::abort();
                }
            }
        }
        parser.removeAdsOnViewControllerName(screen);
    }
    (void)parser.getImageWithCode(1);
    return 0;
}
