// The one printf-style formatter: fnd::format renders the system's own format texts (with %@ for
// values and objects), and fnd::formatUntrusted renders templates that come from servers or scripts.
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace fnd {

// One argument of a format call. It only refers to the caller's strings, values and objects, which
// outlive the call, so building one is cheap.
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Double, Text, CString, Value, Object, Pointer };

    FormatArg(bool b) : kind_(Kind::Signed), i_(b ? 1 : 0) {}
    template <std::signed_integral T>
    FormatArg(T i) : kind_(Kind::Signed), i_(i) {}
    template <std::unsigned_integral T>
    requires(!std::same_as<T, bool>) FormatArg(T u) : kind_(Kind::Unsigned), u_(u) {}
    template <std::floating_point T>
    FormatArg(T d) : kind_(Kind::Double), d_(static_cast<double>(d)) {}
    FormatArg(const std::string& s) : kind_(Kind::Text), text_(s) {}
    FormatArg(std::string_view s) : kind_(Kind::Text), text_(s) {}
    // A null C string prints "(null)".
    FormatArg(const char* s) : kind_(Kind::CString), cstr_(s) {}
    // Only a Value itself (no conversions into a temporary Value that would not outlive the call).
    template <class V>
    requires std::same_as<V, Value> FormatArg(const V& v) : kind_(Kind::Value), value_(&v) {}
    template <std::derived_from<Object> T>
    FormatArg(const std::shared_ptr<T>& o) : kind_(Kind::Object), object_(o.get()) {}
    template <class T>
    requires(!std::same_as<std::remove_cv_t<T>, char>) FormatArg(T* p)
        : kind_(Kind::Pointer), pointer_(static_cast<const volatile void*>(p)) {}
    FormatArg(std::nullptr_t) : kind_(Kind::Pointer), pointer_(nullptr) {}

    Kind kind() const { return kind_; }
    int64_t signedValue() const { return i_; }
    uint64_t unsignedValue() const { return u_; }
    double doubleValue() const { return d_; }
    std::string_view text() const { return text_; }
    const char* cString() const { return cstr_; }
    const Value& value() const { return *value_; }
    const Object* object() const { return object_; }
    const volatile void* pointer() const { return pointer_; }

private:
    Kind kind_;
    union {
        int64_t i_;
        uint64_t u_;
        double d_;
        const char* cstr_;
        const Value* value_;
        const Object* object_;
        const volatile void* pointer_;
    };
    std::string_view text_;
};

// Renders `fmt` with conversions %@ %d %i %u %ld %lld %qi %x %X %o %c %C %s %f %e %g %p %%, flags
// "-+ 0#", width, precision, "*" and positional "%n$". %@ prints description() ("(null)" for a null
// value or object); %d keeps 32 bits and reads strings by their leading integer; %@ and %s print
// numbers as decimal text; %C prints one UTF-16 unit. Widths and precisions of text count UTF-16
// units and are capped at kMaxFormatWidth. A conversion whose argument is missing prints nothing and
// logs one warning per format text; extra arguments are ignored; unknown conversions stay literal.
std::string formatArgs(std::string_view fmt, std::span<const FormatArg> args);

// Renders a template from outside: only %d %lld %f %s and %% are conversions, taken in order. Any
// other '%' stays literal, and so does a conversion left without an argument.
std::string formatUntrustedArgs(std::string_view tmpl, std::span<const FormatArg> args);

inline constexpr int kMaxFormatWidth = 65536;

template <class... A>
std::string format(std::string_view fmt, const A&... a) {
    if constexpr (sizeof...(A) == 0) {
        return formatArgs(fmt, {});
    } else {
        const FormatArg args[] = {FormatArg(a)...};
        return formatArgs(fmt, args);
    }
}

template <class... A>
std::string formatUntrusted(std::string_view tmpl, const A&... a) {
    if constexpr (sizeof...(A) == 0) {
        return formatUntrustedArgs(tmpl, {});
    } else {
        const FormatArg args[] = {FormatArg(a)...};
        return formatUntrustedArgs(tmpl, args);
    }
}

} // namespace fnd
