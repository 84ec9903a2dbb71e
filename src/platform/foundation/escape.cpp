// Percent, JavaScript and HTML escaping, table-driven over ASCII.
#include "platform/foundation/escape.h"

#include <array>
#include <cstdint>

#include "platform/foundation/encodings.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

// A set of ASCII characters kept unescaped.
using KeepSet = std::array<bool, 128>;

constexpr KeepSet keepSet(std::string_view punctuation) {
    KeepSet set{};
    for (char c = 'A'; c <= 'Z'; ++c) {
        set[static_cast<unsigned char>(c)] = true;
        set[static_cast<unsigned char>(c - 'A' + 'a')] = true;
    }
    for (char c = '0'; c <= '9'; ++c) {
        set[static_cast<unsigned char>(c)] = true;
    }
    for (char c : punctuation) {
        set[static_cast<unsigned char>(c)] = true;
    }
    return set;
}

constexpr KeepSet kLegacy = keepSet("-_.!~*'();/?:@&=+$,#");
constexpr KeepSet kUnreserved = keepSet("-._~");
constexpr char kHex[] = "0123456789ABCDEF";

std::string percentEscape(std::string_view s, const KeepSet& keep) {
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80 && keep[b]) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0x0F]);
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The byte of the escape at s[i] ('%'), or -1 when two hex digits do not follow.
int escapedByte(std::string_view s, size_t i) {
    if (s.size() - i < 3) {
        return -1;
    }
    const int hi = hexValue(s[i + 1]);
    const int lo = hexValue(s[i + 2]);
    return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
}

void appendUnicodeEscape(std::string& out, char32_t c) {
    out.append("\\u");
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kHex[(c >> shift) & 0x0F]);
    }
}

} // namespace

std::string escapeLegacy(std::string_view s) {
    return percentEscape(s, kLegacy);
}

std::string escapeLegacyPlus(std::string_view s, std::string_view extra, std::string_view keepToo) {
    KeepSet keep = kLegacy;
    for (char c : keepToo) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            keep[b] = true;
        }
    }
    for (char c : extra) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            keep[b] = false;
        }
    }
    return percentEscape(s, keep);
}

std::string escapeUnreserved(std::string_view s) {
    return percentEscape(s, kUnreserved);
}

std::optional<std::string> unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i]);
            continue;
        }
        const int b = escapedByte(s, i);
        if (b < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(b));
        i += 2;
    }
    if (!isValidUtf8(out)) {
        return std::nullopt;
    }
    return out;
}

std::string unescapeLenient(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const int b = s[i] == '%' ? escapedByte(s, i) : -1;
        if (b < 0) {
            out.push_back(s[i]);
            continue;
        }
        out.push_back(static_cast<char>(b));
        i += 2;
    }
    if (isValidUtf8(out)) {
        return out;
    }
    return decodeUtf8Lossy(std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
}

std::string jsEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    detail::Utf8Cursor cursor(s);
    char32_t previous = 0;
    while (!cursor.done()) {
        const char32_t c = cursor.next().codePoint;
        switch (c) {
        case '\\':
            out.append("\\\\");
            break;
        case '\'':
            out.append("\\'");
            break;
        case '"':
            out.append("\\\"");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        case '/':
            out.append(previous == '<' ? "\\/" : "/");
            break;
        default:
            if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
                appendUnicodeEscape(out, c);
            } else {
                detail::appendUtf8(out, c);
            }
        }
        previous = c;
    }
    return out;
}

std::string htmlEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    detail::Utf8Cursor cursor(s);
    while (!cursor.done()) {
        const char32_t c = cursor.next().codePoint;
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\'':
            out.append("&#39;");
            break;
        default:
            detail::appendUtf8(out, c);
        }
    }
    return out;
}

} // namespace fnd
