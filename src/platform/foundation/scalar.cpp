// The scalar rules on text. Doubles are parsed with strtod_l under a private C locale, after the
// decimal prefix has been cut out by hand so hex, infinity and NaN spellings are never accepted.
#include "platform/foundation/scalar.h"

#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <limits>
#include <string>

namespace fnd {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t skipSpace(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    return i;
}

// Leading integer with saturation at [lo, hi].
int64_t leadingInteger(std::string_view s, int64_t lo, int64_t hi) {
    size_t i = skipSpace(s);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Accumulate toward the sign's limit so the most negative value is representable.
    int64_t result = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        int digit = s[i] - '0';
        if (negative) {
            if (result < (lo + digit) / 10) {
                return lo;
            }
            result = result * 10 - digit;
            if (result < lo) {
                return lo;
            }
        } else {
            if (result > (hi - digit) / 10) {
                return hi;
            }
            result = result * 10 + digit;
            if (result > hi) {
                return hi;
            }
        }
    }
    return result;
}

locale_t cLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

} // namespace

int32_t intValue(std::string_view s) {
    return static_cast<int32_t>(
        leadingInteger(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t longLongValue(std::string_view s) {
    return leadingInteger(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

DecimalPrefix decimalPrefix(std::string_view s) {
    size_t start = skipSpace(s);
    size_t i = start;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < s.size() && isDigit(s[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) {
        return {start, 0};
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                ++j;
            }
            i = j;
        }
    }
    return {start, i - start};
}

double doubleValue(std::string_view s) {
    DecimalPrefix p = decimalPrefix(s);
    if (p.length == 0 || cLocale() == static_cast<locale_t>(nullptr)) {
        return 0.0;
    }
    std::string text(s.substr(p.start, p.length));
    return strtod_l(text.c_str(), nullptr, cLocale());
}

float floatValue(std::string_view s) {
    DecimalPrefix p = decimalPrefix(s);
    if (p.length == 0 || cLocale() == static_cast<locale_t>(nullptr)) {
        return 0.0f;
    }
    std::string text(s.substr(p.start, p.length));
    return strtof_l(text.c_str(), nullptr, cLocale());
}

bool boolValue(std::string_view s) {
    size_t i = skipSpace(s);
    if (i >= s.size()) {
        return false;
    }
    char c = s[i];
    if (c == 'Y' || c == 'y' || c == 'T' || c == 't') {
        return true;
    }
    if (c == '+' || c == '-') {
        ++i;
    }
    while (i < s.size() && s[i] == '0') {
        ++i;
    }
    return i < s.size() && s[i] >= '1' && s[i] <= '9';
}

int64_t saturatingInt64(double d) {
    if (std::isnan(d)) {
        return 0;
    }
    if (d >= 9223372036854775807.0) {
        return std::numeric_limits<int64_t>::max();
    }
    if (d <= -9223372036854775808.0) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(d);
}

} // namespace fnd
