// The apps tab's payout lines.
#include "offers/brightpoint/bp_app_record.h"

#include "offers/brightpoint/bp_offer_support.h"

namespace zelvan::brightpoint {

std::string BPPayoutSubtitle(const fnd::Value& record) {
    return "Get " + BPOfferText(record, "currency") + " " + BPCurrencyName();
}

std::string BPPayoutLine(const fnd::Value& record) {
    return BPPayoutSubtitle(record) + "!";
}

} // namespace zelvan::brightpoint
