// The tagged value codec: a single-pass writer into a growing buffer and a single-pass reader that
// checks every declared length and count against the bytes left before it allocates anything, and
// stops at the first fault with an error naming it and its offset.
#include "protocol/tagged_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

constexpr uint64_t kMaxLength = 0xFFFFFFFFu;

// Arrays and dictionaries reserve room for at most this many items before reading them. Their count
// is only checked against the bytes left, which every nested container would otherwise reserve
// for again, so a few hundred kilobytes could make the reader reserve gigabytes.
constexpr uint64_t kMaxReservedItems = 4096;

int widthOf(int64_t v) {
    if (v >= INT8_MIN && v <= INT8_MAX) {
        return 1;
    }
    if (v >= INT16_MIN && v <= INT16_MAX) {
        return 2;
    }
    if (v >= INT32_MIN && v <= INT32_MAX) {
        return 4;
    }
    return 8;
}

CodecTag intTag(int width) {
    switch (width) {
    case 1:
        return CodecTag::Int8;
    case 2:
        return CodecTag::Int16;
    case 4:
        return CodecTag::Int32;
    default:
        return CodecTag::Int64;
    }
}

CodecTag intArrayTag(int width) {
    switch (width) {
    case 1:
        return CodecTag::Int8Array;
    case 2:
        return CodecTag::Int16Array;
    case 4:
        return CodecTag::Int32Array;
    default:
        return CodecTag::Int64Array;
    }
}

bool isIntegerText(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

// ---- Writing ----

class Writer {
public:
    // Sizes the buffer once from an upper bound of the encoded size, so writing never reallocates.
    // Data bytes are left out of the cleared part: they are copied in once, straight from the value.
    explicit Writer(const fnd::Value& v) {
        size_t total = bound(v, 0, dataLeft_);
        buf_.reserve(total);
        buf_.resize(total - dataLeft_);
    }

    void value(const fnd::Value& v, int depth);
    static size_t bound(const fnd::Value& v, int depth, size_t& data);

    fnd::Bytes finish() {
        buf_.resize(pos_);
        if (lostNumber_) {
            ZLOG(Warn, "codec: non-integral number %@ written as the integer %lld", lostExample_, lostResult_);
        }
        if (droppedObjects_ > 0) {
            ZLOG(Warn, "codec: %zu object value(s) written as null", droppedObjects_);
        }
        if (tooDeep_) {
            ZLOG(Warn, "codec: containers nested deeper than %d written as null", kCodecMaxDepth);
        }
        if (tooLong_) {
            ZLOG(Warn, "codec: a value longer than 4 GiB written as null");
        }
        return std::move(buf_);
    }

private:
    // Room for `n` more bytes at pos_. Growth doubles the capacity and copies only the bytes written.
    uint8_t* reserve(size_t n) {
        if (buf_.size() - pos_ < n) {
            grow(pos_ + n);
        }
        return buf_.data() + pos_;
    }
    [[gnu::noinline]] void grow(size_t want) {
        if (want > buf_.capacity()) {
            buf_.resize(pos_);
            buf_.reserve(std::max(buf_.capacity() * 2, want));
        }
        size_t cleared = buf_.capacity() - std::min(dataLeft_, buf_.capacity());
        buf_.resize(std::max(want, cleared));
    }
    void tag(CodecTag t) { *reserve(1) = static_cast<uint8_t>(t), ++pos_; }
    static void putBE(uint8_t* p, uint64_t v, int width) {
        for (int i = width - 1; i >= 0; --i) {
            p[i] = static_cast<uint8_t>(v);
            v >>= 8;
        }
    }
    void u32(uint64_t v) {
        putBE(reserve(4), v, 4);
        pos_ += 4;
    }
    void integer(int64_t v) {
        int width = widthOf(v);
        uint8_t* p = reserve(1 + width);
        p[0] = static_cast<uint8_t>(intTag(width));
        putBE(p + 1, static_cast<uint64_t>(v), width);
        pos_ += 1 + width;
    }
    void utf16(const std::string& s);
    void string(const std::string& s) {
        tag(CodecTag::String);
        utf16(s);
    }
    static bool isWireInt(fnd::Value::Kind k) {
        return k == fnd::Value::Kind::Int || k == fnd::Value::Kind::Bool || k == fnd::Value::Kind::Double ||
               k == fnd::Value::Kind::Decimal || k == fnd::Value::Kind::Date;
    }
    int64_t wireInt(const fnd::Value& v);
    void array(const fnd::Array& a, int depth);
    void dictionary(const fnd::Dictionary& d, int depth);
    bool fits(size_t n) {
        if (n > kMaxLength) {
            tooLong_ = true;
            tag(CodecTag::Null);
            return false;
        }
        return true;
    }

    fnd::Bytes buf_;
    size_t pos_ = 0;
    size_t dataLeft_ = 0; // data bytes still to come, for which no room is cleared in advance
    std::vector<int64_t> scratch_;
    bool lostNumber_ = false;
    fnd::Value lostExample_;
    int64_t lostResult_ = 0;
    size_t droppedObjects_ = 0;
    bool tooDeep_ = false;
    bool tooLong_ = false;
};

// A u32 byte length, then the text as big-endian UTF-16 units (ill-formed UTF-8 reads as U+FFFD).
void Writer::utf16(const std::string& s) {
    // Every UTF-8 byte gives at most two bytes of UTF-16.
    uint8_t* p = reserve(4 + 2 * s.size());
    uint8_t* out = p + 4;
    const auto* in = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time: interleaving them with zero bytes gives big-endian units.
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n) {
            __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            if (_mm_movemask_epi8(chunk) != 0) {
                break;
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, chunk));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(zero, chunk));
            out += 32;
            i += 16;
        }
        if (i == n) {
            break;
        }
