// Fuzz target: a Kavlo banner body as raw bytes (high bytes read as Latin-1). The body is an ad exactly
// when it holds "<a href=" in any letter case, and an ad is the whole body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/raw_reply.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    using namespace zelvan::mediation;
    const fnd::Bytes body(data, data + size);
    const std::string text = asciiText(body);
    std::string folded = text;
    for (char& c : folded) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const bool link = folded.find("<a href=") != std::string::npos;
    auto reply = readKavloReply(text);
    if (reply.ok() != link || (reply.ok() && *reply != text)) {
        std::abort();
    }
    KavloInterface kavlo({});
    if (kavlo._parseAdResponse(body) != link || (link && kavlo.htmlForAd() != text)) {
        std::abort();
    }
    return 0;
}
