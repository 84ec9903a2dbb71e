// The JSON scanning engine: byte cursor, value scanner with its numbered failures, encoding sniffing
// and the compact writer.
#include "core/json_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/json_text_runs.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/utf16.h"

namespace zelvan::jsonscan {

namespace {

// A string's plain bytes end at its closing quote, an escape or the first byte of a multi-byte sequence.
constexpr RunStops kStringStops{false, true, {'"', '\\'}};

// The double of a decimal prefix, read in place by from_chars; what it declines (a leading '+', a value
// out of range) goes to fnd::doubleValue. Both round to the nearest double, so they agree.
double readDouble(std::string_view number) {
    double d = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), d);
    if (ec == std::errc() && end == number.data() + number.size()) {
        return d;
    }
    return fnd::doubleValue(number);
}

fnd::ParseErrorCode parseCodeFor(int code, bool atEnd) {
    if (atEnd) {
        return fnd::kParseTruncated;
    }
    return code == kStringUnicode ? fnd::kParseBadEncoding : fnd::kParseMalformed;
}

} // namespace

std::string_view scanMessage(int code) {
    switch (code) {
    case kDictionaryStart:
        return "Could not scan dictionary. Dictionary that does not start with '{' character.";
    case kDictionaryKey:
        return "Could not scan dictionary. Failed to scan a key.";
    case kDictionaryColon:
        return "Could not scan dictionary. Key was not terminated with a ':' character.";
    case kDictionaryValue:
        return "Could not scan dictionary. Failed to scan a value.";
    case kDictionaryComma:
        return "Could not scan dictionary. Key value pairs not delimited with a ',' character.";
    case kDictionaryEnd:
        return "Could not scan dictionary. Dictionary not terminated by a '}' character.";
    case kArrayStart:
        return "Could not scan array. Array does not start with '[' character.";
    case kArrayValue:
        return "Could not scan array. Could not scan a value.";
    case kArrayComma:
    case kArrayEnd:
        return "Could not scan array. Array not terminated by a ']' character.";
    case kStringStart:
        return "Could not scan string constant. String not started by a '\"' character.";
    case kStringUnicode:
        return "Could not scan string constant. Unicode character could not be decoded.";
    case kStringEscape:
        return "Could not scan string constant. Unknown escape code.";
    case kNumber:
        return "Could not scan number constant.";
    default:
        return "Could not scan a value.";
    }
}

ByteSet::ByteSet(std::string_view bytes) {
    for (char c : bytes) {
        auto b = static_cast<uint8_t>(c);
        bits_[b >> 6] |= uint64_t{1} << (b & 63);
    }
}

std::string sniffToUtf8(const fnd::Bytes& data) {
    if (data.size() > 3) {
        uint8_t b0 = data[0], b1 = data[1], b2 = data[2], b3 = data[3];
        if (b0 != 0 && b1 == 0 && b3 == 0) {
            return b2 != 0 ? fnd::decodeUtf16Lossy(data, fnd::ByteOrder::LittleEndian)
                           : fnd::decodeUtf32Lossy(data, fnd::ByteOrder::LittleEndian);
        }
        if (b0 == 0 && b2 == 0 && b3 != 0) {
            return b1 != 0 ? fnd::decodeUtf16Lossy(data, fnd::ByteOrder::BigEndian)
                           : fnd::decodeUtf32Lossy(data, fnd::ByteOrder::BigEndian);
        }
    }
    return std::string(data.begin(), data.end());
}

Scanner::Scanner(std::string text) : text_(std::move(text)), numberBytes_("0123456789eE-.") {}

void Scanner::setText(std::string text) {
    text_ = std::move(text);
    pos_ = 0;
}

std::optional<uint8_t> Scanner::current() const {
    if (pos_ >= text_.size()) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(text_[pos_]);
}

bool Scanner::scanByte(uint8_t byte) {
    if (pos_ < text_.size() && static_cast<uint8_t>(text_[pos_]) == byte) {
        ++pos_;
        return true;
    }
    return false;
}

