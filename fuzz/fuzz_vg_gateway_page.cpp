// Fuzz target: the address read from a bought item's gateway page. Any bytes give an address exactly when
// they hold two double quotes, and then the text between the last two, with no quote in it; nothing is
// read outside the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "offers/orvane/goods/orv_vg_item_downloder.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    // A copy of exactly `size` bytes, so a read past the end is caught.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view page(bytes);
    const auto url = zelvan::orvane::ORVVGItemDownloder::gatewayURLFromPage(page);
    const auto quotes = std::count(page.begin(), page.end(), '"');
    if (url.has_value() != (quotes >= 2)) {
        std::abort();
    }
    if (url) {
        const size_t last = page.rfind('"');
        if (url->find('"') != std::string::npos || last < url->size() + 1 ||
            page.substr(last - url->size(), url->size()) != *url || page[last - url->size() - 1] != '"') {
            std::abort();
        }
    }
    return 0;
}
