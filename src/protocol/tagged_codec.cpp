// The tagged value codec's writer: a single pass into a buffer sized once from an upper bound of the
// encoded size. The reader is in tagged_codec_reader.cpp.
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

#include "platform/foundation/data_slice.h"
#include "platform/foundation/log.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

constexpr uint64_t kMaxLength = 0xFFFFFFFFu;

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
        // Sixteen ASCII bytes at a time: interleaving them with zero bytes gives big-endian units. A chunk
        // with other bytes still gives its leading ASCII ones: all 32 bytes are stored (each byte read so
        // far gave at most two, so there is room) and only those for the ASCII bytes are kept.
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n) {
            __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            auto other = static_cast<unsigned>(_mm_movemask_epi8(chunk));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, chunk));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(zero, chunk));
            if (other != 0) {
                auto lead = static_cast<size_t>(__builtin_ctz(other));
                out += 2 * lead;
                i += lead;
                break;
            }
            out += 32;
            i += 16;
        }
        // Eight at a time the same way, for short text and the end of longer text.
        if (i + 16 > n && i + 8 <= n) {
            __m128i chunk = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
            auto other = static_cast<unsigned>(_mm_movemask_epi8(chunk)) & 0xFFu;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, chunk));
            auto lead = other != 0 ? static_cast<size_t>(__builtin_ctz(other)) : size_t{8};
            out += 2 * lead;
            i += lead;
            if (lead == 8) {
                continue;
            }
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
        data += fnd::dataBytes(v).size();
        return 5 + fnd::dataBytes(v).size();
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
        std::span<const uint8_t> data = fnd::dataBytes(v);
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

} // namespace

fnd::Bytes dumps(const fnd::Value& value) {
    Writer writer(value);
    writer.value(value, 0);
    return writer.finish();
}

} // namespace zelvan
