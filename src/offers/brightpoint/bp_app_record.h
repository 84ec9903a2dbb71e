// What the apps tab reads from an app record of a list page: its texts, with the payout lines in the
// wall's currency. A record that is not an object, or a key of another kind, reads as empty text.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::brightpoint {

// The text at `key`: strings as they are, numbers as their decimal text, anything else "".
std::string BPRecordText(const fnd::Value& record, std::string_view key);

// "Get <currency> <currency name>!" with the client's currency name ("" without a client).
std::string BPPayoutLine(const fnd::Value& record);
// The same without the exclamation mark.
std::string BPPayoutSubtitle(const fnd::Value& record);

} // namespace zelvan::brightpoint