#endif
        const unsigned char b0 = in[i];
        if (b0 < 0x80) {
            out[0] = 0;
            out[1] = b0;
            out += 2;
            ++i;
            continue;
        }
        // Well-formed multi-byte sequences are converted here; anything else from this point on goes
        // through the platform's converter, which replaces each ill-formed part with U+FFFD.
        char32_t cp = 0;
        size_t len = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < n && (in[i + 1] & 0xC0) == 0x80) {
            cp = (char32_t(b0 & 0x1F) << 6) | (in[i + 1] & 0x3F);
            len = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF && i + 2 < n && (in[i + 1] & 0xC0) == 0x80 && (in[i + 2] & 0xC0) == 0x80) {
            cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
            len = (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ? 3 : 0;
        } else if (b0 >= 0xF0 && b0 <= 0xF4 && i + 3 < n && (in[i + 1] & 0xC0) == 0x80 && (in[i + 2] & 0xC0) == 0x80 &&
                   (in[i + 3] & 0xC0) == 0x80) {
            cp = (char32_t(b0 & 0x07) << 18) | (char32_t(in[i + 1] & 0x3F) << 12) | (char32_t(in[i + 2] & 0x3F) << 6) |
                 (in[i + 3] & 0x3F);
            len = (cp >= 0x10000 && cp <= 0x10FFFF) ? 4 : 0;
        }
        if (len == 0) {
            for (char16_t u : fnd::toUtf16(std::string_view(s).substr(i))) {
                out[0] = static_cast<uint8_t>(u >> 8);
                out[1] = static_cast<uint8_t>(u);
                out += 2;
            }
            break;
        }
        if (cp < 0x10000) {
            out[0] = static_cast<uint8_t>(cp >> 8);
            out[1] = static_cast<uint8_t>(cp);
            out += 2;
        } else {
            char32_t v = cp - 0x10000;
            char16_t hi = static_cast<char16_t>(0xD800 + (v >> 10));
            char16_t lo = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
            out[0] = static_cast<uint8_t>(hi >> 8);
            out[1] = static_cast<uint8_t>(hi);
            out[2] = static_cast<uint8_t>(lo >> 8);
            out[3] = static_cast<uint8_t>(lo);
            out += 4;
        }
        i += len;
    }
    size_t length = static_cast<size_t>(out - (p + 4));
    putBE(p, length, 4);
    pos_ += 4 + length;
}

// The integer a scalar kind (one for which isWireInt holds) is written as.
int64_t Writer::wireInt(const fnd::Value& v) {
    double d = 0;
    switch (v.kind()) {
    case fnd::Value::Kind::Int:
    case fnd::Value::Kind::Bool:
        return v.longLongValue();
    case fnd::Value::Kind::Date:
        return fnd::saturatingInt64(v.asDate()->sinceReferenceDate());
    case fnd::Value::Kind::Double:
        d = *v.asDouble();
        break;
    case fnd::Value::Kind::Decimal: {
        const std::string& text = *v.asDecimal();
        if (isIntegerText(text)) {
            return fnd::longLongValue(text);
        }
        d = fnd::doubleValue(text);
        break;
    }
    default:
        return 0;
    }
    int64_t i = fnd::saturatingInt64(d);
    // Values at or beyond 2^63 in size saturate, which loses as much as a dropped fraction does.
    bool exact = std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0;
    if (!exact && !lostNumber_) {
        lostNumber_ = true;
        lostExample_ = v;
        lostResult_ = i;
    }
    return i;
}

