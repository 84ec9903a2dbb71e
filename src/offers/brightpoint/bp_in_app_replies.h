// How the in-app store reads its server's replies: the inventory's product identifiers, in server order,
// and the receipt check's decision with the amount to credit. Pure functions, so any bytes are safe here.
#pragma once

#include <string>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan::brightpoint {

// The text "itunes_product_id" of every object of the inventory array, in order. A reply that is not a
// JSON array is an empty inventory; entries that are not objects or lack a text identifier are skipped.
std::vector<std::string> BPInventoryProductIds(const fnd::Bytes& reply);

struct BPReceiptDecision {
    enum class Kind { Valid, Invalid, Undecided } kind = Kind::Undecided;
    // The currency to credit for a valid receipt.
    int amount = 0;
};

// "succ" "1" is valid with "currency_amount" read as its leading integer (saturated to the int range,
// 0 when there is none); "succ" "2" is invalid; anything else, including a reply that is not a JSON
// object, is undecided.
BPReceiptDecision BPDecideReceipt(const fnd::Bytes& reply);

} // namespace zelvan::brightpoint
