// The tagged value codec's reader: a single pass that checks every declared length and count against the
// bytes left before it allocates anything, and stops at the first fault with an error naming it and its
// offset. The writer is in tagged_codec.cpp.
#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/foundation/data_slice.h"
#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"
#include "protocol/utf16_chunks.h"

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

// Text of at most this many units is short enough for a std::string to hold in place (its small-string
// room is at least 15 bytes in the standard libraries we build with), so sizing it allocates nothing.
constexpr size_t kInPlaceText = 15;
// Text of up to this many units is converted in a buffer on the stack (three bytes a unit) and then copied.
constexpr size_t kStackTextUnits = 256;

// What one decoded value costs in memory before its text or data.
constexpr uint64_t kValueCost = sizeof(fnd::Value);
// A dictionary entry: its key and the bookkeeping of an insertion-ordered map.
constexpr uint64_t kEntryCost = 2 * sizeof(fnd::Value);

using utf16_chunks::asciiMask;
using utf16_chunks::leadingAscii;
using utf16_chunks::storeLowBytes;

// How many of the `units` (at least eight) big-endian UTF-16 units at `in`, from the first, are ASCII. Only
// checks them.
size_t asciiLength(const uint8_t* in, size_t units) {
    size_t i = 0;
    for (; i + 8 <= units; i += 8) {
        unsigned ascii = asciiMask(in + 2 * i);
        if (ascii != 0xFFFF) {
            return i + leadingAscii(ascii);
        }
    }
    if (i == units) {
        return units;
    }
    // The last few units: the eight that end the text, overlapping units already checked.
    size_t last = units - 8;
    return last + leadingAscii(asciiMask(in + 2 * last));
}

// Copies the leading ASCII units of `units` big-endian UTF-16 units at `in` to `out` (room for `units`
// bytes, and for eight whatever `units` is) and returns how many there were. `readable` is how many bytes
// from `in` on may be read: a short string is checked with one load when the input goes on past it.
inline size_t asciiPrefix(const uint8_t* in, size_t units, size_t readable, char* out) {
    size_t i = 0;
    if (units >= 8) {
        for (; i + 8 <= units; i += 8) {
            unsigned ascii = asciiMask(in + 2 * i);
            storeLowBytes(in + 2 * i, out + i);
            if (ascii != 0xFFFF) {
                return i + leadingAscii(ascii);
            }
        }
        if (i == units) {
            return units;
        }
        // The last few units: the eight that end the text, overlapping units already copied.
        size_t last = units - 8;
        storeLowBytes(in + 2 * last, out + last);
        return last + leadingAscii(asciiMask(in + 2 * last));
    }
    if (units > 0 && readable >= 16) {
        // Units past the text count as ASCII; the bytes stored for them are cut off by the caller's size.
        storeLowBytes(in, out);
        return std::min<size_t>(units, leadingAscii(asciiMask(in) | (0xFFFFu << (2 * units))));
    }
    for (; i < units; ++i) {
        if (in[2 * i] != 0 || in[2 * i + 1] >= 0x80) {
            break;
        }
        out[i] = static_cast<char>(in[2 * i + 1]);
    }
    return i;
}

