// Runs of plain bytes in JSON text: the length of the stretch before the first byte a reader or writer
// must look at (a quote, a backslash, a control byte, ...), found eight bytes at a time; the check of one
// UTF-8 sequence; and the escapes the writers put in place of the bytes that need one. Shared by the JSON
// readers and writers.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zelvan::jsonscan {

// The bytes that end a run: control bytes below 0x20 (when `controls`), bytes from 0x80 up (when
// `high`), and the ASCII bytes listed in `bytes` (up to three; '\0' pads).
struct RunStops {
    bool controls = false;
    bool high = false;
    std::array<char, 3> bytes{};

    constexpr bool stops(uint8_t b) const {
        if ((controls && b < 0x20) || (high && b >= 0x80)) {
            return true;
        }
        for (char c : bytes) {
            if (c != '\0' && b == static_cast<uint8_t>(c)) {
                return true;
            }
        }
        return false;
    }
};

namespace detail {

inline constexpr uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr uint64_t kHighs = 0x8080808080808080ULL;

// Eight bytes as one word, the first byte lowest, whatever the machine's byte order.
inline uint64_t loadLittleEndian(const char* p) {
    uint64_t word = 0;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i) {
            swapped = (swapped << 8) | ((word >> (8 * i)) & 0xFF);
        }
        word = swapped;
    }
    return word;
}

// The high bit of each byte of `word` below `n` (n at most 0x80). A borrow can also flag a byte above
// one that is below n, never one below the lowest such byte, so the lowest flag is exact.
constexpr uint64_t bytesBelow(uint64_t word, uint8_t n) {
    return (word - kOnes * n) & ~word & kHighs;
}

// Flags the bytes of `word` that S stops at; the lowest flag marks the first of them.
template <RunStops S>
constexpr uint64_t stopFlags(uint64_t word) {
    uint64_t flags = 0;
    if constexpr (S.controls) {
        flags |= bytesBelow(word, 0x20);
    }
    if constexpr (S.high) {
        flags |= word & kHighs;
    }
    for (char c : S.bytes) {
        if (c != '\0') {
            flags |= bytesBelow(word ^ (kOnes * static_cast<uint8_t>(c)), 1);
        }
    }
    return flags;
}

template <RunStops S>
inline constexpr std::array<bool, 256> kStopTable = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = S.stops(static_cast<uint8_t>(b));
    }
    return table;
}();

} // namespace detail

// The number of leading bytes of [p, p + n) that S does not stop at, looked at eight bytes at a time
// (the last few one by one).
template <RunStops S>
size_t plainRunLength(const char* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t flags = detail::stopFlags<S>(detail::loadLittleEndian(p + i));
        if (flags != 0) {
            return i + static_cast<size_t>(std::countr_zero(flags)) / 8;
        }
    }
    const auto& table = detail::kStopTable<S>;
    while (i < n && !table[static_cast<uint8_t>(p[i])]) {
        ++i;
    }
    return i;
}

// The length of the well-formed UTF-8 sequence at `p` (of `n` bytes left, at least one), or 0 when it is
// not one: no overlong forms, no surrogates, nothing above U+10FFFF.
inline size_t utf8SequenceLength(const char* p, size_t n) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const unsigned char b = u[0];
    size_t length = 0;
    unsigned char lo = 0x80; // the range of the second byte
    unsigned char hi = 0xBF;
    if (b < 0x80) {
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (n < length || u[1] < lo || u[1] > hi) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (u[i] < 0x80 || u[i] > 0xBF) {
            return 0;
        }
    }
    return length;
}

// The escape the writers put for a byte (empty for a byte written as it is): the short forms for quote,
// backslash, backspace, form feed, line feed, carriage return and tab, "\u00xx" for other control bytes
// below 0x20, and "\/" for '/' when `slash`.
struct Escape {
    uint8_t length = 0;
    std::array<char, 6> text{};

    std::string_view view() const { return {text.data(), length}; }
};

constexpr std::array<Escape, 256> escapeTable(bool slash) {
    std::array<Escape, 256> table{};
    constexpr char kHex[] = "0123456789abcdef";
    for (int b = 0; b < 0x20; ++b) {
        table[b] = {6, {'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 15]}};
    }
    auto shortForm = [&table](char byte, char letter) { table[static_cast<uint8_t>(byte)] = {2, {'\\', letter}}; };
    shortForm('"', '"');
    shortForm('\\', '\\');
    shortForm('\b', 'b');
    shortForm('\f', 'f');
    shortForm('\n', 'n');
    shortForm('\r', 'r');
    shortForm('\t', 't');
    if (slash) {
        shortForm('/', '/');
    }
    return table;
}

namespace detail {

template <bool Slash, bool CheckUtf8>
bool appendEscapedText(std::string& out, std::string_view text) {
    static constexpr RunStops kStops{true, CheckUtf8, {'"', '\\', Slash ? '/' : '\0'}};
    static constexpr std::array<Escape, 256> kEscapes = escapeTable(Slash);
    static_assert(
        [] {
            for (int b = 0; b < 0x80; ++b) {
                if (kStops.stops(static_cast<uint8_t>(b)) != (kEscapes[b].length != 0)) {
                    return false;
                }
            }
            return true;
        }(),
        "the run stops below 0x80 are exactly the escaped bytes");
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* plain = p; // the start of the bytes not yet appended
    while (true) {
        p += plainRunLength<kStops>(p, static_cast<size_t>(end - p));
        if (p == end) {
            break;
        }
        const auto b = static_cast<uint8_t>(*p);
        if (CheckUtf8 && b >= 0x80) {
            const size_t n = utf8SequenceLength(p, static_cast<size_t>(end - p));
            if (n == 0) {
                return false;
            }
            p += n;
            continue;
        }
        out.append(plain, static_cast<size_t>(p - plain));
        out.append(kEscapes[b].view());
        plain = ++p;
    }
    out.append(plain, static_cast<size_t>(end - plain));
    return true;
}

} // namespace detail

// Appends `text` as the inside of a JSON string: control bytes below 0x20, quote and backslash escaped
// (and '/' when `Slash`), every other byte as it is.
template <bool Slash>
void appendEscaped(std::string& out, std::string_view text) {
    detail::appendEscapedText<Slash, false>(out, text);
}

// The same for text that must be well-formed UTF-8: false at the first ill-formed sequence, after
// appending some of the text before it.
template <bool Slash>
bool appendEscapedUtf8(std::string& out, std::string_view text) {
    return detail::appendEscapedText<Slash, true>(out, text);
}

} // namespace zelvan::jsonscan
