// fnd::Error (a domain, a code and a user-info dictionary with the texts to show) and fnd::Result<T>,
// the return type of work whose failure must be explained, with TRY to pass failures upward.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/foundation/value.h"

namespace fnd {

class Error {
public:
    // User-info keys of the two texts.
    static constexpr std::string_view kLocalizedDescriptionKey = "LocalizedDescription";
    static constexpr std::string_view kLocalizedFailureReasonKey = "LocalizedFailureReason";

    // `userInfo` is used when it is a dictionary; anything else gives an empty one.
    Error(std::string domain, int64_t code, Value userInfo = Value());
    // Sets the description (and a non-empty failure reason) in a fresh user info.
    Error(std::string domain, int64_t code, std::string_view description, std::string_view failureReason = {});

    const std::string& domain() const { return domain_; }
    int64_t code() const { return code_; }
    // The user info's description text, or "The operation couldn't be completed. (<domain> error <code>.)".
    std::string localizedDescription() const;
    // The user info's failure reason, or "".
    std::string localizedFailureReason() const;
    // Always a dictionary (shared: edits through it show in every copy of this error).
    const Value& userInfo() const { return userInfo_; }

    // "Error Domain=<domain> Code=<code> \"<description>\" UserInfo=<userInfo description>".
    std::string description() const;

private:
    std::string domain_;
    int64_t code_ = 0;
    Value userInfo_;
};

// Aborts with a log line; reached only when a caller reads the wrong side of a Result.
[[noreturn]] void resultAccessFailed(const char* what);

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; reading it from a failed result logs and aborts (a programming error).
    T& value() & {
        return ok() ? std::get<0>(v_) : (resultAccessFailed("value() of a failed Result"), std::get<0>(v_));
    }
    const T& value() const& {
        return ok() ? std::get<0>(v_) : (resultAccessFailed("value() of a failed Result"), std::get<0>(v_));
    }
    T&& value() && { return std::move(value()); }
    // Shorthands for value(), with the same check.
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The error; reading it from a successful result logs and aborts (a programming error).
    const Error& error() const& {
        return ok() ? (resultAccessFailed("error() of a successful Result"), std::get<1>(v_)) : std::get<1>(v_);
    }
    Error&& error() && { return std::move(const_cast<Error&>(std::as_const(*this).error())); }

    template <class U>
    T valueOr(U&& fallback) const& {
        return ok() ? std::get<0>(v_) : static_cast<T>(std::forward<U>(fallback));
    }
    template <class U>
    T valueOr(U&& fallback) && {
        return ok() ? std::move(std::get<0>(v_)) : static_cast<T>(std::forward<U>(fallback));
    }

    // True when the result succeeded with a value equal to `v` (a failed result equals no value).
    friend bool operator==(const Result& r, const T& v) { return r.ok() && std::get<0>(r.v_) == v; }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    void value() const {
        if (!ok()) {
            resultAccessFailed("value() of a failed Result");
        }
    }
    const Error& error() const& {
        if (ok()) {
            resultAccessFailed("error() of a successful Result");
        }
        return *error_;
    }
    Error&& error() && {
        if (ok()) {
            resultAccessFailed("error() of a successful Result");
        }
        return std::move(*error_);
    }

private:
    std::optional<Error> error_;
};

} // namespace fnd

// Evaluates a Result expression; on failure returns its error from the enclosing function (whose
// return type is a Result), otherwise yields the value.
#define TRY(expr)                                                                                                      \
    ({                                                                                                                 \
        auto&& zelvanTryResult_ = (expr);                                                                              \
        if (!zelvanTryResult_.ok()) {                                                                                  \
            return std::move(zelvanTryResult_).error();                                                                \
        }                                                                                                              \
        std::move(zelvanTryResult_).value();                                                                           \
    })
