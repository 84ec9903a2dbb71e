// NumberFormatter::currency: the amount is rounded on its decimal digits (so "0.995" never meets binary
// rounding), then laid out with the locale's symbol, separators and symbol position.
#include "platform/foundation/number_formatter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/log.h"

namespace fnd {
namespace {

struct CurrencyStyle {
    std::string_view locale;
    std::string_view symbol;
    int fractionDigits;
    std::string_view group;
    std::string_view decimal;
    bool symbolAfter; // "1,00 €" rather than "$1.00"
};

constexpr CurrencyStyle kStyles[] = {
    {"en_US", "$", 2, ",", ".", false},      {"en_CA", "$", 2, ",", ".", false},
    {"en_AU", "$", 2, ",", ".", false},      {"en_GB", "\u00A3", 2, ",", ".", false},
    {"de_DE", "\u20AC", 2, ".", ",", true},  {"fr_FR", "\u20AC", 2, "\u00A0", ",", true},
    {"es_ES", "\u20AC", 2, ".", ",", true},  {"it_IT", "\u20AC", 2, ".", ",", true},
    {"ja_JP", "\uFFE5", 0, ",", ".", false}, {"ru_RU", "\u20BD", 2, "\u00A0", ",", true},
};

// Normalises a plain decimal literal to digits and a point position; false for anything else.
bool plainDecimal(std::string_view text, bool* negative, std::string* whole, std::string* fraction) {
    *negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    *whole = std::string(text.substr(0, point));
    *fraction = point == std::string_view::npos ? std::string() : std::string(text.substr(point + 1));
    if (whole->empty() && fraction->empty()) {
        return false;
    }
    for (const std::string* part : {whole, fraction}) {
        for (char c : *part) {
            if (c < '0' || c > '9') {
                return false;
            }
        }
    }
    return true;
}

std::optional<std::string> currencyFromText(std::string_view decimal, std::string_view localeId) {
    const CurrencyStyle* style = &kStyles[0];
    for (const auto& s : kStyles) {
        if (s.locale == localeId) {
            style = &s;
        }
    }
    bool negative = false;
    std::string whole, fraction;
    if (!plainDecimal(decimal, &negative, &whole, &fraction)) {
        // Exponent forms go through a double, printed with enough digits to round from.
        char* end = nullptr;
        const std::string copy(decimal);
        const double v = std::strtod(copy.c_str(), &end);
        if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(v) || std::fabs(v) > 1e18 ||
            copy.find_first_of("xXnNiI") != std::string::npos) {
            ZLOG(Warn, "NumberFormatter: \"%s\" is not an amount", copy.substr(0, 40));
            return std::nullopt;
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.6f", v);
        plainDecimal(buf, &negative, &whole, &fraction);
    }
    // Round half away from zero on the digits.
    const size_t keep = static_cast<size_t>(style->fractionDigits);
    fraction.resize(std::max(fraction.size(), keep + 1), '0');
    const bool up = fraction[keep] >= '5';
    std::string digits = whole + fraction.substr(0, keep);
    if (up) {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    std::string intPart = digits.substr(0, digits.size() - keep);
    const std::string fracPart = digits.substr(digits.size() - keep);
    const size_t firstDigit = intPart.find_first_not_of('0');
    intPart = firstDigit == std::string::npos ? "0" : intPart.substr(firstDigit);
    std::string grouped;
    for (size_t i = 0; i < intPart.size(); ++i) {
        if (i > 0 && (intPart.size() - i) % 3 == 0) {
            grouped += style->group;
        }
        grouped += intPart[i];
    }
    std::string amount = keep > 0 ? grouped + std::string(style->decimal) + fracPart : grouped;
    negative = negative && amount.find_first_of("123456789") != std::string::npos;
    std::string out = negative ? "-" : "";
    if (style->symbolAfter) {
        out += amount + "\u00A0" + std::string(style->symbol);
    } else {
        out += std::string(style->symbol) + amount;
    }
    return out;
}

} // namespace

std::optional<std::string> NumberFormatter::currency(const Value& decimal, std::string_view localeId) {
    if (const std::string* text = decimal.asDecimal()) {
        return currencyFromText(*text, localeId);
    }
    if (const std::string* text = decimal.asString()) {
        return currencyFromText(*text, localeId);
    }
    if (decimal.kind() == Value::Kind::Int) {
        return currencyFromText(std::to_string(decimal.longLongValue()), localeId);
    }
    if (decimal.kind() == Value::Kind::Double) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", decimal.doubleValue());
        return currencyFromText(buf, localeId);
    }
    ZLOG(Warn, "NumberFormatter: %@ is not an amount", decimal);
    return std::nullopt;
}

} // namespace fnd