std::optional<uint8_t> Scanner::scanAnyByte() {
    auto c = current();
    if (c) {
        ++pos_;
    }
    return c;
}

bool Scanner::scanExact(std::string_view bytes) {
    if (bytes.empty() || std::string_view(text_).substr(pos_, bytes.size()) != bytes) {
        return false;
    }
    pos_ += bytes.size();
    return true;
}

bool Scanner::scanRun(const ByteSet& set, std::string* out) {
    size_t end = pos_;
    while (end < text_.size() && set.contains(static_cast<uint8_t>(text_[end]))) {
        ++end;
    }
    if (end == pos_) {
        return false;
    }
    if (out != nullptr) {
        *out = fnd::decodeUtf8Lossy(std::span(reinterpret_cast<const uint8_t*>(text_.data()) + pos_, end - pos_));
    }
    pos_ = end;
    return true;
}

bool Scanner::scanUpTo(std::string_view stop, std::string* out) {
    size_t end = stop.empty() ? std::string::npos : text_.find(stop, pos_);
    if (end == std::string::npos) {
        end = text_.size();
    }
    if (end == pos_) {
        return false;
    }
    if (out != nullptr) {
        *out = fnd::decodeUtf8Lossy(std::span(reinterpret_cast<const uint8_t*>(text_.data()) + pos_, end - pos_));
    }
    pos_ = end;
    return true;
}

bool Scanner::scanUpToAny(const ByteSet& set, std::string* out) {
    size_t end = pos_;
    while (end < text_.size() && !set.contains(static_cast<uint8_t>(text_[end]))) {
        ++end;
    }
    if (end == pos_) {
        return false;
    }
    if (out != nullptr) {
        *out = fnd::decodeUtf8Lossy(std::span(reinterpret_cast<const uint8_t*>(text_.data()) + pos_, end - pos_));
    }
    pos_ = end;
    return true;
}

bool Scanner::scanNumber(double* out) {
    size_t end = pos_;
    while (end < text_.size() && numberBytes_.contains(static_cast<uint8_t>(text_[end]))) {
        ++end;
    }
    std::string_view run = std::string_view(text_).substr(pos_, end - pos_);
    fnd::DecimalPrefix prefix = fnd::decimalPrefix(run);
    if (run.empty() || prefix.length == 0 || prefix.start != 0) {
        return false;
    }
    if (out != nullptr) {
        *out = readDouble(run.substr(0, prefix.length));
    }
    pos_ = end;
    return true;
}

std::string Scanner::remaining() const {
    return fnd::decodeUtf8Lossy(
        std::span(reinterpret_cast<const uint8_t*>(text_.data()) + pos_, text_.size() - std::min(pos_, text_.size())));
}

bool Scanner::fail(int code, size_t at) {
    faultCode_ = code;
    faultOffset_ = at;
    faultTooDeep_ = false;
    return false;
}

bool Scanner::failContainer(int code, size_t begin) {
    faultCode_ = code;
    pos_ = begin;
    --depth_;
    return false;
}

bool Scanner::noValueAt(size_t begin, size_t at) {
    pos_ = begin;
    if (lenient_) {
        noValue_ = true;
        return true;
    }
    return fail(kNoValue, at);
}

bool Scanner::scanValue(fnd::Value* out) {
    size_t begin = pos_;
    noValue_ = false;
    skipWhitespace();
    auto c = current();
    if (!c) {
        return noValueAt(begin, text_.size());
    }
    bool ok = false;
    switch (*c) {
    case '"':
    case '\'':
        ok = scanString(out);
        break;
    case '[':
        ok = scanArray(out);
        break;
    case '{':
        ok = scanDictionary(out);
        break;
    case 't':
    case 'f':
    case 'n': {
        const std::string_view word = *c == 't' ? "true" : *c == 'f' ? "false" : "null";
        if (!scanExact(word)) {
            return noValueAt(begin, pos_);
        }
        ok = true;
        if (out != nullptr) {
            *out = *c == 'n' ? fnd::Value() : fnd::Value(*c == 't');
        }
        break;
    }
    default:
        if (*c == '-' || (*c >= '0' && *c <= '9')) {
            ok = scanNumberValue(out);
        } else {
            return noValueAt(begin, pos_);
        }
        break;
    }
    if (!ok) {
        pos_ = begin;
    }
    noValue_ = false; // a nested container's missing value is not this one's
    return ok;
}

