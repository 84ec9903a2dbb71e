// Reading app records for the apps tab.
#include "offers/brightpoint/bp_app_record.h"

#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/dictionary.h"

namespace zelvan::brightpoint {

std::string BPRecordText(const fnd::Value& record, std::string_view key) {
    if (!record.isDictionary()) {
        return "";
    }
    const fnd::Value* value = record.asDictionary()->find(std::string(key));
    if (value == nullptr || !(value->isString() || value->isNumber())) {
        return "";
    }
    return value->stringValue();
}

std::string BPPayoutSubtitle(const fnd::Value& record) {
    auto client = Brightpoint::shared();
    const std::string name = client ? client->configuration().currencyName.value_or("") : "";
    return "Get " + BPRecordText(record, "currency") + " " + name;
}

std::string BPPayoutLine(const fnd::Value& record) {
    return BPPayoutSubtitle(record) + "!";
}

} // namespace zelvan::brightpoint
