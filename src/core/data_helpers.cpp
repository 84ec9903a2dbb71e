// Byte-buffer helpers: compression goes through the platform's zlib wrapper; Base64 is a small
// table codec here, so the core needs no crypto library of its own.
#include "core/data_helpers.h"

#include <array>
#include <cstdint>

#include "platform/foundation/format.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/zlib_codec.h"

namespace zelvan {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kInvalid = -1;

constexpr std::array<int8_t, 256> makeDecodeTable() {
    std::array<int8_t, 256> table{};
    table.fill(kInvalid);
    for (int i = 0; i < 64; ++i) {
        table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    }
    return table;
}

constexpr std::array<int8_t, 256> kDecode = makeDecodeTable();

} // namespace

fnd::Result<fnd::Bytes> zlibInflate(const fnd::Bytes& compressed, size_t maxOut) {
    return fnd::inflate(compressed, maxOut, fnd::ZlibFraming::Zlib);
}

fnd::Bytes zlibDeflate(const fnd::Bytes& data) {
    return fnd::deflate(data, -1, fnd::ZlibFraming::Zlib);
}

fnd::Result<fnd::Bytes> gzipInflate(const fnd::Bytes& compressed, size_t maxOut) {
    return fnd::inflate(compressed, maxOut, fnd::ZlibFraming::Gzip);
}

fnd::Bytes gzipDeflate(const fnd::Bytes& data) {
    return fnd::deflate(data, -1, fnd::ZlibFraming::Gzip);
}

std::string base64Encode(const fnd::Bytes& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        uint32_t group = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(kAlphabet[(group >> 6) & 63]);
        out.push_back(kAlphabet[group & 63]);
    }
    size_t rest = data.size() - i;
    if (rest > 0) {
        uint32_t group = uint32_t{data[i]} << 16;
        if (rest == 2) {
            group |= uint32_t{data[i + 1]} << 8;
        }
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(rest == 2 ? kAlphabet[(group >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

fnd::Result<fnd::Bytes> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return fnd::parseError(fnd::kParseTruncated, text.size() - text.size() % 4,
                               "length " + std::to_string(text.size()) + " is not a multiple of 4");
    }
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    }
    fnd::Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        size_t digits = last ? 4 - padding : 4;
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k) {
            int8_t v = k < digits ? kDecode[static_cast<uint8_t>(text[i + k])] : 0;
            if (v == kInvalid) {
                const auto c = static_cast<uint8_t>(text[i + k]);
                return fnd::parseError(fnd::kParseMalformed, i + k,
                                       c == '=' ? std::string("padding before the end")
                                                : fnd::format("character 0x%02x outside the alphabet", unsigned{c}));
            }
            group = (group << 6) | static_cast<uint32_t>(v);
        }
        out.push_back(static_cast<uint8_t>(group >> 16));
        if (digits >= 3) {
            out.push_back(static_cast<uint8_t>(group >> 8));
        }
        if (digits == 4) {
            out.push_back(static_cast<uint8_t>(group));
        }
        // Canonical text leaves the bits below the last whole byte zero.
        if ((digits == 2 && (group & 0xffff) != 0) || (digits == 3 && (group & 0xff) != 0)) {
            return fnd::parseError(fnd::kParseMalformed, i + digits - 1, "non-zero bits after the last byte");
        }
    }
    return out;
}

fnd::Bytes base64DecodeLenient(std::string_view text) {
    fnd::Bytes out;
    out.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int pending = 0;
    for (char c : text) {
        if (c == '=') {
            // The padding ends the text: what the group holds so far gives its bytes.
            group <<= 6 * (4 - pending);
            if (pending >= 1) {
                out.push_back(static_cast<uint8_t>(group >> 16));
            }
            if (pending == 3) {
                out.push_back(static_cast<uint8_t>(group >> 8));
            }
            return out;
        }
        const int8_t value = kDecode[static_cast<uint8_t>(c)];
        if (value == kInvalid) {
            continue;
        }
        group = (group << 6) | static_cast<uint32_t>(value);
        if (++pending == 4) {
            out.push_back(static_cast<uint8_t>(group >> 16));
            out.push_back(static_cast<uint8_t>(group >> 8));
            out.push_back(static_cast<uint8_t>(group));
            group = 0;
            pending = 0;
        }
    }
    return out;
}

} // namespace zelvan
