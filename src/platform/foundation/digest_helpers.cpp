// MD5 and CRC-32 helpers over the platform's digest and zlib wrappers.
#include "platform/foundation/digest_helpers.h"

#include "platform/foundation/digest.h"
#include "platform/foundation/zlib_codec.h"

namespace zelvan {

namespace {

// The text as a C string would see it: up to the first zero byte.
std::string_view untilFirstZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

fnd::Bytes md5(std::string_view text) {
    std::string hex = fnd::md5Hex(untilFirstZero(text));
    return fnd::Bytes(hex.begin(), hex.end());
}

std::string newMD5String(std::string_view text) {
    return fnd::md5Hex(untilFirstZero(text));
}

std::array<uint8_t, 4> crc32(const uint8_t* bytes, size_t length) {
    uint32_t crc = bytes == nullptr ? fnd::crc32(nullptr, 0) : fnd::crc32(bytes, length);
    return {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 8),
            static_cast<uint8_t>(crc)};
}

} // namespace zelvan