// At least as many bytes as value() writes: every integer counted at its widest, text at two bytes per
// UTF-8 byte, containers past the depth limit as the null they become.
size_t Writer::bound(const fnd::Value& v, int depth, size_t& data) {
    switch (v.kind()) {
    case fnd::Value::Kind::Null:
    case fnd::Value::Kind::Object:
        return 1;
    case fnd::Value::Kind::String:
        return 5 + 2 * v.asString()->size();
    case fnd::Value::Kind::Data:
        data += v.asData()->size();
        return 5 + v.asData()->size();
    case fnd::Value::Kind::Array: {
        if (depth >= kCodecMaxDepth) {
            return 1;
        }
        size_t n = 5;
        for (const fnd::Value& item : v.asArray()->items()) {
            n += bound(item, depth + 1, data);
        }
        return n;
    }
    case fnd::Value::Kind::Dictionary: {
        if (depth >= kCodecMaxDepth) {
            return 1;
        }
        size_t n = 5;
        for (const auto& [key, item] : *v.asDictionary()) {
            n += (key.isInt() ? 9 : 5 + 2 * key.stringKey().size()) + bound(item, depth + 1, data);
        }
        return n;
    }
    default:
        return 9;
    }
}

void Writer::value(const fnd::Value& v, int depth) {
    switch (v.kind()) {
    case fnd::Value::Kind::Null:
        tag(CodecTag::Null);
        return;
    case fnd::Value::Kind::String:
        if (fits(v.asString()->size() * 2)) {
            string(*v.asString());
        }
        return;
    case fnd::Value::Kind::Data: {
        const fnd::Bytes& data = *v.asData();
        if (fits(data.size())) {
            uint8_t* p = reserve(5);
            p[0] = static_cast<uint8_t>(CodecTag::Bytes);
            putBE(p + 1, data.size(), 4);
            pos_ += 5;
            if (buf_.size() - pos_ >= data.size()) {
                if (!data.empty()) {
                    std::memcpy(buf_.data() + pos_, data.data(), data.size());
                }
                pos_ += data.size();
            } else {
                buf_.resize(pos_);
                buf_.insert(buf_.end(), data.begin(), data.end());
                pos_ = buf_.size();
            }
            dataLeft_ -= std::min(dataLeft_, data.size());
        }
        return;
    }
    case fnd::Value::Kind::Array:
    case fnd::Value::Kind::Dictionary:
        if (depth >= kCodecMaxDepth) {
            tooDeep_ = true;
            tag(CodecTag::Null);
        } else if (v.isArray()) {
            array(*v.asArray(), depth + 1);
        } else {
            dictionary(*v.asDictionary(), depth + 1);
        }
        return;
    case fnd::Value::Kind::Object:
        ++droppedObjects_;
        tag(CodecTag::Null);
        return;
    default:
        integer(wireInt(v));
        return;
    }
}

void Writer::array(const fnd::Array& a, int depth) {
    const auto& items = a.items();
    if (!fits(items.size())) {
        return;
    }
    if (items.empty()) {
        tag(CodecTag::Array);
        u32(0);
        return;
    }
    // All integers: an int array with the narrowest element width that holds every element.
    bool allInts = true;
    scratch_.clear();
    int width = 1;
    for (const fnd::Value& item : items) {
        if (!isWireInt(item.kind())) {
            allInts = false;
            break;
        }
    }
    if (allInts) {
        scratch_.reserve(items.size());
        for (const fnd::Value& item : items) {
            int64_t i = wireInt(item);
            width = std::max(width, widthOf(i));
            scratch_.push_back(i);
        }
        uint8_t* p = reserve(5 + items.size() * width);
        p[0] = static_cast<uint8_t>(intArrayTag(width));
        putBE(p + 1, items.size(), 4);
        p += 5;
        for (int64_t i : scratch_) {
            putBE(p, static_cast<uint64_t>(i), width);
            p += width;
        }
        pos_ += 5 + items.size() * width;
        return;
    }
    bool allStrings = true;
    for (const fnd::Value& item : items) {
        if (!item.isString() || item.asString()->size() * 2 > kMaxLength) {
            allStrings = false;
            break;
        }
    }
    if (allStrings) {
        tag(CodecTag::StringArray);
        u32(items.size());
        for (const fnd::Value& item : items) {
            utf16(*item.asString());
        }
        return;
    }
    tag(CodecTag::Array);
    u32(items.size());
    for (const fnd::Value& item : items) {
        value(item, depth);
    }
}

