// PacketReader: checked reads of a received packet's elements by kind (number, text, text or number,
// nested list), in three forms: a Result whose error names the element, a throwing accessor for
// handlers that catch once, and optional reads that give null for an absent element.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

// A packet element that is missing or of the wrong kind; what() is the reason, naming the element
// ("element 3 is not text").
class BadPacket : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PacketReader {
public:
    // What intValue answers past the end.
    static constexpr int32_t kPastEnd = std::numeric_limits<int32_t>::max();

    // Reads `packet` when it is an array; any other value reads as a packet without elements.
    explicit PacketReader(fnd::Value packet);

    size_t count() const { return array_->count(); }
    const fnd::Value& packet() const { return packet_; }
    const fnd::Array& array() const { return *array_; }
    const std::shared_ptr<fnd::Array>& arrayPtr() const { return array_; }

    // Result reads; the error's failure reason names the element ("element 2 missing").
    fnd::Result<fnd::Value> element(size_t index) const;
    // A number, truncated toward zero to 32 bits ("element N is not a number").
    fnd::Result<int32_t> number(size_t index) const;
    // An integer of the tagged codec, not a real number ("element N is not a whole number").
    fnd::Result<int64_t> wholeNumber(size_t index) const;
    // A string ("element N is not text").
    fnd::Result<std::string> text(size_t index) const;
    // A string, or a number as its text ("element N is not text").
    fnd::Result<std::string> textOrNumber(size_t index) const;
    // A nested array of at least `minCount` elements ("element N is not a list of M").
    fnd::Result<PacketReader> list(size_t index, size_t minCount = 0) const;

    // The same reads, throwing BadPacket with the reason.
    fnd::Value at(size_t index) const;
    int32_t intAt(size_t index) const;
    std::string stringAt(size_t index) const;
    std::string textAt(size_t index) const;
    PacketReader arrayAt(size_t index, size_t minCount = 0) const;

    // Optional reads: null / nullopt when the element is absent or of another kind.
    const std::string* optionalText(size_t index) const;
    std::optional<PacketReader> optionalList(size_t index) const;
    std::optional<int32_t> optionalNumber(size_t index) const;
    // A whole number within the 32-bit range (no real number, no text); nullopt otherwise.
    std::optional<int32_t> optionalInt32(size_t index) const;

    // The element's fnd::Value::intValue (a string's leading integer, 0 for null or containers), and
    // kPastEnd when the index is not below the count.
    int32_t intValue(size_t index) const;

    // The failure reason of an error a read gave.
    static std::string reasonOf(const fnd::Error& error) { return error.localizedFailureReason(); }

    // The one WARN line of a packet that could not be read: "<what> <reason>, <preview of the packet>",
    // logged at the caller's file, line and function.
    // (The compiler's built-ins fill the caller's place: both toolchains the project builds with have them.)
    static void warn(std::string_view what, std::string_view reason, const fnd::Value& packet,
                     const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                     const char* function = __builtin_FUNCTION());

private:
    fnd::Value packet_;
    std::shared_ptr<fnd::Array> array_;
};

} // namespace zelvan
