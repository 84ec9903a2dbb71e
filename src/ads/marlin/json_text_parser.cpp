// The interstitial client's JSON reader: values, strings with their escapes and UTF-8 check, numbers
// kept as literal text, and containers under a nesting limit, each failure with its own text.
#include "ads/marlin/json_text_parser.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "core/json_text_runs.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/utf16.h"

namespace zelvan::marlin {
namespace {

// A string's plain bytes end at a control byte, a quote, a backslash or the first byte of a multi-byte
// sequence.
constexpr jsonscan::RunStops kStringStops{true, true, {'"', '\\'}};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// White space between tokens: space, tab, line feed, vertical tab, form feed, carriage return.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool canStartValue(char c) {
    return c == '[' || c == '{' || c == '"' || c == 't' || c == 'f' || c == 'n' || c == '-' || c == '+' || isDigit(c);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Whether the literal (already checked against the number grammar) fits a double. Plain integers and
// fractions with few integer digits always do; others are measured.
bool fitsDouble(std::string_view literal) {
    size_t intDigits = 0;
    for (char ch : literal) {
        if (ch == 'e' || ch == 'E') {
            intDigits = 1000; // measure
            break;
        }
        if (isDigit(ch)) {
            ++intDigits;
        } else if (ch == '.') {
            break;
        }
    }
    if (intDigits <= 300) {
        return true;
    }
    std::string copy(literal);
    errno = 0;
    double d = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(d) && !(errno == ERANGE && std::fabs(d) > 1.0);
}

} // namespace

void JsonTextParser::setMaxDepth(unsigned depth) {
    maxDepth_ = depth == 0 || depth > kDefaultMaxDepth ? kDefaultMaxDepth : depth;
}

fnd::Result<fnd::Value> JsonTextParser::objectWithString(std::string_view text, bool allowScalar) {
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    begin_ = c_ = text.data();
    end_ = text.data() + text.size();
    depth_ = 0;
    failed_ = false;
    fnd::Value value;
    bool ok = scanValue(&value);
    if (ok && !scanIsAtEnd()) {
        ok = fail(fnd::kParseTrailingBytes, static_cast<size_t>(c_ - begin_), "ETRAILGARBAGE: Garbage after JSON");
    }
    if (ok && !allowScalar && !value.isArray() && !value.isDictionary()) {
        ok = fail(fnd::kParseMalformed, 0, "EFRAGMENT: Valid fragment, but not JSON");
    }
    begin_ = c_ = end_ = nullptr;
    if (!ok) {
        return fnd::parseError(static_cast<fnd::ParseErrorCode>(errorCode_), errorOffset_, errorReason_);
    }
    return value;
}

bool JsonTextParser::fail(int64_t code, size_t offset, std::string reason) {
    if (!failed_) { // the innermost failure names the fault
        failed_ = true;
        errorCode_ = code;
        errorOffset_ = offset;
        errorReason_ = std::move(reason);
    }
    return false;
}

void JsonTextParser::skipWhitespace() {
    while (c_ < end_ && isSpace(*c_)) {
        ++c_;
    }
}

bool JsonTextParser::scanIsAtEnd() {
    skipWhitespace();
    return atEnd();
}

bool JsonTextParser::scanValue(fnd::Value* out) {
    skipWhitespace();
    if (atEnd()) {
        return fail(fnd::kParseTruncated, static_cast<size_t>(c_ - begin_), "EEOF: Unexpected end of string");
    }
    switch (*c_) {
    case '[':
        ++c_;
        return scanRestOfArray(out);
    case '{':
        ++c_;
        return scanRestOfDictionary(out);
    case '"': {
        ++c_;
        std::string s;
        if (!scanRestOfString(&s)) {
            return false;
        }
        *out = fnd::Value(std::move(s));
        return true;
    }
    case 't':
        return scanRestOfLiteral("true", "EPARSE: Expected 'true'", fnd::Value(true), out);
    case 'f':
        return scanRestOfLiteral("false", "EPARSE: Expected 'false'", fnd::Value(false), out);
    case 'n':
        return scanRestOfLiteral("null", "EPARSE: Expected 'null'", fnd::Value(), out);
    case '+':
        return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                    "EPARSENUM: Leading + disallowed in number");
    default:
        if (*c_ == '-' || isDigit(*c_)) {
            return scanNumber(out);
        }
        return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_), "EPARSE: Unrecognised leading character");
    }
}

