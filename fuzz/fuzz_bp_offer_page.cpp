// Fuzz target: reply bytes read as a page of the offer wall's lists, through the page filter and then
// the offer row. Never a crash; a reply that is not a list is refused, only objects are kept, and a row
// shows exactly one of its two kinds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "offers/brightpoint/bp_data_source.h"
#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"
#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/text_metrics.h"

using zelvan::brightpoint::BPDataSource;
using zelvan::brightpoint::BPOfferTableViewCell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>());
        return true;
    }();
    (void)ready;
    static auto cell = ui::TableViewCell::initWithStyle<BPOfferTableViewCell>(
        ui::TableViewCellStyle::Default, BPOfferTableViewCell::kReuseIdentifier, zelvan::brightpoint::BPPageServices{});
    auto parsed = zelvan::brightpoint::BPJSONDeserializer::deserializer()->deserialize(fnd::Bytes(data, data + size));
    std::optional<fnd::Value> reply;
    if (parsed && parsed->has_value()) {
        reply = **parsed;
    }
    const auto offers = BPDataSource::offersFromReply(reply);
    if (!offers) {
        if (reply && reply->isArray()) {
            std::abort();
        }
        return 0;
    }
    size_t shown = 0;
    for (const fnd::Value& offer : *offers) {
        if (!offer.isDictionary()) {
            std::abort();
        }
        if (++shown > 32) {
            break;
        }
        cell->setOffer(offer);
        cell->layoutIfNeeded();
        const bool withImage = zelvan::brightpoint::BPOfferHasImage(offer);
        if ((cell->offerImageView()->superview() != nullptr) != withImage ||
            (cell->subtitleLabel()->superview() != nullptr) == withImage) {
            std::abort();
        }
    }
    return 0;
}