bool Scanner::scanDictionary(fnd::Value* out) {
    size_t begin = pos_;
    if (!scanByte('{')) {
        return fail(kDictionaryStart, pos_);
    }
    if (++depth_ > kMaxDepth) {
        fail(kDictionaryValue, pos_);
        faultTooDeep_ = true;
        return failContainer(kDictionaryValue, begin);
    }
    auto dict = std::make_shared<fnd::Dictionary>();
    fnd::Value value;
    while (true) {
        skipWhitespace();
        auto c = current();
        if (c == '}') {
            break;
        }
        std::string key;
        if (c != '"') {
            fail(kDictionaryKey, pos_);
            return failContainer(kDictionaryKey, begin);
        }
        if (!scanStringText(&key)) {
            return failContainer(kDictionaryKey, begin);
        }
        skipWhitespace();
        if (!scanByte(':')) {
            fail(kDictionaryColon, pos_);
            return failContainer(kDictionaryColon, begin);
        }
        if (!scanValue(&value)) {
            return failContainer(kDictionaryValue, begin);
        }
        if (noValue_) {
            noValue_ = false;
            dict->removeObjectForKey(fnd::Key(std::move(key)));
        } else {
            dict->setObject(std::move(value), fnd::Key(std::move(key)));
        }
        value = fnd::Value();
        skipWhitespace();
        if (current() != '}') {
            if (!scanByte(',')) {
                fail(kDictionaryComma, pos_);
                return failContainer(kDictionaryComma, begin);
            }
        }
    }
    scanByte('}');
    --depth_;
    if (out != nullptr) {
        *out = fnd::Value(std::move(dict));
    }
    return true;
}

bool Scanner::scanArray(fnd::Value* out) {
    size_t begin = pos_;
    if (!scanByte('[')) {
        return fail(kArrayStart, pos_);
    }
    if (++depth_ > kMaxDepth) {
        fail(kArrayValue, pos_);
        faultTooDeep_ = true;
        return failContainer(kArrayValue, begin);
    }
    auto array = std::make_shared<fnd::Array>();
    fnd::Value value;
    skipWhitespace();
    while (current() != ']') {
        if (!scanValue(&value)) {
            return failContainer(kArrayValue, begin);
        }
        if (noValue_) {
            noValue_ = false;
            fail(kArrayValue, pos_);
            return failContainer(kArrayValue, begin);
        }
        array->addObject(std::move(value));
        value = fnd::Value();
        skipWhitespace();
        if (current() != ']') {
            if (!scanByte(',')) {
                fail(kArrayComma, pos_);
                return failContainer(kArrayComma, begin);
            }
            skipWhitespace();
        }
    }
    scanByte(']');
    --depth_;
    if (out != nullptr) {
        *out = fnd::Value(std::move(array));
    }
    return true;
}

bool Scanner::scanString(fnd::Value* out) {
    std::string text;
    size_t begin = pos_;
    skipWhitespace();
    if (!scanStringText(&text)) {
        pos_ = begin;
        return false;
    }
    if (out != nullptr) {
        *out = fnd::Value(std::move(text));
    }
    return true;
}

bool Scanner::readHex4(uint32_t* unit) {
    if (text_.size() - pos_ < 4) {
        return fail(kStringUnicode, text_.size());
    }
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        char h = text_[pos_ + i];
        uint32_t d = 0;
        if (h >= '0' && h <= '9') {
            d = static_cast<uint32_t>(h - '0');
        } else if (h >= 'a' && h <= 'f') {
            d = static_cast<uint32_t>(h - 'a' + 10);
        } else if (h >= 'A' && h <= 'F') {
            d = static_cast<uint32_t>(h - 'A' + 10);
        } else {
            return fail(kStringUnicode, pos_ + i);
        }
        v = (v << 4) | d;
    }
    pos_ += 4;
    *unit = v;
    return true;
}

