// Private building blocks shared by the text helpers of fnd: one UTF-8 decoding step with the
// "maximal subpart" replacement rule, UTF-8/UTF-16 encoders and a fast ASCII scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace fnd::detail {

inline constexpr char32_t kReplacement = 0xFFFD;

// Characters of XML 1.0: tab, line feed, carriage return and everything from space up, except
// the surrogates (never decoded here) and U+FFFE/U+FFFF.
inline constexpr bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// One decoding step. `valid` is false for an ill-formed sequence; `length` is then the length of
// its maximal subpart (at least 1), which becomes one U+FFFD, and `codePoint` is U+FFFD.
struct Utf8Step {
    char32_t codePoint;
    uint32_t length;
    bool valid;
};

// Decodes the sequence at p (n >= 1 bytes available). Accepts exactly the well-formed sequences:
// no overlong forms, no surrogates, nothing above U+10FFFF.
inline Utf8Step decodeUtf8Step(const unsigned char* p, size_t n) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        return {b0, 1, true};
    }
    uint32_t need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) {
            lo = 0xA0; // overlong
        } else if (b0 == 0xED) {
            hi = 0x9F; // surrogates
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) {
            lo = 0x90; // overlong
        } else if (b0 == 0xF4) {
            hi = 0x8F; // above U+10FFFF
        }
    } else {
        return {kReplacement, 1, false};
    }
    for (uint32_t i = 1; i <= need; ++i) {
        if (i >= n) {
            return {kReplacement, i, false};
        }
        const unsigned char b = p[i];
        const unsigned char min = i == 1 ? lo : 0x80;
        const unsigned char max = i == 1 ? hi : 0xBF;
        if (b < min || b > max) {
            return {kReplacement, i, false};
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    return {cp, need + 1, true};
}

// Number of leading ASCII bytes of [p, p + n), checked eight bytes at a time.
inline size_t asciiPrefixLength(const char* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ull) {
            break;
        }
    }
    while (i < n && static_cast<unsigned char>(p[i]) < 0x80) {
        ++i;
    }
    return i;
}

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

inline constexpr bool isHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline constexpr bool isLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
inline constexpr bool isSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

// Iterates the code points of UTF-8 text, ill-formed subparts reading as U+FFFD.
class Utf8Cursor {
public:
    explicit Utf8Cursor(std::string_view s) : p_(reinterpret_cast<const unsigned char*>(s.data())), n_(s.size()) {}

    bool done() const { return pos_ >= n_; }
    size_t position() const { return pos_; }
    // Decodes the code point at the current position and moves past it.
    Utf8Step next() {
        Utf8Step step = decodeUtf8Step(p_ + pos_, n_ - pos_);
        pos_ += step.length;
        return step;
    }

private:
    const unsigned char* p_;
    size_t n_;
    size_t pos_ = 0;
};

} // namespace fnd::detail
