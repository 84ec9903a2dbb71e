// The tagged value codec's reader: a single pass that checks every declared length and count against the
// bytes left before it allocates anything, and stops at the first fault with an error naming it and its
// offset. The writer is in tagged_codec.cpp.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/foundation/data_slice.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

// Arrays and dictionaries reserve room for at most this many items before reading them. Their count
// is only checked against the bytes left, which every nested container would otherwise reserve
// for again, so a few hundred kilobytes could make the reader reserve gigabytes.
constexpr uint64_t kMaxReservedItems = 4096;

// Byte strings of a shared frame are sliced rather than copied from this length on, and only when they make up
// at least 1/kMaxSliceShare of the frame: a kept slice then holds at most that many times its own size.
constexpr uint64_t kMinSliceBytes = 256;
constexpr uint64_t kMaxSliceShare = 8;

// What one decoded value costs in memory before its text or data.
constexpr uint64_t kValueCost = sizeof(fnd::Value);
// A dictionary entry: its key and the bookkeeping of an insertion-ordered map.
constexpr uint64_t kEntryCost = 2 * sizeof(fnd::Value);

// Writes the UTF-8 form of `units` big-endian UTF-16 units at `in` to `o`, which has room for three bytes
// per unit (a surrogate pair gives four bytes for two units; an unpaired surrogate gives U+FFFD). Returns
// the end of what was written. Runs of ASCII go eight units at a time.
unsigned char* utf16ToUtf8(const uint8_t* in, size_t units, unsigned char* o) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0x80FF));
#endif
    while (i < units) {
#if defined(__SSE2__)
        // Eight units whose high bytes are zero and low bytes below 0x80 are eight ASCII bytes. A chunk with
        // other units still gives its leading ASCII units: the eight bytes are stored (there is room for
        // them) and only the ASCII ones are kept.
        while (i + 8 <= units) {
            __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
            auto ascii = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(chunk, nonAscii), _mm_setzero_si128())));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(_mm_srli_epi16(chunk, 8), chunk));
            if (ascii == 0xFFFF) {
                o += 8;
                i += 8;
                continue;
            }
            // Two mask bits per unit; the first clear bit is in the first unit that is not ASCII.
            auto lead = static_cast<size_t>(__builtin_ctz(~ascii)) / 2;
            o += lead;
            i += lead;
            break;
        }
        if (i == units) {
            break;
        }
#endif
        char32_t u = static_cast<char32_t>((in[2 * i] << 8) | in[2 * i + 1]);
        ++i;
        if (u < 0x80) {
            *o++ = static_cast<unsigned char>(u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            char32_t lo = i < units ? static_cast<char32_t>((in[2 * i] << 8) | in[2 * i + 1]) : 0;
            if (u <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            } else {
                u = 0xFFFD; // unpaired surrogate
            }
        }
        if (u < 0x800) {
            o[0] = static_cast<unsigned char>(0xC0 | (u >> 6));
            o[1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
            o += 2;
        } else if (u < 0x10000) {
            o[0] = static_cast<unsigned char>(0xE0 | (u >> 12));
            o[1] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            o[2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
            o += 3;
        } else {
            o[0] = static_cast<unsigned char>(0xF0 | (u >> 18));
            o[1] = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F));
            o[2] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            o[3] = static_cast<unsigned char>(0x80 | (u & 0x3F));
            o += 4;
        }
    }
    return o;
}

#if defined(__SSE2__)
// Of eight big-endian UTF-16 units at `in`, a mask with two bits set for each ASCII unit.
unsigned asciiMask(const uint8_t* in) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i nonAscii = _mm_and_si128(chunk, _mm_set1_epi16(static_cast<short>(0x80FF)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(nonAscii, _mm_setzero_si128())));
}

// Stores the low bytes of eight units at `in` as eight bytes at `out`.
void storeLowBytes(const uint8_t* in, char* out) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(_mm_srli_epi16(chunk, 8), chunk));
}
#endif

