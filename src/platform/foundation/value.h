// fnd::Value, the one dynamic value type: null, bool, 64-bit integer, double, decimal text, string,
// data, date, array, dictionary or object. Arrays and dictionaries are shared and mutable (copying a
// Value copies the reference); everything else behaves as a plain value.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/object.h"

namespace fnd {

class Array;
class Dictionary;
class Key;

class Value {
public:
    enum class Kind { Null, Bool, Int, Double, Decimal, String, Data, Date, Array, Dictionary, Object };

    // A number kept as its literal text (JSON numbers, store prices).
    struct DecimalText {
        std::string text;
    };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Value(T i) : v_(static_cast<int64_t>(i)) {}
    template <std::floating_point T>
    Value(T d) : v_(static_cast<double>(d)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::in_place_type<std::string>, s) {}
    // A null pointer gives a Null value.
    Value(const char* s) {
        if (s != nullptr) {
            v_ = std::string(s);
        }
    }
    // Other raw pointers would silently turn into Bool; they are refused at compile time.
    template <class T>
    requires(!std::same_as<std::remove_cv_t<T>, char>) Value(T*)
    = delete;
    Value(DecimalText d) : v_(std::move(d)) {}
    Value(Bytes data) : v_(std::make_shared<const Bytes>(std::move(data))) {}
    Value(std::shared_ptr<const Bytes> data) {
        if (data) {
            v_ = std::move(data);
        }
    }
    Value(Date d) : v_(d) {}
    // Null shared pointers give Null values.
    Value(std::shared_ptr<Array> a) {
        if (a) {
            v_ = std::move(a);
        }
    }
    Value(std::shared_ptr<Dictionary> d) {
        if (d) {
            v_ = std::move(d);
        }
    }
    template <std::derived_from<Object> T>
    Value(std::shared_ptr<T> o) {
        if (o) {
            v_ = std::shared_ptr<Object>(std::move(o));
        }
    }

    // Factories: a decimal number from its literal text; a new empty or filled array or dictionary.
    static Value decimal(std::string text) { return Value(DecimalText{std::move(text)}); }
    static Value array();
    static Value array(std::initializer_list<Value> items);
    static Value dictionary();
    static Value dictionary(std::initializer_list<std::pair<Key, Value>> entries);

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isBool() const { return kind() == Kind::Bool; }
    bool isInt() const { return kind() == Kind::Int; }
    bool isDouble() const { return kind() == Kind::Double; }
    bool isDecimal() const { return kind() == Kind::Decimal; }
    // Int, Double or Decimal (not Bool).
    bool isNumber() const { return isInt() || isDouble() || isDecimal(); }
    bool isString() const { return kind() == Kind::String; }
    bool isData() const { return kind() == Kind::Data; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }
    bool isObject() const { return kind() == Kind::Object; }

    // Typed access: empty / null when the value is of another kind; never throws.
    std::optional<bool> asBool() const { return get<bool>(); }
    std::optional<int64_t> asInt() const { return get<int64_t>(); }
    std::optional<double> asDouble() const { return get<double>(); }
    const std::string* asString() const { return std::get_if<std::string>(&v_); }
    const std::string* asDecimal() const;
    const Bytes* asData() const;
    std::shared_ptr<const Bytes> dataRef() const;
    std::optional<Date> asDate() const;
    std::shared_ptr<Array> asArray() const;
    std::shared_ptr<Dictionary> asDictionary() const;
    std::shared_ptr<Object> asObject() const;
    template <std::derived_from<Object> T>
    std::shared_ptr<T> asObject() const {
        return std::dynamic_pointer_cast<T>(asObject());
    }

    // Conversions by the scalar rules: strings by their leading number, doubles truncated toward
    // zero (saturating), bools 0/1, null and other kinds 0 / false / "".
    int32_t intValue() const;
    int64_t longLongValue() const;
    double doubleValue() const;
    float floatValue() const;
    bool boolValue() const;
    // Strings as they are, numbers as their decimal text, dates and containers as description().
    std::string stringValue() const;

    // Debug text: arrays "( a, b )", dictionaries "{ k = v; }", data "<0a0b0c0d 0e>", null "<null>".
    // Empty containers print "()" and "{}". Strings print bare at the top level; inside containers
    // they are quoted (with \" \\ \n \r \t escapes) unless they are non-empty ASCII alphanumerics.
    // Dates print "YYYY-MM-DD HH:MM:SS +0000" in UTC. Nesting beyond kMaxDepth prints "...".
    std::string description() const;

    // A copy with new arrays, dictionaries and data all the way down; objects stay shared.
    Value deepCopy() const;

    // Deep equality: numbers (Int, Double, Decimal) compare by numeric value, Bool only with Bool,
    // dictionaries by their key/value sets regardless of order, objects by identity.
    friend bool operator==(const Value& a, const Value& b);
    // Same scalar value, or the very same array, dictionary, data buffer or object.
    static bool identical(const Value& a, const Value& b);

    // Recursive operations (description, equality, deep copy) stop descending at this depth, so a
    // container that holds itself cannot overflow the stack.
    static constexpr int kMaxDepth = 512;

private:
    friend class ValueOps;
    template <class T>
    std::optional<T> get() const {
        if (const T* p = std::get_if<T>(&v_)) {
            return *p;
        }
        return std::nullopt;
    }

    std::variant<std::monostate, bool, int64_t, double, DecimalText, std::string, std::shared_ptr<const Bytes>, Date,
                 std::shared_ptr<Array>, std::shared_ptr<Dictionary>, std::shared_ptr<Object>>
        v_;
};

} // namespace fnd

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