bool JsonTextParser::scanRestOfLiteral(std::string_view word, const char* message, fnd::Value value, fnd::Value* out) {
    if (static_cast<size_t>(end_ - c_) < word.size() || std::memcmp(c_, word.data(), word.size()) != 0) {
        return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_), message);
    }
    c_ += word.size();
    *out = std::move(value);
    return true;
}

bool JsonTextParser::scanRestOfString(std::string* out) {
    for (;;) {
        // Plain ASCII runs are passed a word at a time; each multi-byte sequence is checked on its own.
        const char* run = c_;
        while (true) {
            c_ += jsonscan::plainRunLength<kStringStops>(c_, static_cast<size_t>(end_ - c_));
            if (c_ == end_ || static_cast<unsigned char>(*c_) < 0x80) {
                break;
            }
            const size_t n = jsonscan::utf8SequenceLength(c_, static_cast<size_t>(end_ - c_));
            if (n == 0) {
                return fail(fnd::kParseBadEncoding, static_cast<size_t>(c_ - begin_), "EUTF8: Invalid UTF-8 in string");
            }
            c_ += n;
        }
        out->append(run, static_cast<size_t>(c_ - run));
        if (atEnd()) {
            return fail(fnd::kParseTruncated, static_cast<size_t>(c_ - begin_),
                        "EEOF: Unexpected EOF while parsing string");
        }
        auto b = static_cast<unsigned char>(*c_);
        if (b == '"') {
            ++c_;
            return true;
        }
        if (b < 0x20) {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        fnd::format("ECTRL: Unescaped control character '0x%x'", static_cast<unsigned>(b)));
        }
        ++c_; // the backslash
        if (atEnd()) {
            return fail(fnd::kParseTruncated, static_cast<size_t>(c_ - begin_),
                        "EEOF: Unexpected EOF while parsing string");
        }
        char e = *c_;
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out->push_back(e);
            break;
        case 'b':
            out->push_back('\b');
            break;
        case 'f':
            out->push_back('\f');
            break;
        case 'n':
            out->push_back('\n');
            break;
        case 'r':
            out->push_back('\r');
            break;
        case 't':
            out->push_back('\t');
            break;
        case 'u':
            ++c_;
            if (!scanUnicodeChar(out)) {
                return false;
            }
            continue;
        default:
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        fnd::format("EESCAPE: Illegal escape sequence '0x%x'",
                                    static_cast<unsigned>(static_cast<unsigned char>(e))));
        }
        ++c_;
    }
}

bool JsonTextParser::scanHexQuad(unsigned* out) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
        int h = c_ < end_ ? hexValue(*c_) : -1;
        if (h < 0) {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_), "EUNICODE: Missing hex quad");
        }
        v = v * 16 + static_cast<unsigned>(h);
        ++c_;
    }
    *out = v;
    return true;
}

bool JsonTextParser::scanUnicodeChar(std::string* out) {
    unsigned hi = 0;
    if (!scanHexQuad(&hi)) {
        return false;
    }
    char32_t cp = hi;
    if (hi >= 0xDC00 && hi <= 0xDFFF) {
        return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_) - 4,
                    "EUNICODE: Invalid high character in surrogate pair");
    }
    if (hi >= 0xD800 && hi <= 0xDBFF) {
        if (end_ - c_ < 2 || c_[0] != '\\' || c_[1] != 'u') {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EUNICODE: Missing low character in surrogate pair");
        }
        c_ += 2;
        unsigned lo = 0;
        if (!scanHexQuad(&lo)) {
            return false;
        }
        if (lo < 0xDC00 || lo > 0xDFFF) {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_) - 4,
                        "EUNICODE: Invalid low surrogate char");
        }
        cp = 0x10000 + ((hi - 0xD800) << 10) + (lo - 0xDC00);
    }
    fnd::appendUtf8(*out, cp);
    return true;
}