// Reads a double-quoted string at the position; on failure the position is where the string began.
bool Scanner::scanStringText(std::string* out) {
    size_t begin = pos_;
    if (!scanByte('"')) {
        return fail(kStringStart, pos_);
    }
    std::string& text = *out;
    const char* data = text_.data();
    const size_t size = text_.size();
    while (true) {
        // The run up to the closing quote or an escape, its multi-byte sequences checked as they come.
        size_t run = pos_;
        while (true) {
            run += plainRunLength<kStringStops>(data + run, size - run);
            if (run == size || static_cast<uint8_t>(data[run]) < 0x80) {
                break;
            }
            const size_t n = utf8SequenceLength(data + run, size - run);
            if (n == 0) {
                fail(kStringUnicode, pos_);
                pos_ = begin;
                return false;
            }
            run += n;
        }
        text.append(data + pos_, run - pos_);
        pos_ = run;
        if (pos_ >= size) {
            fail(kStringStart, size);
            pos_ = begin;
            return false;
        }
        if (data[pos_] == '"') {
            ++pos_;
            return true;
        }
        // A backslash.
        ++pos_;
        if (pos_ >= size) {
            fail(kStringStart, size);
            pos_ = begin;
            return false;
        }
        char e = data[pos_++];
        switch (e) {
        case '"':
        case '/':
        case '\\':
            text.push_back(e);
            break;
        case 'b':
            text.push_back('\b');
            break;
        case 'f':
            text.push_back('\f');
            break;
        case 'n':
            text.push_back('\n');
            break;
        case 'r':
            text.push_back('\r');
            break;
        case 't':
            text.push_back('\t');
            break;
        case 'u': {
            uint32_t unit = 0;
            if (!readHex4(&unit)) {
                pos_ = begin;
                return false;
            }
            if (unit >= 0xD800 && unit <= 0xDBFF && text_.compare(pos_, 2, "\\u") == 0) {
                size_t mark = pos_;
                pos_ += 2;
                uint32_t low = 0;
                if (!readHex4(&low)) {
                    pos_ = begin;
                    return false;
                }
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    fnd::appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    break;
                }
                pos_ = mark; // the next escape stands on its own
                fnd::appendUtf8(text, 0xFFFD);
                break;
            }
            fnd::appendUtf8(text, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
            break;
        }
        default:
            fail(kStringEscape, pos_ - 1);
            pos_ = begin;
            return false;
        }
    }
}

bool Scanner::scanNumberValue(fnd::Value* out) {
    size_t begin = pos_;
    skipWhitespace();
    double d = 0;
    if (!scanNumber(&d)) {
        fail(kNumber, pos_);
        pos_ = begin;
        return false;
    }
    if (out != nullptr) {
        *out = fnd::Value(d);
    }
    return true;
}

fnd::Error Scanner::error() const {
    // Too deep a text fails with its container's code, but the reason says what was refused.
    fnd::Error error = faultTooDeep_
                           ? fnd::parseError(fnd::kParseTooDeep, faultOffset_,
                                             "containers nested deeper than " + std::to_string(kMaxDepth) + " levels")
                           : fnd::parseError(parseCodeFor(faultCode_, faultOffset_ >= text_.size()), faultOffset_,
                                             scanMessage(faultCode_));
    if (auto info = error.userInfo().asDictionary()) {
        info->setObject(fnd::Value(kScannerErrorDomain), fnd::Key(kErrorDomainKey));
        info->setObject(fnd::Value(faultCode_), fnd::Key(kErrorCodeKey));
    }
    return error;
}

// --- Writing ---

