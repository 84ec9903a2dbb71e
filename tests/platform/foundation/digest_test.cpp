// MD5 and SHA-1 against the published test vectors, over strings and byte buffers.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/digest.h"

namespace fnd {
namespace {

TEST(DigestTest, Md5MatchesRfc1321Vectors) {
    const struct {
        std::string input;
        std::string hex;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(md5Hex(c.input), c.hex);
        EXPECT_EQ(md5Hex(Bytes(c.input.begin(), c.input.end())), c.hex);
    }
    auto raw = md5(std::string_view("abc"));
    EXPECT_EQ(raw[0], 0x90);
    EXPECT_EQ(raw[15], 0x72);
}

TEST(DigestTest, Sha1MatchesFips180VectorsInUpperCase) {
    EXPECT_EQ(sha1HexUpper(std::string_view("")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(sha1HexUpper(std::string_view("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(sha1HexUpper(std::string_view("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    EXPECT_EQ(sha1HexUpper(Bytes(1000000, 'a')), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
    auto raw = sha1(std::string_view("abc"));
    EXPECT_EQ(raw[0], 0xA9);
    EXPECT_EQ(raw[19], 0x9D);
}

TEST(DigestTest, ZeroBytesInsideTheInputCount) {
    Bytes withZero = {'a', 0, 'b'};
    EXPECT_EQ(md5(withZero), md5(std::string_view("a\0b", 3)));
    EXPECT_NE(md5Hex(withZero), md5Hex(std::string_view("a")));
    EXPECT_NE(sha1(withZero), sha1(std::string_view("a")));
}

} // namespace
} // namespace fnd