void Writer::dictionary(const fnd::Dictionary& d, int depth) {
    if (!fits(d.count())) {
        return;
    }
    tag(CodecTag::Dictionary);
    u32(d.count());
    for (const auto& [key, item] : d) {
        if (key.isInt()) {
            integer(key.intKey());
        } else {
            // A key longer than the wire allows still needs a key; it is cut at the limit.
            const std::string& text = key.stringKey();
            string(text.size() * 2 > kMaxLength ? fnd::utf16Substring(text, {0, kMaxLength / 2}) : text);
        }
        value(item, depth);
    }
}

// ---- Reading ----

class Reader {
public:
    explicit Reader(std::span<const uint8_t> in) : p_(in.data()), n_(in.size()) {}

    bool value(fnd::Value& out, int depth);
    size_t position() const { return pos_; }
    size_t left() const { return n_ - pos_; }

    // Keeps the first fault; every caller returns false at once, so it is also the only one.
    bool fail(fnd::ParseErrorCode code, std::string_view what, size_t offset) {
        if (!error_) {
            error_ = fnd::parseError(code, offset, what);
        }
        return false;
    }
    fnd::Error takeError() { return std::move(*error_); }

private:
    uint64_t getBE(int width) {
        uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            v = (v << 8) | p_[pos_ + i];
        }
        pos_ += width;
        return v;
    }
    static int64_t signExtend(uint64_t v, int width) {
        if (width == 8) {
            return static_cast<int64_t>(v);
        }
        uint64_t sign = uint64_t{1} << (width * 8 - 1);
        return static_cast<int64_t>((v ^ sign) - sign);
    }
    // Reads a u32 count or length at `start`, refusing it when `count * unit` exceeds what is left.
    bool header(uint64_t& count, uint64_t unit, const char* what, size_t start) {
        if (left() < 4) {
            return fail(fnd::kParseTruncated, std::string("truncated ") + what, start);
        }
        count = getBE(4);
        if (count * unit > left()) {
            return fail(fnd::kParseTruncated,
                        fnd::format("%s of declared size %llu exceeds the %zu bytes left", what,
                                    static_cast<unsigned long long>(count), left()),
                        start);
        }
        return true;
    }
    // Takes `values` values and `bytes` bytes of the decode budget, refusing what would exceed it.
    bool charge(uint64_t values, uint64_t bytes, size_t start) {
        if (values > valuesLeft_ || bytes > bytesLeft_) {
            return fail(fnd::kParseTooLarge,
                        fnd::format("value over the decode budget of %llu values and %llu bytes",
                                    static_cast<unsigned long long>(kCodecMaxDecodedValues),
                                    static_cast<unsigned long long>(kCodecMaxDecodedBytes)),
                        start);
        }
        valuesLeft_ -= values;
        bytesLeft_ -= bytes;
        return true;
    }
    bool utf16(std::string& out, size_t start);
    bool integer(fnd::Value& out, int width, size_t start);
    bool intArray(fnd::Value& out, int width, size_t start);
    bool array(fnd::Value& out, int depth, size_t start);
    bool stringArray(fnd::Value& out, size_t start);
    bool dictionary(fnd::Value& out, int depth, size_t start);

    const uint8_t* p_;
    size_t n_;
    size_t pos_ = 0;
    uint64_t valuesLeft_ = kCodecMaxDecodedValues;
    uint64_t bytesLeft_ = kCodecMaxDecodedBytes;
    std::optional<fnd::Error> error_;
};

// What one decoded value costs in memory before its text or data.
constexpr uint64_t kValueCost = sizeof(fnd::Value);
// A dictionary entry: its key and the bookkeeping of an insertion-ordered map.
constexpr uint64_t kEntryCost = 2 * sizeof(fnd::Value);

