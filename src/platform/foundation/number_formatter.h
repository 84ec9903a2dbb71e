// Prices as text: a decimal amount in the currency style of a locale ("$0.99" for en_US), from a small table
// of locales; unknown locales use en_US.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace fnd {

class NumberFormatter {
public:
    // `decimal` is a decimal, integer or double Value, or a number's text ("0.99", "-1234.5", "1e3"). The
    // amount is rounded half away from zero to the currency's fraction digits and grouped by thousands.
    // Anything that is not a finite number gives nullopt (logged).
    static std::optional<std::string> currency(const Value& decimal, std::string_view localeId);
};

} // namespace fnd
