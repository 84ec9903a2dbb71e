// fnd::Value: typed access, conversions, debug descriptions, deep copies and equality.
#include "platform/foundation/value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "platform/foundation/data_slice.h"
#include "platform/foundation/data_slice_detail.h"
#include "platform/foundation/scalar.h"

namespace fnd {

// Recursive helpers with access to the variant.
class ValueOps {
public:
    static void describe(const Value& v, std::string& out, bool nested, int depth);
    static Value deepCopy(const Value& v, int depth);
    static bool equal(const Value& a, const Value& b, int depth);
    static const auto& raw(const Value& v) { return v.v_; }
};

namespace {

int32_t saturateToInt32(int64_t i) {
    if (i > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (i < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(i);
}

// True when decimal text holds no fraction or exponent, so it reads exactly as an integer.
bool isIntegerText(std::string_view text) {
    DecimalPrefix p = decimalPrefix(text);
    return text.substr(p.start, p.length).find_first_of(".eE") == std::string_view::npos;
}

int64_t decimalToInt64(const std::string& text) {
    return isIntegerText(text) ? fnd::longLongValue(text) : saturatingInt64(fnd::doubleValue(text));
}

std::string shortestDouble(double d) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

std::string dateText(Date d) {
    double unix = std::floor(d.since1970());
    // Years 0..9999 only; anything else has no calendar text.
    if (!(unix >= -62167219200.0 && unix < 253402300800.0)) {
        return shortestDouble(d.sinceReferenceDate());
    }
    auto secs = static_cast<time_t>(unix);
    struct tm parts {};
    gmtime_r(&secs, &parts);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d +0000", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buf;
}

void appendQuotedIfNeeded(const std::string& s, std::string& out) {
    bool bare = !s.empty();
    for (char c : s) {
        bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) {
            bare = false;
            break;
        }
    }
    if (bare) {
        out += s;
        return;
    }
    out += '"';
    for (char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

// A number as either an exact integer or a double, for comparisons across kinds.
struct Number {
    bool exact = false;
    int64_t i = 0;
    double d = 0;
};

Number numberOf(const Value& v) {
    if (auto i = v.asInt()) {
        return {true, *i, static_cast<double>(*i)};
    }
    if (const std::string* text = v.asDecimal()) {
        if (isIntegerText(*text)) {
            int64_t i = fnd::longLongValue(*text);
            return {true, i, static_cast<double>(i)};
        }
        return {false, 0, fnd::doubleValue(*text)};
    }
    return {false, 0, v.doubleValue()};
}

bool numbersEqual(const Number& a, const Number& b) {
    if (a.exact && b.exact) {
        return a.i == b.i;
    }
    if (a.exact != b.exact) {
        const Number& n = a.exact ? a : b;
        double d = a.exact ? b.d : a.d;
        // Equal only when the double is integral and converts back to the same integer.
        return std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0 &&
               static_cast<int64_t>(d) == n.i;
    }
    return a.d == b.d;
}

} // namespace

Value Value::array() {
    return Value(std::make_shared<Array>());
}

Value Value::array(std::initializer_list<Value> items) {
    return Value(std::make_shared<Array>(items));
}

Value Value::dictionary() {
    return Value(std::make_shared<Dictionary>());
}

Value Value::dictionary(std::initializer_list<std::pair<Key, Value>> entries) {
    return Value(std::make_shared<Dictionary>(entries));
}

const std::string* Value::asDecimal() const {
    if (const DecimalText* d = std::get_if<DecimalText>(&v_)) {
        return &d->text;
    }
    return nullptr;
}

const Bytes* Value::asData() const {
    if (const auto* d = std::get_if<std::shared_ptr<const Bytes>>(&v_)) {
        return slicedetail::wholeBytes(*d);
    }
    return nullptr;
}

std::shared_ptr<const Bytes> Value::dataRef() const {
    if (const auto* d = std::get_if<std::shared_ptr<const Bytes>>(&v_)) {
        slicedetail::wholeBytes(*d);
        return *d;
    }
    return nullptr;
}

std::span<const uint8_t> dataBytes(const Value& v) {
    if (const auto* d = std::get_if<std::shared_ptr<const Bytes>>(&ValueOps::raw(v))) {
        return slicedetail::bytesOf(*d);
    }
    return {};
}

std::optional<Date> Value::asDate() const {
    if (const Date* d = std::get_if<Date>(&v_)) {
        return *d;
    }
    return std::nullopt;
}

std::shared_ptr<Array> Value::asArray() const {
    if (const auto* a = std::get_if<std::shared_ptr<Array>>(&v_)) {
        return *a;
    }
    return nullptr;
}

std::shared_ptr<Dictionary> Value::asDictionary() const {
    if (const auto* d = std::get_if<std::shared_ptr<Dictionary>>(&v_)) {
        return *d;
    }
    return nullptr;
}

std::shared_ptr<Object> Value::asObject() const {
    if (const auto* o = std::get_if<std::shared_ptr<Object>>(&v_)) {
        return *o;
    }
    return nullptr;
}

int32_t Value::intValue() const {
    switch (kind()) {
    case Kind::Int:
        // Like the original 32-bit int conversion: keeps the low 32 bits.
        return static_cast<int32_t>(std::get<int64_t>(v_));
    case Kind::String:
        return fnd::intValue(std::get<std::string>(v_));
    case Kind::Double:
    case Kind::Decimal:
        return saturateToInt32(longLongValue());
    case Kind::Bool:
        return std::get<bool>(v_) ? 1 : 0;
    default:
        return 0;
    }
}

int64_t Value::longLongValue() const {
    switch (kind()) {
    case Kind::Int:
        return std::get<int64_t>(v_);
    case Kind::String:
        return fnd::longLongValue(std::get<std::string>(v_));
    case Kind::Double:
        return saturatingInt64(std::get<double>(v_));
    case Kind::Decimal:
        return decimalToInt64(std::get<DecimalText>(v_).text);
    case Kind::Bool:
        return std::get<bool>(v_) ? 1 : 0;
    default:
        return 0;
    }
}

double Value::doubleValue() const {
    switch (kind()) {
    case Kind::Int:
        return static_cast<double>(std::get<int64_t>(v_));
    case Kind::Double:
        return std::get<double>(v_);
    case Kind::String:
        return fnd::doubleValue(std::get<std::string>(v_));
    case Kind::Decimal:
        return fnd::doubleValue(std::get<DecimalText>(v_).text);
    case Kind::Bool:
        return std::get<bool>(v_) ? 1.0 : 0.0;
    default:
        return 0.0;
    }
}

float Value::floatValue() const {
    switch (kind()) {
    case Kind::String:
        return fnd::floatValue(std::get<std::string>(v_));
    case Kind::Decimal:
        return fnd::floatValue(std::get<DecimalText>(v_).text);
    default:
        return static_cast<float>(doubleValue());
    }
}

bool Value::boolValue() const {
    switch (kind()) {
    case Kind::Bool:
        return std::get<bool>(v_);
    case Kind::Int:
        return std::get<int64_t>(v_) != 0;
    case Kind::Double:
        return std::get<double>(v_) != 0.0;
    case Kind::Decimal:
        return fnd::doubleValue(std::get<DecimalText>(v_).text) != 0.0;
    case Kind::String:
        return fnd::boolValue(std::get<std::string>(v_));
    default:
        return false;
    }
}

std::string Value::stringValue() const {
    switch (kind()) {
    case Kind::Null:
        return "";
    case Kind::String:
        return std::get<std::string>(v_);
    default:
        return description();
    }
}

std::string Value::description() const {
    std::string out;
    ValueOps::describe(*this, out, false, 0);
    return out;
}

void ValueOps::describe(const Value& v, std::string& out, bool nested, int depth) {
    if (depth > Value::kMaxDepth) {
        out += "...";
        return;
    }
    switch (v.kind()) {
    case Value::Kind::Null:
        out += "<null>";
        break;
    case Value::Kind::Bool:
        out += *v.asBool() ? "1" : "0";
        break;
    case Value::Kind::Int:
        out += std::to_string(*v.asInt());
        break;
    case Value::Kind::Double:
        out += shortestDouble(*v.asDouble());
        break;
    case Value::Kind::Decimal:
        out += *v.asDecimal();
        break;
    case Value::Kind::String:
        if (nested) {
            appendQuotedIfNeeded(*v.asString(), out);
        } else {
            out += *v.asString();
        }
        break;
    case Value::Kind::Data: {
        static const char hex[] = "0123456789abcdef";
        std::span<const uint8_t> bytes = dataBytes(v);
        out += '<';
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i > 0 && i % 4 == 0) {
                out += ' ';
            }
            out += hex[bytes[i] >> 4];
            out += hex[bytes[i] & 0xf];
        }
        out += '>';
        break;
    }
    case Value::Kind::Date:
        out += dateText(*v.asDate());
        break;
    case Value::Kind::Array: {
        auto array = v.asArray();
        if (array->empty()) {
            out += "()";
            break;
        }
        out += "( ";
        bool first = true;
        for (const Value& item : *array) {
            if (!first) {
                out += ", ";
            }
            first = false;
            describe(item, out, true, depth + 1);
        }
        out += " )";
        break;
    }
    case Value::Kind::Dictionary: {
        auto dict = v.asDictionary();
        if (dict->empty()) {
            out += "{}";
            break;
        }
        out += "{ ";
        for (const auto& [key, item] : *dict) {
            if (key.isString()) {
                appendQuotedIfNeeded(key.stringKey(), out);
            } else {
                out += std::to_string(key.intKey());
            }
            out += " = ";
            describe(item, out, true, depth + 1);
            out += "; ";
        }
        out += '}';
        break;
    }
    case Value::Kind::Object:
        out += v.asObject()->description();
        break;
    }
}

Value Value::deepCopy() const {
    return ValueOps::deepCopy(*this, 0);
}

Value ValueOps::deepCopy(const Value& v, int depth) {
    if (depth > Value::kMaxDepth) {
        return v;
    }
    switch (v.kind()) {
    case Value::Kind::Data: {
        std::span<const uint8_t> bytes = dataBytes(v);
        return Value(Bytes(bytes.begin(), bytes.end()));
    }
    case Value::Kind::Array: {
        auto copy = std::make_shared<Array>();
        for (const Value& item : *v.asArray()) {
            copy->addObject(deepCopy(item, depth + 1));
        }
        return Value(copy);
    }
    case Value::Kind::Dictionary: {
        auto copy = std::make_shared<Dictionary>();
        for (const auto& [key, item] : *v.asDictionary()) {
            copy->setObject(deepCopy(item, depth + 1), key);
        }
        return Value(copy);
    }
    default:
        return v;
    }
}

bool operator==(const Value& a, const Value& b) {
    return ValueOps::equal(a, b, 0);
}

bool ValueOps::equal(const Value& a, const Value& b, int depth) {
    if (a.isNumber() && b.isNumber()) {
        if (a.isDecimal() && b.isDecimal() && *a.asDecimal() == *b.asDecimal()) {
            return true;
        }
        return numbersEqual(numberOf(a), numberOf(b));
    }
    if (a.kind() != b.kind()) {
        return false;
    }
    if (Value::identical(a, b)) {
        return true;
    }
    if (depth > Value::kMaxDepth) {
        return false;
    }
    switch (a.kind()) {
    case Value::Kind::String:
        return *a.asString() == *b.asString();
    case Value::Kind::Data:
        return std::ranges::equal(dataBytes(a), dataBytes(b));
    case Value::Kind::Array: {
        auto x = a.asArray();
        auto y = b.asArray();
        if (x->count() != y->count()) {
            return false;
        }
        for (size_t i = 0; i < x->count(); ++i) {
            if (!equal(x->objectAtIndex(i), y->objectAtIndex(i), depth + 1)) {
                return false;
            }
        }
        return true;
    }
    case Value::Kind::Dictionary: {
        auto x = a.asDictionary();
        auto y = b.asDictionary();
        if (x->count() != y->count()) {
            return false;
        }
        for (const auto& [key, item] : *x) {
            const Value* other = y->find(key);
            if (other == nullptr || !equal(item, *other, depth + 1)) {
                return false;
            }
        }
        return true;
    }
    default:
        return false; // scalars of equal kind were settled by identical()
    }
}

bool Value::identical(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) {
        return false;
    }
    switch (a.kind()) {
    case Kind::Null:
        return true;
    case Kind::Bool:
        return *a.asBool() == *b.asBool();
    case Kind::Int:
        return *a.asInt() == *b.asInt();
    case Kind::Double:
        return *a.asDouble() == *b.asDouble();
    case Kind::Decimal:
        return *a.asDecimal() == *b.asDecimal();
    case Kind::String:
        return *a.asString() == *b.asString();
    case Kind::Date:
        return *a.asDate() == *b.asDate();
    case Kind::Data:
        return std::get<std::shared_ptr<const Bytes>>(a.v_) == std::get<std::shared_ptr<const Bytes>>(b.v_);
    case Kind::Array:
        return a.asArray() == b.asArray();
    case Kind::Dictionary:
        return a.asDictionary() == b.asDictionary();
    case Kind::Object:
        return a.asObject() == b.asObject();
    }
    return false;
}

} // namespace fnd