// A u32 byte length (even), then big-endian UTF-16 units; unpaired surrogates read as U+FFFD.
bool Reader::utf16(std::string& out, size_t start) {
    uint64_t length = 0;
    if (!header(length, 1, "string", start)) {
        return false;
    }
    if (length % 2 != 0) {
        return fail(fnd::kParseMalformed,
                    fnd::format("odd UTF-16 byte count %llu", static_cast<unsigned long long>(length)), start);
    }
    const uint8_t* in = p_ + pos_;
    const size_t units = length / 2;
    if (!charge(0, units, start)) {
        return false;
    }
    out.resize(units);
    char* dst = out.data();
    size_t i = 0;
#if defined(__SSE2__)
    // Eight ASCII units at a time: high bytes zero and low bytes below 0x80.
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0x80FF));
    while (i + 8 <= units) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(chunk, nonAscii), _mm_setzero_si128())) != 0xFFFF) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(_mm_srli_epi16(chunk, 8), chunk));
        i += 8;
    }
#endif
    for (; i < units; ++i) {
        if (in[2 * i] != 0 || in[2 * i + 1] >= 0x80) {
            break;
        }
        dst[i] = static_cast<char>(in[2 * i + 1]);
    }
    if (i < units) {
        // Each remaining unit gives at most three bytes of UTF-8 (a surrogate pair four for two units).
        out.resize(i + 3 * (units - i));
        auto* o = reinterpret_cast<unsigned char*>(out.data()) + i;
        for (; i < units; ++i) {
            char32_t u = static_cast<char32_t>((in[2 * i] << 8) | in[2 * i + 1]);
            if (u >= 0xD800 && u <= 0xDFFF) {
                char32_t lo = i + 1 < units ? static_cast<char32_t>((in[2 * i + 2] << 8) | in[2 * i + 3]) : 0;
                if (u <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                } else {
                    u = 0xFFFD; // unpaired surrogate
                }
            }
            if (u < 0x80) {
                *o++ = static_cast<unsigned char>(u);
            } else if (u < 0x800) {
                *o++ = static_cast<unsigned char>(0xC0 | (u >> 6));
                *o++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            } else if (u < 0x10000) {
                *o++ = static_cast<unsigned char>(0xE0 | (u >> 12));
                *o++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
                *o++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            } else {
                *o++ = static_cast<unsigned char>(0xF0 | (u >> 18));
                *o++ = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F));
                *o++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
                *o++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            }
        }
        out.resize(static_cast<size_t>(o - reinterpret_cast<unsigned char*>(out.data())));
    }
    pos_ += length;
    return true;
}

bool Reader::integer(fnd::Value& out, int width, size_t start) {
    if (left() < static_cast<size_t>(width)) {
        return fail(fnd::kParseTruncated, "truncated integer", start);
    }
    out = fnd::Value(signExtend(getBE(width), width));
    return true;
}

bool Reader::intArray(fnd::Value& out, int width, size_t start) {
    uint64_t count = 0;
    if (!header(count, width, "int array", start) || !charge(count, count * kValueCost, start)) {
        return false;
    }
    std::vector<fnd::Value> items;
    items.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        items.emplace_back(signExtend(getBE(width), width));
    }
    out = fnd::Value(std::make_shared<fnd::Array>(std::move(items)));
    return true;
}

bool Reader::array(fnd::Value& out, int depth, size_t start) {
    uint64_t count = 0;
    if (!header(count, 1, "array", start)) {
        return false;
    }
    std::vector<fnd::Value> items;
    items.reserve(std::min(count, kMaxReservedItems));
    for (uint64_t i = 0; i < count; ++i) {
        if (!value(items.emplace_back(), depth)) {
            return false;
        }
    }
    out = fnd::Value(std::make_shared<fnd::Array>(std::move(items)));
    return true;
}

bool Reader::stringArray(fnd::Value& out, size_t start) {
    uint64_t count = 0;
    if (!header(count, 4, "string array", start) || !charge(count, count * kValueCost, start)) {
        return false;
    }
    std::vector<fnd::Value> items;
    items.reserve(count);
    std::string text;
    for (uint64_t i = 0; i < count; ++i) {
        if (!utf16(text, pos_)) {
            return false;
        }
        items.emplace_back(std::move(text));
        text = std::string();
    }
    out = fnd::Value(std::make_shared<fnd::Array>(std::move(items)));
    return true;
}

