// The apps tab's payout lines.
#include "offers/brightpoint/bp_app_record.h"

#include "offers/brightpoint/bp_offer_support.h"

namespace zelvan::brightpoint {

std::string BPPayoutSubtitle(const fnd::Value& record, std::string_view currencyName) {
    return "Get " + BPOfferText(record, "currency") + " " + std::string(currencyName);
}

std::string BPPayoutLine(const fnd::Value& record, std::string_view currencyName) {
    return BPPayoutSubtitle(record, currencyName) + "!";
}

} // namespace zelvan::brightpoint