// Copies the leading ASCII units of `units` big-endian UTF-16 units at `in` to `out` (room for `units`
// bytes, and for eight whatever `units` is) and returns how many there were. `readable` is how many bytes
// from `in` on may be read: a short string is checked with one load when the input goes on past it.
size_t asciiPrefix(const uint8_t* in, size_t units, size_t readable, char* out) {
    size_t i = 0;
#if defined(__SSE2__)
    if (units >= 8) {
        for (; i + 8 <= units; i += 8) {
            unsigned ascii = asciiMask(in + 2 * i);
            storeLowBytes(in + 2 * i, out + i);
            if (ascii != 0xFFFF) {
                return i + static_cast<size_t>(__builtin_ctz(~ascii)) / 2;
            }
        }
        if (i == units) {
            return units;
        }
        // The last few units: the eight that end the text, overlapping units already copied.
        size_t last = units - 8;
        unsigned ascii = asciiMask(in + 2 * last);
        storeLowBytes(in + 2 * last, out + last);
        return ascii == 0xFFFF ? units : last + static_cast<size_t>(__builtin_ctz(~ascii)) / 2;
    }
    if (units > 0 && readable >= 16) {
        // Units past the text count as ASCII; the bytes stored for them are cut off by the caller's size.
        unsigned ascii = (asciiMask(in) | (0xFFFFu << (2 * units))) & 0xFFFFu;
        storeLowBytes(in, out);
        return ascii == 0xFFFF ? units : static_cast<size_t>(__builtin_ctz(~ascii)) / 2;
    }
#else
    (void)readable;
#endif
    for (; i < units; ++i) {
        if (in[2 * i] != 0 || in[2 * i + 1] >= 0x80) {
            break;
        }
        out[i] = static_cast<char>(in[2 * i + 1]);
    }
    return i;
}

// Makes `out` the value built from `args`, in place: no temporary value is built and moved into it. Only
// for constructions that cannot throw, since `out` has already ended when the new value is built.
template <class... Args>
fnd::Value& place(fnd::Value& out, Args&&... args) noexcept {
    std::destroy_at(&out);
    return *std::construct_at(&out, std::forward<Args>(args)...);
}

// The string `out` now holds, empty, for the decoder to fill in place. A short string moved right after it
// was written is read back before its bytes reach the cache, which stalls the load; filled in place, a
// decoded string is never moved. `out` itself is never const, so writing through the pointer is sound.
std::string& stringIn(fnd::Value& out) {
    return const_cast<std::string&>(*place(out, std::string()).asString());
}

class Reader {
public:
    // `frame`, when given, is the shared buffer `in` lies in: large byte strings become slices of it.
    Reader(std::span<const uint8_t> in, const std::shared_ptr<const fnd::Bytes>* frame)
        : p_(in.data()), n_(in.size()), frame_(frame) {}

    bool value(fnd::Value& out, int depth);
    size_t position() const { return pos_; }
    size_t left() const { return n_ - pos_; }

    // Keeps the first fault; every caller returns false at once, so it is also the only one.
    [[gnu::cold, gnu::noinline]] bool fail(fnd::ParseErrorCode code, std::string_view what, size_t offset) {
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
            return truncatedHeader(what, start);
        }
        count = getBE(4);
        if (count * unit > left()) {
            return oversizedHeader(count, what, start);
        }
        return true;
    }
    [[gnu::cold, gnu::noinline]] bool truncatedHeader(const char* what, size_t start) {
        return fail(fnd::kParseTruncated, std::string("truncated ") + what, start);
    }
    [[gnu::cold, gnu::noinline]] bool oversizedHeader(uint64_t count, const char* what, size_t start) {
        return fail(fnd::kParseTruncated,
                    fnd::format("%s of declared size %llu exceeds the %zu bytes left", what,
                                static_cast<unsigned long long>(count), left()),
                    start);
    }
    // Takes `values` values and `bytes` bytes of the decode budget, refusing what would exceed it.
    bool charge(uint64_t values, uint64_t bytes, size_t start) {
        if (values > valuesLeft_ || bytes > bytesLeft_) {
            return overBudget(start);
        }
        valuesLeft_ -= values;
        bytesLeft_ -= bytes;
        return true;
    }
    [[gnu::cold, gnu::noinline]] bool overBudget(size_t start) {
        return fail(fnd::kParseTooLarge,
                    fnd::format("value over the decode budget of %llu values and %llu bytes",
                                static_cast<unsigned long long>(kCodecMaxDecodedValues),
                                static_cast<unsigned long long>(kCodecMaxDecodedBytes)),
                    start);
    }
    bool utf16(std::string& out, size_t start);
    bool bytes(fnd::Value& out, size_t start);
    bool integer(fnd::Value& out, int width, size_t start);
    bool intArray(fnd::Value& out, int width, size_t start);
    bool array(fnd::Value& out, int depth, size_t start);
    bool stringArray(fnd::Value& out, size_t start);
    bool dictionary(fnd::Value& out, int depth, size_t start);

    const uint8_t* p_;
    size_t n_;
    const std::shared_ptr<const fnd::Bytes>* frame_;
    size_t pos_ = 0;
    uint64_t valuesLeft_ = kCodecMaxDecodedValues;
    uint64_t bytesLeft_ = kCodecMaxDecodedBytes;
    std::optional<fnd::Error> error_;
};

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
    // ASCII text (most of it) is sized exactly. At its first other unit the text gets room for three bytes
    // a unit from there on, and is cut to what the conversion wrote.
    out.resize(std::max<size_t>(units, 8));
    size_t ascii = asciiPrefix(in, units, left(), out.data());
    if (ascii == units) {
        out.resize(units);
    } else {
        out.resize(ascii + 3 * (units - ascii));
        auto* first = reinterpret_cast<unsigned char*>(out.data());
        out.resize(static_cast<size_t>(utf16ToUtf8(in + 2 * ascii, units - ascii, first + ascii) - first));
    }
    pos_ += length;
    return true;
}

