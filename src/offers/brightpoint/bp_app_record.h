// The payout lines of an app record of the apps tab, in the wall's currency.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::brightpoint {

// "Get <currency> <currency name>!" with the record's "currency" and the configuration's currency name.
std::string BPPayoutLine(const fnd::Value& record, std::string_view currencyName);
// The same without the exclamation mark.
std::string BPPayoutSubtitle(const fnd::Value& record, std::string_view currencyName);

} // namespace zelvan::brightpoint
