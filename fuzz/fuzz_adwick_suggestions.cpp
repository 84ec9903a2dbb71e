// Fuzz target: suggestion reply bytes into the search screen's reader. Only string rows come out, never
// more of them than the reply has bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ads/adwick/adwick_search_view_controller.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    const fnd::Bytes bytes(data, data + size);
    const auto rows = zelvan::adwick::AdwickSearchViewController::suggestionsFromReply(bytes);
    if (rows.size() > size) {
        std::abort();
    }
    return 0;
}
