// Fuzz target: the offer wall's untrusted replies. The first byte picks the HTTP status and what the rest
// is: a GetOffers reply (only records with a name and an offer id become rows, videos apart from offers)
// or a GetAppIcon reply of type 1 or 0 (an icon of a sane size, or none). Nothing fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"
#include "offers/orvane/offers/orv_offer_list.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelvan::orvane;
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    const uint8_t pick = data[0];
    const std::span<const uint8_t> body(data + 1, size - 1);
    switch (pick % 3) {
    case 0: {
        const int status = pick & 0x80 ? 500 : 200;
        auto list = readOfferListReply(status, body);
        if (list && status != 200) {
            std::abort();
        }
        if (list) {
            for (const auto& offer : list->offers) {
                if (offer.offerName.empty() || offer.cacheOfferId.empty() || !offer.videoURL.empty()) {
                    std::abort();
                }
            }
            for (const auto& video : list->videos) {
                if (video.offerName.empty() || video.cacheOfferId.empty() || video.videoURL.empty()) {
                    std::abort();
                }
            }
        }
        break;
    }
    default: {
        auto icon = ORVGenericCellImageFetcher::decodeIcon(body, pick % 3 == 1 ? 1 : 0);
        if (icon && (icon->width() < 1 || icon->width() > ORVUtil::kMaxImageSide || icon->height() < 1 ||
                     icon->height() > ORVUtil::kMaxImageSide)) {
            std::abort();
        }
        break;
    }
    }
    return 0;
}
