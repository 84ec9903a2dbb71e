// zlib inflation of good, corrupt, truncated and oversized streams, deflation round trips, and CRC-32.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/zlib_codec.h"

namespace fnd {
namespace {

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// zlib.compress(b"hello") from the reference implementation.
const Bytes kHelloStream = {0x78, 0x9c, 0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x07, 0x00, 0x06, 0x2c, 0x02, 0x15};

TEST(ZlibTest, InflatesKnownStreamsAndRoundTrips) {
    EXPECT_EQ(inflate(kHelloStream, 100), bytesOf("hello"));
    EXPECT_EQ(inflate(kHelloStream, 5), bytesOf("hello")); // exactly at the limit

    std::mt19937 rng(7);
    Bytes noise(300000);
    for (auto& b : noise) {
        b = static_cast<uint8_t>(rng());
    }
    Bytes text;
    for (int i = 0; i < 20000; ++i) {
        auto line = "line " + std::to_string(i) + " of a repetitive command frame\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    for (const Bytes& original : {Bytes{}, bytesOf("x"), noise, text}) {
        for (int level : {-1, 0, 1, 9}) {
            Bytes packed = deflate(original, level);
            ASSERT_GE(packed.size(), 6u);
            EXPECT_EQ(inflate(packed, original.size()), original) << "level " << level;
        }
    }
    EXPECT_LT(deflate(text, 9).size(), text.size() / 10);
}

// The error of a refused stream: "<code> <description>", or "ok" when it inflated.
std::string refusal(const Result<Bytes>& result) {
    return result.ok() ? "ok" : std::to_string(result.error().code()) + " " + result.error().localizedDescription();
}

TEST(ZlibTest, RefusesCorruptTruncatedTrailingAndOversizedStreams) {
    testing::LogCapture log;
    Bytes bad = kHelloStream;
    bad[0] = 0x79; // wrong method/window in the header
    EXPECT_EQ(refusal(inflate(bad, 100)), "2 stream is corrupt: incorrect header check at offset 2");
    bad = kHelloStream;
    bad.back() ^= 0x01; // Adler-32 mismatch
    EXPECT_EQ(refusal(inflate(bad, 100)), "2 stream is corrupt: incorrect data check at offset 13");
    bad = kHelloStream;
    bad[4] = 0xff; // damaged deflate data
    EXPECT_FALSE(inflate(bad, 100).ok());
    EXPECT_EQ(inflate(bytesOf("not compressed at all"), 100).error().code(), kParseMalformed);

    for (size_t cut = 0; cut < kHelloStream.size(); ++cut) {
        Bytes prefix(kHelloStream.begin(), kHelloStream.begin() + static_cast<long>(cut));
        EXPECT_EQ(refusal(inflate(prefix, 100)), "1 stream is truncated at offset " + std::to_string(cut));
    }

    Bytes trailing = kHelloStream;
    trailing.push_back(0);
    EXPECT_EQ(refusal(inflate(trailing, 100)), "5 stray bytes follow the stream at offset 13");

    EXPECT_EQ(inflate(kHelloStream, 4).error().code(), kParseTooLarge);
    EXPECT_EQ(inflate(kHelloStream, 0).error().localizedFailureReason(), "output exceeds the size limit of 0 bytes");
    // A small stream that expands enormously is stopped at the limit.
    Bytes bomb = deflate(Bytes(8 << 20, 0), 9);
    EXPECT_LT(bomb.size(), 16u * 1024);
    auto refused = inflate(bomb, 1 << 20);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code(), kParseTooLarge);
    EXPECT_LE(parseErrorOffset(refused.error()), bomb.size());
    EXPECT_EQ(inflate(bomb, 8 << 20)->size(), 8u << 20);
    EXPECT_TRUE(log.lines().empty()); // the caller decides what to log
}

TEST(ZlibTest, Crc32MatchesTheCheckValue) {
    EXPECT_EQ(crc32(bytesOf("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32(Bytes{}), 0u);
    // The CRC of a PNG IEND chunk's type field.
    EXPECT_EQ(crc32(bytesOf("IEND")), 0xAE426082u);
}

} // namespace
} // namespace fnd
