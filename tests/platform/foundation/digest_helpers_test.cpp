// Digest helpers: MD5 hex up to the first zero byte, and the big-endian CRC-32 bytes.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/foundation/digest_helpers.h"

namespace zelvan {
namespace {

TEST(DigestHelpersTest, Md5HexOfTextUpToFirstZeroByte) {
    struct Case {
        std::string text;
        std::string hex;
    };
    const std::vector<Case> cases = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
        {std::string("abc\0def", 7), "900150983cd24fb0d6963f7d28e17f72"},
        {std::string("\0abc", 4), "d41d8cd98f00b204e9800998ecf8427e"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(newMD5String(c.text), c.hex);
        fnd::Bytes data = md5(c.text);
        EXPECT_EQ(std::string(data.begin(), data.end()), c.hex);
    }
}

TEST(DigestHelpersTest, Crc32IsBigEndian) {
    const std::string check = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(check.data());
    EXPECT_EQ(crc32(bytes, check.size()), (std::array<uint8_t, 4>{0xcb, 0xf4, 0x39, 0x26}));
    EXPECT_EQ(crc32(bytes, 0), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(crc32(nullptr, 16), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    // The PNG IEND chunk's CRC over its type.
    const uint8_t iend[] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(crc32(iend, 4), (std::array<uint8_t, 4>{0xae, 0x42, 0x60, 0x82}));
}

} // namespace
} // namespace zelvan
