// The lenient JSON scanning engine shared by the ad and store networks' JSON classes: a byte cursor over
// UTF-8 text with the scanner operations they expose, the JSON value scanner with its numbered error
// codes, the encoding sniffing of raw replies, and the compact JSON writer. Values are fnd::Value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::jsonscan {

// The scanners' error domain and codes; the error itself is an fnd::parseError whose user info also
// carries this domain and the code under the keys below.
inline constexpr std::string_view kScannerErrorDomain = "JSONScannerErrorDomain";
inline constexpr std::string_view kErrorDomainKey = "ScannerErrorDomain";
inline constexpr std::string_view kErrorCodeKey = "ScannerErrorCode";

enum ScanCode : int {
    kNoValue = 0, // the text holds no value at this point (not a container's fault)
    kDictionaryStart = -1,
    kDictionaryKey = -2,
    kDictionaryColon = -3,
    kDictionaryValue = -4,
    kDictionaryComma = -5,
    kDictionaryEnd = -6, // -6 and -10 name the closing bracket; a text cut off fails in the step it stopped in
    kArrayStart = -7,
    kArrayValue = -8,
    kArrayComma = -9,
    kArrayEnd = -10,
    kStringStart = -11,
    kStringUnicode = -12,
    kStringEscape = -13,
    kNumber = -14,
};

// Containers nested deeper than this fail (the enclosing container's value code, and a reason that
// names the limit).
inline constexpr int kMaxDepth = 256;

// The message of a scanner code.
std::string_view scanMessage(int code);

// A set of bytes.
class ByteSet {
public:
    ByteSet() = default;
    explicit ByteSet(std::string_view bytes);
    bool contains(uint8_t b) const { return (bits_[b >> 6] >> (b & 63)) & 1U; }

private:
    std::array<uint64_t, 4> bits_{};
};

// Converts the reply bytes to UTF-8 by the zero-byte pattern of the first four bytes (UTF-16 or UTF-32
// of either byte order); any other data is returned unchanged.
std::string sniffToUtf8(const fnd::Bytes& data);

// A cursor over text. Every scan advances only on success; a failed JSON scan puts the position back
// where the value began and keeps the failure for error().
//
// Two settings for a byte that begins no value (or a misspelled true, false or null, or the end of the
// text): strict (the default) fails the value; lenient makes it a success with no value that consumes
// nothing (gaveNoValue()): an object then drops the key of such a value, an array fails with its value
// code, since it cannot hold the entry.
class Scanner {
public:
    explicit Scanner(std::string text = {});

    bool lenient() const { return lenient_; }
    void setLenient(bool lenient) { lenient_ = lenient; }
    // Whether the last successful scanValue() found no value (lenient setting only).
    bool gaveNoValue() const { return noValue_; }

    void setText(std::string text);
    const std::string& text() const { return text_; }
    size_t location() const { return pos_; }
    void setLocation(size_t location) { pos_ = location < text_.size() ? location : text_.size(); }
    bool isAtEnd() const { return pos_ >= text_.size(); }

    // Byte operations.
    std::optional<uint8_t> current() const;
    bool scanByte(uint8_t byte);
    std::optional<uint8_t> scanAnyByte();
    bool scanExact(std::string_view bytes);
    // The longest run of bytes in `set` (at least one), decoded from UTF-8.
    bool scanRun(const ByteSet& set, std::string* out);
    // Everything up to `stop` (or the end), at least one byte.
    bool scanUpTo(std::string_view stop, std::string* out);
    bool scanUpToAny(const ByteSet& set, std::string* out);
    // The run of number bytes, read as its longest decimal prefix; none fails.
    bool scanNumber(double* out);
    // Skips space, tab, line feed, vertical tab, form feed and carriage return.
    void skipWhitespace() {
        while (pos_ < text_.size() && isWhitespace(static_cast<uint8_t>(text_[pos_]))) {
            ++pos_;
        }
    }
    std::string remaining() const;

    const ByteSet& numberBytes() const { return numberBytes_; }
    void setNumberBytes(ByteSet set) { numberBytes_ = set; }

    // JSON scans; the value goes to `out`, which is left alone on failure.
    bool scanValue(fnd::Value* out);
    bool scanDictionary(fnd::Value* out);
    bool scanArray(fnd::Value* out);
    bool scanString(fnd::Value* out);
    bool scanNumberValue(fnd::Value* out);

    // The last failure as an fnd::parseError (its offset where scanning stopped, its reason the message).
    fnd::Error error() const;
    int errorCode() const { return faultCode_; }

private:
    static constexpr bool isWhitespace(uint8_t b) { return b == ' ' || (b >= '\t' && b <= '\r'); }
    bool fail(int code, size_t at);
    // A container's failure: its own code replaces the failing step's, also at the end of the text, and
    // the position goes back to where the container began.
    bool failContainer(int code, size_t begin);
    bool scanStringText(std::string* out);
    bool readHex4(uint32_t* unit);
    // A value that is not there: a lenient success without a value, else a failure (position unchanged).
    bool noValueAt(size_t begin, size_t at);

    std::string text_;
    size_t pos_ = 0;
    int depth_ = 0;
    int faultCode_ = 0;
    bool lenient_ = false;
    bool noValue_ = false;
    bool faultTooDeep_ = false;
    size_t faultOffset_ = 0;
    ByteSet numberBytes_;
};

// The compact JSON text of a value (no white space; dictionary keys in the table's order). Non-finite
// numbers are written as null. Dates, objects, data that is not UTF-8 and containers nested deeper than
// kMaxDepth fail with a message naming the value.
fnd::Result<std::string> serialize(const fnd::Value& value);

} // namespace zelvan::jsonscan