bool Reader::dictionary(fnd::Value& out, int depth, size_t start) {
    // The smallest entry is a one-byte integer key (two bytes) and a null value (one byte).
    uint64_t count = 0;
    if (!header(count, 3, "dictionary", start)) {
        return false;
    }
    auto dict = std::make_shared<fnd::Dictionary>();
    dict->reserve(std::min(count, kMaxReservedItems));
    fnd::Value item;
    for (uint64_t i = 0; i < count; ++i) {
        size_t keyStart = pos_;
        if (left() < 1) {
            return fail(fnd::kParseTruncated, "truncated dictionary key", keyStart);
        }
        if (!charge(0, kEntryCost, keyStart)) {
            return false;
        }
        auto keyTag = static_cast<CodecTag>(p_[pos_++]);
        fnd::Key key(0);
        switch (keyTag) {
        case CodecTag::Int8:
        case CodecTag::Int16:
        case CodecTag::Int32:
        case CodecTag::Int64: {
            int width = 1 << (static_cast<int>(keyTag) - 1);
            if (left() < static_cast<size_t>(width)) {
                return fail(fnd::kParseTruncated, "truncated dictionary key", keyStart);
            }
            key = fnd::Key(signExtend(getBE(width), width));
            break;
        }
        case CodecTag::String: {
            std::string text;
            if (!utf16(text, keyStart)) {
                return false;
            }
            key = fnd::Key(std::move(text));
            break;
        }
        default:
            return fail(fnd::kParseMalformed,
                        fnd::format("dictionary key of tag 0x%02x", static_cast<unsigned>(keyTag)), keyStart);
        }
        if (!value(item, depth)) {
            return false;
        }
        dict->setObject(std::move(item), std::move(key));
    }
    out = fnd::Value(std::move(dict));
    return true;
}

bool Reader::value(fnd::Value& out, int depth) {
    size_t start = pos_;
    if (left() < 1) {
        return fail(fnd::kParseTruncated, "truncated value", start);
    }
    if (!charge(1, kValueCost, start)) {
        return false;
    }
    auto t = static_cast<CodecTag>(p_[pos_++]);
    switch (t) {
    case CodecTag::Null:
        out = fnd::Value();
        return true;
    case CodecTag::Int8:
    case CodecTag::Int16:
    case CodecTag::Int32:
    case CodecTag::Int64:
        return integer(out, 1 << (static_cast<int>(t) - 1), start);
    case CodecTag::Bytes: {
        uint64_t length = 0;
        if (!header(length, 1, "byte string", start) || !charge(0, length, start)) {
            return false;
        }
        out = fnd::Value(fnd::Bytes(p_ + pos_, p_ + pos_ + length));
        pos_ += length;
        return true;
    }
    case CodecTag::String: {
        std::string text;
        if (!utf16(text, start)) {
            return false;
        }
        out = fnd::Value(std::move(text));
        return true;
    }
    case CodecTag::Array:
    case CodecTag::Int8Array:
    case CodecTag::Int16Array:
    case CodecTag::Int32Array:
    case CodecTag::Int64Array:
    case CodecTag::StringArray:
    case CodecTag::Dictionary:
        if (depth >= kCodecMaxDepth) {
            return fail(fnd::kParseTooDeep, fnd::format("containers nested deeper than %d", kCodecMaxDepth), start);
        }
        switch (t) {
        case CodecTag::Array:
            return array(out, depth + 1, start);
        case CodecTag::StringArray:
            return stringArray(out, start);
        case CodecTag::Dictionary:
            return dictionary(out, depth + 1, start);
        default:
            return intArray(out, 1 << (static_cast<int>(t) - static_cast<int>(CodecTag::Int8Array)), start);
        }
    }
    return fail(fnd::kParseMalformed, fnd::format("unknown tag 0x%02x", static_cast<unsigned>(t)), start);
}

} // namespace

fnd::Bytes dumps(const fnd::Value& value) {
    Writer writer(value);
    writer.value(value, 0);
    return writer.finish();
}

fnd::Result<fnd::Value> loads(std::span<const uint8_t> bytes) {
    Reader reader(bytes);
    fnd::Value out;
    if (!reader.value(out, 0)) {
        return reader.takeError();
    }
    if (reader.left() > 0) {
        return fnd::parseError(fnd::kParseTrailingBytes, reader.position(),
                               fnd::format("%zu trailing bytes after the value", reader.left()));
    }
    return out;
}

} // namespace zelvan
