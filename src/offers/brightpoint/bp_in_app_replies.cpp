// The in-app store's reply readers over the offer wall's lenient JSON reader.
#include "offers/brightpoint/bp_in_app_replies.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "offers/brightpoint/bp_json_deserializer.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/value.h"

namespace zelvan::brightpoint {

namespace {

std::optional<fnd::Value> parse(const fnd::Bytes& reply) {
    auto parsed = BPJSONDeserializer::deserializer()->deserialize(reply);
    if (!parsed || !parsed->has_value()) {
        return std::nullopt;
    }
    return **parsed;
}

int clampToInt(int64_t value) {
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

std::vector<std::string> BPInventoryProductIds(const fnd::Bytes& reply) {
    std::vector<std::string> ids;
    auto value = parse(reply);
    if (!value || !value->isArray()) {
        return ids;
    }
    for (const auto& entry : *value->asArray()) {
        if (!entry.isDictionary()) {
            continue;
        }
        const fnd::Value* id = entry.asDictionary()->find(std::string("itunes_product_id"));
        if (id != nullptr && id->isString()) {
            ids.push_back(*id->asString());
        }
    }
    return ids;
}

BPReceiptDecision BPDecideReceipt(const fnd::Bytes& reply) {
    auto value = parse(reply);
    if (!value || !value->isDictionary()) {
        return {};
    }
    auto table = value->asDictionary();
    const fnd::Value* succ = table->find(std::string("succ"));
    if (succ == nullptr || !succ->isString()) {
        return {};
    }
    if (*succ->asString() == "2") {
        return {BPReceiptDecision::Kind::Invalid, 0};
    }
    if (*succ->asString() != "1") {
        return {};
    }
    int amount = 0;
    if (const fnd::Value* given = table->find(std::string("currency_amount")); given != nullptr) {
        if (given->isString()) {
            amount = fnd::intValue(*given->asString());
        } else if (given->isNumber()) {
            amount = clampToInt(given->longLongValue());
        }
    }
    return {BPReceiptDecision::Kind::Valid, amount};
}

} // namespace zelvan::brightpoint
