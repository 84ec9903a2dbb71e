// Reading numbers and truth values out of text by the platform's lenient scalar rules: leading
// whitespace is skipped, the longest numeric prefix is used, and text without one reads as zero.
#pragma once

#include <cstdint>
#include <string_view>

namespace fnd {

// Optional sign and a run of decimal digits after leading whitespace; saturates at the int32 limits.
int32_t intValue(std::string_view s);
// The same with 64 bits.
int64_t longLongValue(std::string_view s);
// The longest decimal prefix in the C locale ("-1.5e3", ".5", "7."); no hex, inf or nan forms.
// A prefix too large for the type reads as infinity, as the C library gives it.
double doubleValue(std::string_view s);
float floatValue(std::string_view s);
// Y, y, T or t after whitespace is true; otherwise an optional sign and zeros followed by 1-9.
bool boolValue(std::string_view s);

// A double converted to int64 toward zero, saturating at the limits (NaN gives 0), so that
// out-of-range values never reach the undefined float-to-integer conversion.
int64_t saturatingInt64(double d);

// Length of the longest decimal number prefix of `s` after leading whitespace (0 when none), and
// where that whitespace ends. doubleValue parses exactly this span.
struct DecimalPrefix {
    size_t start = 0;
    size_t length = 0;
};
DecimalPrefix decimalPrefix(std::string_view s);

} // namespace fnd
