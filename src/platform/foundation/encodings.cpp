// Byte-level encoders and decoders for the text encodings fnd supports.
#include "platform/foundation/encodings.h"

#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

using detail::appendUtf8;
using detail::kReplacement;

std::string_view asChars(std::span<const uint8_t> bytes) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

uint32_t readUnit(const uint8_t* p, size_t width, ByteOrder order) {
    uint32_t v = 0;
    for (size_t i = 0; i < width; ++i) {
        const size_t at = order == ByteOrder::BigEndian ? i : width - 1 - i;
        v = (v << 8) | p[at];
    }
    return v;
}

void writeUnit(Bytes& out, uint32_t v, size_t width, ByteOrder order) {
    for (size_t i = 0; i < width; ++i) {
        const size_t shift = order == ByteOrder::BigEndian ? 8 * (width - 1 - i) : 8 * i;
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

// Decodes UTF-16; `strict` stops at the first flaw and reports it through `ok`.
std::string utf16ToUtf8(std::span<const uint8_t> bytes, ByteOrder order, bool strict, bool& ok) {
    ok = true;
    std::string out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        char32_t c = readUnit(bytes.data() + 2 * i, 2, order);
        if (detail::isHighSurrogate(c) && i + 1 < units) {
            const char32_t next = readUnit(bytes.data() + 2 * (i + 1), 2, order);
            if (detail::isLowSurrogate(next)) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            }
        }
        if (detail::isSurrogate(c)) {
            if (strict) {
                ok = false;
                return {};
            }
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    if (bytes.size() % 2 != 0) {
        if (strict) {
            ok = false;
            return {};
        }
        appendUtf8(out, kReplacement);
    }
    return out;
}

std::string utf32ToUtf8(std::span<const uint8_t> bytes, ByteOrder order, bool strict, bool& ok) {
    ok = true;
    std::string out;
    out.reserve(bytes.size() / 2);
    const size_t units = bytes.size() / 4;
    for (size_t i = 0; i < units; ++i) {
        char32_t c = readUnit(bytes.data() + 4 * i, 4, order);
        if (c > 0x10FFFF || detail::isSurrogate(c)) {
            if (strict) {
                ok = false;
                return {};
            }
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    if (bytes.size() % 4 != 0) {
        if (strict) {
            ok = false;
            return {};
        }
        appendUtf8(out, kReplacement);
    }
    return out;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t pos = 0;
    while (pos < n) {
        if (p[pos] < 0x80) {
            pos += detail::asciiPrefixLength(bytes.data() + pos, n - pos);
            continue;
        }
        const detail::Utf8Step step = detail::decodeUtf8Step(p + pos, n - pos);
        if (!step.valid) {
            return false;
        }
        pos += step.length;
    }
    return true;
}

std::optional<std::string> decodeUtf8(std::span<const uint8_t> bytes) {
    std::string_view text = asChars(bytes);
    if (!isValidUtf8(text)) {
        return std::nullopt;
    }
    return std::string(text);
}

std::string decodeUtf8Lossy(std::span<const uint8_t> bytes) {
    std::string_view text = asChars(bytes);
    if (isValidUtf8(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(bytes.size() + 8);
    detail::Utf8Cursor cursor(text);
    while (!cursor.done()) {
        const size_t at = cursor.position();
        const detail::Utf8Step step = cursor.next();
        if (step.valid) {
            out.append(text.substr(at, step.length));
        } else {
            appendUtf8(out, kReplacement);
        }
    }
    return out;
}

std::optional<std::string> decodeAscii(std::span<const uint8_t> bytes) {
    std::string_view text = asChars(bytes);
    if (detail::asciiPrefixLength(text.data(), text.size()) != text.size()) {
        return std::nullopt;
    }
    return std::string(text);
}

std::string decodeLatin1(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes) {
        appendUtf8(out, b);
    }
    return out;
}

std::optional<Bytes> encodeLatin1(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    detail::Utf8Cursor cursor(text);
    while (!cursor.done()) {
        const detail::Utf8Step step = cursor.next();
        if (!step.valid || step.codePoint > 0xFF) {
            return std::nullopt;
        }
        out.push_back(static_cast<uint8_t>(step.codePoint));
    }
    return out;
}

std::optional<std::string> decodeUtf16(std::span<const uint8_t> bytes, ByteOrder order) {
    bool ok = false;
    std::string text = utf16ToUtf8(bytes, order, true, ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

std::string decodeUtf16Lossy(std::span<const uint8_t> bytes, ByteOrder order) {
    bool ok = false;
    return utf16ToUtf8(bytes, order, false, ok);
}

Bytes encodeUtf16(std::string_view text, ByteOrder order) {
    Bytes out;
    out.reserve(text.size() * 2);
    detail::Utf8Cursor cursor(text);
    while (!cursor.done()) {
        char32_t c = cursor.next().codePoint;
        if (c >= 0x10000) {
            c -= 0x10000;
            writeUnit(out, 0xD800 + (c >> 10), 2, order);
            writeUnit(out, 0xDC00 + (c & 0x3FF), 2, order);
        } else {
            writeUnit(out, c, 2, order);
        }
    }
    return out;
}

std::optional<std::string> decodeUtf32(std::span<const uint8_t> bytes, ByteOrder order) {
    bool ok = false;
    std::string text = utf32ToUtf8(bytes, order, true, ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

std::string decodeUtf32Lossy(std::span<const uint8_t> bytes, ByteOrder order) {
    bool ok = false;
    return utf32ToUtf8(bytes, order, false, ok);
}

Bytes encodeUtf32(std::string_view text, ByteOrder order) {
    Bytes out;
    out.reserve(text.size() * 4);
    detail::Utf8Cursor cursor(text);
    while (!cursor.done()) {
        writeUnit(out, cursor.next().codePoint, 4, order);
    }
    return out;
}

} // namespace fnd
