// The tagged value codec: a single-pass writer into a growing buffer and a single-pass reader that
// checks every declared length and count against the bytes left before it allocates anything.
#include "core/tagged_codec.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

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
    Writer() { buf_.resize(256); }

    void value(const fnd::Value& v, int depth);

    fnd::Bytes finish() {
        buf_.resize(pos_);
        if (lostNumber_) {
            fnd::log("WARN codec: non-integral number %@ written as the integer %lld", lostExample_, lostResult_);
        }
        if (droppedObjects_ > 0) {
            fnd::log("WARN codec: %zu object value(s) written as null", droppedObjects_);
        }
        if (tooDeep_) {
            fnd::log("WARN codec: containers nested deeper than %d written as null", kCodecMaxDepth);
        }
        if (tooLong_) {
            fnd::log("WARN codec: a value longer than 4 GiB written as null");
        }
        return std::move(buf_);
    }

private:
    uint8_t* reserve(size_t n) {
        if (buf_.size() - pos_ < n) {
            buf_.resize(std::max(buf_.size() * 2, pos_ + n));
        }
        return buf_.data() + pos_;
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
    std::optional<int64_t> wireInt(const fnd::Value& v);
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
    size_t i = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(s.data());
    for (; i < s.size() && in[i] < 0x80; ++i) {
        out[0] = 0;
        out[1] = in[i];
        out += 2;
    }
    if (i < s.size()) {
        std::u16string rest = fnd::toUtf16(std::string_view(s).substr(i));
        for (char16_t u : rest) {
            out[0] = static_cast<uint8_t>(u >> 8);
            out[1] = static_cast<uint8_t>(u);
            out += 2;
        }
    }
    size_t length = static_cast<size_t>(out - (p + 4));
    putBE(p, length, 4);
    pos_ += 4 + length;
}

// The integer a scalar kind is written as, or nullopt for kinds that are not written as integers.
std::optional<int64_t> Writer::wireInt(const fnd::Value& v) {
    double d = 0;
    switch (v.kind()) {
    case fnd::Value::Kind::Int:
        return *v.asInt();
    case fnd::Value::Kind::Bool:
        return *v.asBool() ? 1 : 0;
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
        return std::nullopt;
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
            uint8_t* p = reserve(5 + data.size());
            p[0] = static_cast<uint8_t>(CodecTag::Bytes);
            putBE(p + 1, data.size(), 4);
            if (!data.empty()) {
                std::memcpy(p + 5, data.data(), data.size());
            }
            pos_ += 5 + data.size();
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
        integer(*wireInt(v));
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
        auto k = item.kind();
        if (k != fnd::Value::Kind::Int && k != fnd::Value::Kind::Bool && k != fnd::Value::Kind::Double &&
            k != fnd::Value::Kind::Decimal && k != fnd::Value::Kind::Date) {
            allInts = false;
            break;
        }
    }
    if (allInts) {
        scratch_.reserve(items.size());
        for (const fnd::Value& item : items) {
            int64_t i = *wireInt(item);
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

    bool fail(std::string_view what, size_t offset) {
        fnd::log("WARN codec: %s at offset %zu", what, offset);
        return false;
    }

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
            return fail(std::string("truncated ") + what, start);
        }
        count = getBE(4);
        if (count * unit > left()) {
            return fail(fnd::format("%s of declared size %llu exceeds the %zu bytes left", what,
                                    static_cast<unsigned long long>(count), left()),
                        start);
        }
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
};

// A u32 byte length (even), then big-endian UTF-16 units; lone surrogates read as U+FFFD.
bool Reader::utf16(std::string& out, size_t start) {
    uint64_t length = 0;
    if (!header(length, 1, "string", start)) {
        return false;
    }
    if (length % 2 != 0) {
        return fail(fnd::format("odd UTF-16 byte count %llu", static_cast<unsigned long long>(length)), start);
    }
    const uint8_t* in = p_ + pos_;
    size_t units = length / 2;
    out.resize(units);
    size_t i = 0;
    for (; i < units; ++i) {
        if (in[2 * i] != 0 || in[2 * i + 1] >= 0x80) {
            break;
        }
        out[i] = static_cast<char>(in[2 * i + 1]);
    }
    if (i < units) {
        out.resize(i);
        std::u16string rest(units - i, u'\0');
        for (size_t j = i; j < units; ++j) {
            rest[j - i] = static_cast<char16_t>((in[2 * j] << 8) | in[2 * j + 1]);
        }
        out += fnd::fromUtf16(rest);
    }
    pos_ += length;
    return true;
}

bool Reader::integer(fnd::Value& out, int width, size_t start) {
    if (left() < static_cast<size_t>(width)) {
        return fail("truncated integer", start);
    }
    out = fnd::Value(signExtend(getBE(width), width));
    return true;
}

bool Reader::intArray(fnd::Value& out, int width, size_t start) {
    uint64_t count = 0;
    if (!header(count, width, "int array", start)) {
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
    std::vector<fnd::Value> items(count);
    for (uint64_t i = 0; i < count; ++i) {
        if (!value(items[i], depth)) {
            return false;
        }
    }
    out = fnd::Value(std::make_shared<fnd::Array>(std::move(items)));
    return true;
}

bool Reader::stringArray(fnd::Value& out, size_t start) {
    uint64_t count = 0;
    if (!header(count, 4, "string array", start)) {
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
    fnd::Value item;
    for (uint64_t i = 0; i < count; ++i) {
        size_t keyStart = pos_;
        if (left() < 1) {
            return fail("truncated dictionary key", keyStart);
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
                return fail("truncated dictionary key", keyStart);
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
            return fail(fnd::format("dictionary key of tag 0x%02x", static_cast<unsigned>(keyTag)), keyStart);
        }
        if (!value(item, depth)) {
            return false;
        }
        dict->setObject(std::move(item), key);
    }
    out = fnd::Value(std::move(dict));
    return true;
}

bool Reader::value(fnd::Value& out, int depth) {
    size_t start = pos_;
    if (left() < 1) {
        return fail("truncated value", start);
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
        if (!header(length, 1, "byte string", start)) {
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
            return fail(fnd::format("containers nested deeper than %d", kCodecMaxDepth), start);
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
    return fail(fnd::format("unknown tag 0x%02x", static_cast<unsigned>(t)), start);
}

} // namespace

fnd::Bytes dumps(const fnd::Value& value) {
    Writer writer;
    writer.value(value, 0);
    return writer.finish();
}

std::optional<fnd::Value> loads(std::span<const uint8_t> bytes) {
    Reader reader(bytes);
    fnd::Value out;
    if (!reader.value(out, 0)) {
        return std::nullopt;
    }
    if (reader.left() > 0) {
        reader.fail(fnd::format("%zu trailing bytes after the value", reader.left()), reader.position());
        return std::nullopt;
    }
    return out;
}

} // namespace zelvan