namespace {

constexpr std::string_view kSerializerDomain = "JSONSerializerErrorDomain";

void writeString(std::string& out, std::string_view s) {
    out.push_back('"');
    // Other control bytes are not valid raw in JSON text (a leading NUL even reads as another encoding), so
    // they are written as \u00xx.
    appendEscaped<true>(out, s);
    out.push_back('"');
}

void writeDouble(std::string& out, double d) {
    if (!std::isfinite(d)) {
        out.append("null");
        return;
    }
    char buf[32];
    char* end = std::to_chars(buf, buf + sizeof buf, d).ptr;
    // "1e+80" is written "1e80": a '+' would end the number when the text is read back.
    char* plus = std::find(buf, end, '+');
    out.append(buf, plus);
    if (plus != end) {
        out.append(plus + 1, end);
    }
}

const char* kindName(const fnd::Value& v) {
    switch (v.kind()) {
    case fnd::Value::Kind::Date:
        return "Date";
    case fnd::Value::Kind::Object:
        return "Object";
    case fnd::Value::Kind::Data:
        return "Data";
    default:
        return "Value";
    }
}

// Data that is not UTF-8 text yields no text: false, and nothing written.
bool writeData(std::string& out, const fnd::Value& v) {
    const fnd::Bytes* bytes = v.asData();
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (!fnd::isValidUtf8(text)) {
        return false;
    }
    writeString(out, text);
    return true;
}

std::optional<fnd::Error> write(std::string& out, const fnd::Value& v, int depth) {
    using K = fnd::Value::Kind;
    switch (v.kind()) {
    case K::Null:
        out.append("null");
        return std::nullopt;
    case K::Bool:
        out.append(*v.asBool() ? "true" : "false");
        return std::nullopt;
    case K::Int: {
        char buf[24];
        const auto written = std::to_chars(buf, buf + sizeof buf, *v.asInt());
        out.append(buf, written.ptr);
        return std::nullopt;
    }
    case K::Double:
        writeDouble(out, *v.asDouble());
        return std::nullopt;
    case K::Decimal:
        out.append(*v.asDecimal());
        return std::nullopt;
    case K::String:
        writeString(out, *v.asString());
        return std::nullopt;
    case K::Data:
        if (writeData(out, v)) {
            return std::nullopt;
        }
        break;
    case K::Array:
    case K::Dictionary: {
        if (depth >= kMaxDepth) {
            return fnd::Error(std::string(kSerializerDomain), -1,
                              std::string_view("Could not serialize object 'nested too deep'"));
        }
        if (auto array = v.asArray()) {
            out.push_back('[');
            bool first = true;
            for (const fnd::Value& item : *array) {
                if (!first) {
                    out.push_back(',');
                }
                first = false;
                if (item.isData()) {
                    // A list element that yields no text fails the list, named by its description.
                    if (!writeData(out, item)) {
                        const std::string message = "Could not serialize object '" + item.description() + "'";
                        return fnd::Error(std::string(kSerializerDomain), -1, std::string_view(message));
                    }
                } else if (auto err = write(out, item, depth + 1)) {
                    return err;
                }
            }
            out.push_back(']');
            return std::nullopt;
        }
        auto dict = v.asDictionary();
        out.push_back('{');
        bool first = true;
        for (const auto& [key, item] : *dict) {
            if (!first) {
                out.push_back(',');
            }
            first = false;
            if (key.isString()) {
                writeString(out, key.stringKey());
            } else {
                writeString(out, key.text());
            }
            out.push_back(':');
            if (auto err = write(out, item, depth + 1)) {
                return err;
            }
        }
        out.push_back('}');
        return std::nullopt;
    }
    default:
        break;
    }
    const std::string message = fnd::format("Cannot serialize data of type '%s'", kindName(v));
    return fnd::Error(std::string(kSerializerDomain), -1, std::string_view(message));
}

} // namespace

fnd::Result<std::string> serialize(const fnd::Value& value) {
    std::string out;
    if (auto err = write(out, value, 0)) {
        return *err;
    }
    return out;
}

} // namespace zelvan::jsonscan