// Writes the UTF-8 form of `units` big-endian UTF-16 units at `in` to `o`, which has room for three bytes per
// unit (a surrogate pair gives four bytes for two units; an unpaired surrogate gives U+FFFD). Returns the end
// of what was written. At an ASCII unit, the eight units from it go at once when they are all ASCII; other
// units go one by one (mixed text changes script too often for a partial chunk to pay).
unsigned char* utf16ToUtf8(const uint8_t* in, size_t units, unsigned char* o) {
    size_t i = 0;
    while (i < units) {
        char32_t u = static_cast<char32_t>((in[2 * i] << 8) | in[2 * i + 1]);
        if (u < 0x80) {
            if (i + 8 <= units && asciiMask(in + 2 * i) == 0xFFFF) {
                storeLowBytes(in + 2 * i, reinterpret_cast<char*>(o));
                o += 8;
                i += 8;
                continue;
            }
            *o++ = static_cast<unsigned char>(u);
            ++i;
            continue;
        }
        ++i;
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

// Makes `out` the value built from `args`, in place: no temporary value is built and moved into it. Only
// for constructions that cannot throw, since `out` has already ended when the new value is built. The
// reader's slots start null, which has nothing to destroy.
template <class... Args>
fnd::Value& place(fnd::Value& out, Args&&... args) noexcept {
    if (!out.isNull()) {
        std::destroy_at(&out);
    }
    return *std::construct_at(&out, std::forward<Args>(args)...);
}

// The string `out` now holds, empty, for the decoder to fill in place. A short string moved right after it
// was written is read back before its bytes reach the cache, which stalls the load; filled in place, a
// decoded string is never moved. `out` itself is never const, so writing through the pointer is sound.
std::string& stringIn(fnd::Value& out) {
    return const_cast<std::string&>(*place(out, std::string_view()).asString());
}

// The elements of an array the reader has made, for it to append to in place. The array is made before its
// elements are read and given to its value after them: a shared pointer copied right after it was made is read
// back before its two halves reach the cache, which stalls the load. The array is the reader's own until it is
// returned and is never const, so writing through the reference is sound.
std::vector<fnd::Value>& elementsOf(fnd::Array& array) {
    return const_cast<std::vector<fnd::Value>&>(array.items());
}

class Reader {
public:
    // `frame`, when given, is the shared buffer `in` lies in: large byte strings become slices of it.
    Reader(std::span<const uint8_t> in, const std::shared_ptr<const fnd::Bytes>* frame)
        : p_(in.data()), n_(in.size()), frame_(frame) {}

    // Decodes the next value into `out`, which is null.
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
    // Byte strings, arrays, dictionaries and unknown tags.
    [[gnu::noinline]] bool container(fnd::Value& out, CodecTag t, int depth, size_t start);

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
    // Short text, which the string holds in place, is copied while it is checked for ASCII (most text is).
    // Longer text is converted on the stack and copied once, so that its storage is allocated once and at its
    // size; text too long for that is checked first, then sized: exactly when it is ASCII, otherwise with room
    // for three bytes a unit after its ASCII start, and cut to what the conversion wrote.
    if (units <= kInPlaceText) {
        // Sized to the room it has in place, a known size that is filled without a call, then cut.
        out.resize(kInPlaceText);
        size_t ascii = asciiPrefix(in, units, left(), out.data());
        if (ascii != units) {
            out.resize(ascii + 3 * (units - ascii));
            auto* first = reinterpret_cast<unsigned char*>(out.data());
            out.resize(static_cast<size_t>(utf16ToUtf8(in + 2 * ascii, units - ascii, first + ascii) - first));
        } else {
            out.resize(units);
        }
    } else if (units <= kStackTextUnits) {
        char text[3 * kStackTextUnits];
        size_t ascii = asciiPrefix(in, units, left(), text);
        size_t size = units;
        if (ascii != units) {
            auto* first = reinterpret_cast<unsigned char*>(text);
            size = static_cast<size_t>(utf16ToUtf8(in + 2 * ascii, units - ascii, first + ascii) - first);
        }
        out.assign(text, size);
    } else {
        size_t ascii = asciiLength(in, units);
        out.resize(ascii == units ? units : ascii + 3 * (units - ascii));
        asciiPrefix(in, ascii, left(), out.data());
        if (ascii != units) {
            auto* first = reinterpret_cast<unsigned char*>(out.data());
            out.resize(static_cast<size_t>(utf16ToUtf8(in + 2 * ascii, units - ascii, first + ascii) - first));
        }
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
    auto made = std::make_shared<fnd::Array>();
    std::vector<fnd::Value>& items = elementsOf(*made);
    items.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        items.emplace_back(signExtend(getBE(width), width));
    }
    place(out, std::move(made));
    return true;
}

bool Reader::array(fnd::Value& out, int depth, size_t start) {
    uint64_t count = 0;
    if (!header(count, 1, "array", start)) {
        return false;
    }
    auto made = std::make_shared<fnd::Array>();
    std::vector<fnd::Value>& items = elementsOf(*made);
    items.reserve(std::min(count, kMaxReservedItems));
    for (uint64_t i = 0; i < count; ++i) {
        if (!value(items.emplace_back(), depth)) {
            return false;
        }
    }
    place(out, std::move(made));
    return true;
}

bool Reader::stringArray(fnd::Value& out, size_t start) {
    uint64_t count = 0;
    if (!header(count, 4, "string array", start) || !charge(count, count * kValueCost, start)) {
        return false;
    }
    auto made = std::make_shared<fnd::Array>();
    std::vector<fnd::Value>& items = elementsOf(*made);
    items.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        if (!utf16(stringIn(items.emplace_back()), pos_)) {
            return false;
        }
    }
    place(out, std::move(made));
    return true;
}

bool Reader::dictionary(fnd::Value& out, int depth, size_t start) {
    // The smallest entry is a one-byte integer key (two bytes) and a null value (one byte).
    uint64_t count = 0;
    if (!header(count, 3, "dictionary", start)) {
        return false;
    }
    // Each entry goes in with a null value, which is then decoded in its place. The dictionary takes the
    // entries at the end and applies the repeated-key rule itself.
    std::vector<fnd::Dictionary::Entry> entries;
    entries.reserve(std::min(count, kMaxReservedItems));
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
            entries.emplace_back(std::piecewise_construct, std::forward_as_tuple(signExtend(getBE(width), width)),
                                 std::forward_as_tuple());
            break;
        }
        case CodecTag::String: {
            std::string text;
            if (!utf16(text, keyStart)) {
                return false;
            }
            entries.emplace_back(fnd::Key(std::move(text)), fnd::Value());
            break;
        }
        default:
            return fail(fnd::kParseMalformed,
                        fnd::format("dictionary key of tag 0x%02x", static_cast<unsigned>(keyTag)), keyStart);
        }
        if (!value(entries.back().second, depth)) {
            return false;
        }
    }
    auto made = std::make_shared<fnd::Dictionary>(std::move(entries));
    place(out, std::move(made));
    return true;
}

