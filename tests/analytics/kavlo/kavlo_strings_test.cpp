// The Kavlo string helpers: every ASCII character through both encoders, decoding and SHA-1.
#include "analytics/kavlo/kavlo_strings.h"

#include <gtest/gtest.h>

namespace zelvan::kavlo {
namespace {

TEST(KavloStringsTest, EncodersKeepOrEscapeEachAsciiCharacter) {
    // Printable ASCII kept by each encoder (letters and digits aside); everything else is %XX.
    const std::string postKeeps = "!\"'*-.:_{}~,";
    const std::string urlKeeps = "-._~";
    for (int c = 0; c < 128; ++c) {
        const std::string one(1, static_cast<char>(c));
        const bool alnum = std::isalnum(c) != 0;
        char escaped[4];
        std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
        EXPECT_EQ(MCCreatePostEncodedString(one), alnum || postKeeps.find(one) != std::string::npos ? one : escaped)
            << "post " << c;
        EXPECT_EQ(MCCreateURLEncodedString(one), alnum || urlKeeps.find(one) != std::string::npos ? one : escaped)
            << "url " << c;
        EXPECT_EQ(MCCreateURLDecodedString(MCCreateURLEncodedString(one)), one);
    }
    EXPECT_EQ(MCCreatePostEncodedString("{\"q\":{\"s\":\"50% off #1\"}}"), "{\"q\":{\"s\":\"50%25%20off%20%231\"}}");
    EXPECT_EQ(MCCreateURLEncodedString("\xC3\xA9"), "%C3%A9");
}

TEST(KavloStringsTest, DecodingAndDigests) {
    EXPECT_EQ(MCCreateURLDecodedString("a%20b+c%C3%A9"), "a b+c\xC3\xA9");
    EXPECT_EQ(MCCreateURLDecodedString("%zz"), std::nullopt);
    EXPECT_EQ(MCCreateURLDecodedString("abc%4"), std::nullopt);
    EXPECT_EQ(MCCreateURLDecodedString("%FF"), std::nullopt);
    EXPECT_EQ(MCCreateSHA1String(std::string_view("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(MCCreateSHA1String(std::string_view("")), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(MCCreateSHA1String(fnd::Bytes{'a', 'b', 'c'}), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

} // namespace
} // namespace zelvan::kavlo