bool JsonTextParser::scanNumber(fnd::Value* out) {
    const char* start = c_;
    auto here = [&] { return static_cast<size_t>(c_ - begin_); };
    if (*c_ == '-') {
        ++c_;
        if (atEnd() || !isDigit(*c_)) {
            return fail(fnd::kParseMalformed, here(), "EPARSENUM: No digits after initial minus");
        }
    }
    if (*c_ == '0') {
        ++c_;
        if (!atEnd() && isDigit(*c_)) {
            return fail(fnd::kParseMalformed, here(), "EPARSENUM: Leading 0 disallowed in number");
        }
    } else {
        while (!atEnd() && isDigit(*c_)) {
            ++c_;
        }
    }
    if (!atEnd() && *c_ == '.') {
        ++c_;
        if (atEnd() || !isDigit(*c_)) {
            return fail(fnd::kParseMalformed, here(), "EPARSENUM: No digits after decimal point");
        }
        while (!atEnd() && isDigit(*c_)) {
            ++c_;
        }
    }
    if (!atEnd() && (*c_ == 'e' || *c_ == 'E')) {
        ++c_;
        if (!atEnd() && (*c_ == '+' || *c_ == '-')) {
            ++c_;
        }
        if (atEnd() || !isDigit(*c_)) {
            return fail(fnd::kParseMalformed, here(), "EPARSENUM: No digits after exponent");
        }
        while (!atEnd() && isDigit(*c_)) {
            ++c_;
        }
    }
    std::string_view literal(start, static_cast<size_t>(c_ - start));
    if (!fitsDouble(literal)) {
        return fail(fnd::kParseMalformed, static_cast<size_t>(start - begin_),
                    "EPARSENUM: Failed creating decimal instance");
    }
    *out = fnd::Value::decimal(std::string(literal));
    return true;
}

bool JsonTextParser::enterContainer() {
    if (++depth_ > maxDepth_) {
        return fail(fnd::kParseTooDeep, static_cast<size_t>(c_ - begin_) - 1, "EDEPTH: Nested too deep");
    }
    return true;
}

bool JsonTextParser::scanRestOfDictionary(fnd::Value* out) {
    if (!enterContainer()) {
        return false;
    }
    auto dict = std::make_shared<fnd::Dictionary>();
    bool afterComma = false;
    auto eof = [&] {
        return fail(fnd::kParseTruncated, static_cast<size_t>(c_ - begin_), "EEOF: End of input while parsing object");
    };
    for (;;) {
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (*c_ == '}') {
            if (afterComma) {
                return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                            "ETRAILCOMMA: Trailing comma disallowed in object");
            }
            ++c_;
            break;
        }
        if (*c_ != '"') {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_), "EPARSE: Object key string expected");
        }
        ++c_;
        std::string key;
        if (!scanRestOfString(&key)) {
            return false;
        }
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (*c_ != ':') {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EPARSE: Expected ':' separating key and value");
        }
        ++c_;
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (!canStartValue(*c_)) {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EPARSE: Object value expected for key: " + fnd::logPreview(key, 64));
        }
        fnd::Value value;
        if (!scanValue(&value)) {
            return false;
        }
        afterComma = false;
        dict->setObject(std::move(value), fnd::Key(std::move(key)));
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (*c_ == ',') {
            ++c_;
            afterComma = true;
        } else if (*c_ == '}') {
            ++c_;
            break;
        } else {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EPARSE: Expected ',' or '}' after object value");
        }
    }
    --depth_;
    *out = fnd::Value(std::move(dict));
    return true;
}

bool JsonTextParser::scanRestOfArray(fnd::Value* out) {
    if (!enterContainer()) {
        return false;
    }
    auto array = std::make_shared<fnd::Array>();
    bool afterComma = false;
    auto eof = [&] {
        return fail(fnd::kParseTruncated, static_cast<size_t>(c_ - begin_), "EEOF: End of input while parsing array");
    };
    for (;;) {
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (*c_ == ']') {
            if (afterComma) {
                return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                            "ETRAILCOMMA: Trailing comma disallowed in array");
            }
            ++c_;
            break;
        }
        if (!canStartValue(*c_)) {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EPARSE: Expected value while parsing array");
        }
        fnd::Value value;
        if (!scanValue(&value)) {
            return false;
        }
        afterComma = false;
        array->addObject(std::move(value));
        skipWhitespace();
        if (atEnd()) {
            return eof();
        }
        if (*c_ == ',') {
            ++c_;
            afterComma = true;
        } else if (*c_ == ']') {
            ++c_;
            break;
        } else {
            return fail(fnd::kParseMalformed, static_cast<size_t>(c_ - begin_),
                        "EPARSE: Expected ',' or ']' after array value");
        }
    }
    --depth_;
    *out = fnd::Value(std::move(array));
    return true;
}

} // namespace zelvan::marlin