// Scalars, which are most values, are read here, inlined into the loops of the containers; other kinds go to
// container().
inline bool Reader::value(fnd::Value& out, int depth) {
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
        return true;
    case CodecTag::Int8:
    case CodecTag::Int16:
    case CodecTag::Int32:
    case CodecTag::Int64:
        return integer(out, 1 << (static_cast<int>(t) - 1), start);
    case CodecTag::String:
        return utf16(stringIn(out), start);
    default:
        return container(out, t, depth, start);
    }
}

bool Reader::container(fnd::Value& out, CodecTag t, int depth, size_t start) {
    switch (t) {
    case CodecTag::Bytes:
        return bytes(out, start);
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
    default:
        return fail(fnd::kParseMalformed, fnd::format("unknown tag 0x%02x", static_cast<unsigned>(t)), start);
    }
}

// The value is decoded in the result that is returned, so that it is not moved on the way out.
fnd::Result<fnd::Value> decode(std::span<const uint8_t> bytes, const std::shared_ptr<const fnd::Bytes>* frame) {
    Reader reader(bytes, frame);
    fnd::Result<fnd::Value> result{fnd::Value()};
    if (!reader.value(*result, 0)) {
        result = reader.takeError();
    } else if (reader.left() > 0) {
        result = fnd::parseError(fnd::kParseTrailingBytes, reader.position(),
                                 fnd::format("%zu trailing bytes after the value", reader.left()));
    }
    return result;
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