// A u32 byte length, then the bytes. A byte string that is a large part of a shared frame becomes a slice
// of it rather than a copy; a small one is copied, so that keeping it does not keep a much larger frame.
bool Reader::bytes(fnd::Value& out, size_t start) {
    uint64_t length = 0;
    if (!header(length, 1, "byte string", start) || !charge(0, length, start)) {
        return false;
    }
    std::span<const uint8_t> part(p_ + pos_, length);
    if (frame_ != nullptr && length >= kMinSliceBytes && length * kMaxSliceShare >= n_) {
        out = fnd::dataSlice(*frame_, part);
    } else {
        out = fnd::Value(fnd::Bytes(part.begin(), part.end()));
    }
    pos_ += length;
    return true;
}

bool Reader::integer(fnd::Value& out, int width, size_t start) {
    if (left() < static_cast<size_t>(width)) {
        return fail(fnd::kParseTruncated, "truncated integer", start);
    }
    place(out, signExtend(getBE(width), width));
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
    auto made = std::make_shared<fnd::Array>(std::move(items));
    place(out, std::move(made));
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
    auto made = std::make_shared<fnd::Array>(std::move(items));
    place(out, std::move(made));
    return true;
}

bool Reader::stringArray(fnd::Value& out, size_t start) {
    uint64_t count = 0;
    if (!header(count, 4, "string array", start) || !charge(count, count * kValueCost, start)) {
        return false;
    }
    std::vector<fnd::Value> items;
    items.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        if (!utf16(stringIn(items.emplace_back()), pos_)) {
            return false;
        }
    }
    auto made = std::make_shared<fnd::Array>(std::move(items));
    place(out, std::move(made));
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
        switch (keyTag) {
        case CodecTag::Int8:
        case CodecTag::Int16:
        case CodecTag::Int32:
        case CodecTag::Int64: {
            int width = 1 << (static_cast<int>(keyTag) - 1);
            if (left() < static_cast<size_t>(width)) {
                return fail(fnd::kParseTruncated, "truncated dictionary key", keyStart);
            }
            // An integer key (most packets): the entry goes in first with a null value, which is then decoded
            // in its place, so no value is moved. A repeated key keeps its first place and takes the later
            // value, as setObject gives it. The dictionary is the reader's own until it is returned.
            int64_t key = signExtend(getBE(width), width);
            size_t before = dict->count();
            dict->setObject(fnd::Value(), fnd::Key(key));
            const auto& entries = dict->entries();
            const fnd::Value& slot = entries.size() > before ? entries.back().second : *dict->find(fnd::Key(key));
            if (!value(const_cast<fnd::Value&>(slot), depth)) {
                return false;
            }
            break;
        }
        case CodecTag::String: {
            std::string text;
            if (!utf16(text, keyStart)) {
                return false;
            }
            if (!value(item, depth)) {
                return false;
            }
            dict->setObject(std::move(item), fnd::Key(std::move(text)));
            break;
        }
        default:
            return fail(fnd::kParseMalformed,
                        fnd::format("dictionary key of tag 0x%02x", static_cast<unsigned>(keyTag)), keyStart);
        }
    }
    place(out, std::move(dict));
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
        place(out);
        return true;
    case CodecTag::Int8:
    case CodecTag::Int16:
    case CodecTag::Int32:
    case CodecTag::Int64:
        return integer(out, 1 << (static_cast<int>(t) - 1), start);
    case CodecTag::Bytes:
        return bytes(out, start);
    case CodecTag::String:
        return utf16(stringIn(out), start);
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

fnd::Result<fnd::Value> decode(std::span<const uint8_t> bytes, const std::shared_ptr<const fnd::Bytes>* frame) {
    Reader reader(bytes, frame);
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

} // namespace

fnd::Result<fnd::Value> loads(std::span<const uint8_t> bytes) {
    return decode(bytes, nullptr);
}

fnd::Result<fnd::Value> loads(const std::shared_ptr<const fnd::Bytes>& frame) {
    if (!frame) {
        return decode({}, nullptr);
    }
    return decode(std::span<const uint8_t>(frame->data(), frame->size()), &frame);
}

} // namespace zelvan
