// Cutting a received messenger line to its bound, counted in UTF-16 units.
#include "messaging/model/received_text.h"

#include "platform/foundation/log.h"
#include "platform/foundation/utf16.h"

namespace zelvan {

std::string capReceivedText(std::string_view text, std::string_view what) {
    // UTF-16 never has more units than UTF-8 has bytes, so a short text needs no counting.
    if (text.size() <= kReceivedTextUnits) {
        return std::string(text);
    }
    const size_t units = fnd::utf16Length(text);
    if (units <= kReceivedTextUnits) {
        return std::string(text);
    }
    std::string kept = fnd::utf16SubstringSafe(text, fnd::Range{0, kReceivedTextUnits});
    kept += "\u2026";
    ZLOG(Warn, "messenger: a %@ of %zu UTF-16 units was cut to its first %zu", what, units, kReceivedTextUnits);
    return kept;
}

} // namespace zelvan
