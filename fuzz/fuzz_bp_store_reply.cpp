// Fuzz target: reply bytes read as the currency store's inventory and as its receipt check's decision.
// Never a crash; identifiers come out in the reply's order and only a valid receipt carries an amount.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "offers/brightpoint/bp_in_app_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fnd::Bytes reply(data, data + size);
    const auto ids = zelvan::brightpoint::BPInventoryProductIds(reply);
    if (ids.size() > size) {
        std::abort();
    }
    const auto decision = zelvan::brightpoint::BPDecideReceipt(reply);
    if (decision.kind != zelvan::brightpoint::BPReceiptDecision::Kind::Valid && decision.amount != 0) {
        std::abort();
    }
    return 0;
}
