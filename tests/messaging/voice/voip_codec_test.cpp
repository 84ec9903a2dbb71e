// The call's mu-law codec and its received-voice buffer: fixed points of the encoder and decoder,
// tables that agree with the formulas, the silence test, and playback buffers drained and capped.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "messaging/voice/mulaw_codec.h"
#include "messaging/voice/voice_play_buffer.h"

namespace zelvan {
namespace {

TEST(MulawCodecTest, FixedPointsAndTablesMatchTheFormulas) {
    EXPECT_EQ(mulaw::encode(0), 0xFF);
    EXPECT_EQ(mulaw::encode(32767), 0x80);
    EXPECT_EQ(mulaw::encode(-32768), 0x00);
    EXPECT_EQ(mulaw::decode(0xFF), 0);
    EXPECT_EQ(mulaw::decode(0x7F), 0);
    EXPECT_EQ(mulaw::decode(0x80), 32124);
    EXPECT_EQ(mulaw::decode(0x00), -32124);
    for (int u = 0; u < 65536; ++u) {
        const auto sample = static_cast<int16_t>(static_cast<uint16_t>(u));
        ASSERT_EQ(mulaw::encodes()[static_cast<size_t>(u)], mulaw::encode(sample)) << u;
    }
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        ASSERT_EQ(mulaw::decodes()[static_cast<size_t>(b)], mulaw::decode(byte)) << b;
        // Every code survives a round trip through its sample, except the two zeros, which share one.
        if (b != 0x7F) {
            EXPECT_EQ(mulaw::encode(mulaw::decode(byte)), byte) << b;
        }
    }
}

TEST(MulawCodecTest, SilenceIsDecidedByTheHighBytesAndEveryBlockIsEncoded) {
    // Equal high bytes are silent whatever the low bytes do.
    std::vector<int16_t> quiet(1024);
    for (size_t i = 0; i < quiet.size(); ++i) {
        quiet[i] = static_cast<int16_t>(0x1200 + static_cast<int>(i % 256));
    }
    std::vector<uint8_t> out(quiet.size());
    EXPECT_TRUE(mulaw::encodedata(out.data(), quiet.data(), quiet.size()));
    EXPECT_EQ(out[5], mulaw::encode(quiet[5]));
    // One high byte apart over half the block is a variance of 0.25: still silent; two apart is not.
    std::vector<int16_t> step(1024, 0);
    for (size_t i = 0; i < step.size() / 2; ++i) {
        step[i] = 0x100;
    }
    EXPECT_TRUE(mulaw::encodedata(out.data(), step.data(), step.size()));
    for (size_t i = 0; i < step.size() / 2; ++i) {
        step[i] = 0x200;
    }
    EXPECT_FALSE(mulaw::encodedata(out.data(), step.data(), step.size()));
    EXPECT_EQ(out[0], mulaw::encode(0x200));
    EXPECT_EQ(out[1023], 0xFF);
    // Negative high bytes average toward zero, as signed values.
    std::vector<int16_t> wave = {-32768, 32767, -32768, 32767};
    EXPECT_FALSE(mulaw::encodedata(out.data(), wave.data(), wave.size()));
    // An empty block is not silent.
    EXPECT_FALSE(mulaw::encodedata(out.data(), wave.data(), 0));

    std::vector<int16_t> decoded(4);
    const uint8_t codes[4] = {0xFF, 0x80, 0x00, 0x7F};
    mulaw::decodedata(decoded.data(), codes, 4);
    EXPECT_EQ(decoded, (std::vector<int16_t>{0, 32124, -32124, 0}));
}

// The 16-bit samples of a filled output buffer.
std::vector<int16_t> samplesOf(const uint8_t* data, uint32_t bytes) {
    std::vector<int16_t> samples(bytes / 2);
    std::memcpy(samples.data(), data, bytes);
    return samples;
}

TEST(VoicePlayBufferTest, DrainsAtMostHalfTheCapacityAndKeepsTheNewestTwoSeconds) {
    VoicePlayBuffer buffer;
    std::vector<uint8_t> out(2048, 0xAA);
    // Nothing received: a whole buffer of silence.
    EXPECT_EQ(buffer.fill(out.data(), 2048), 2048u);
    EXPECT_EQ(samplesOf(out.data(), 2048), std::vector<int16_t>(1024, 0));

    std::vector<uint8_t> received(3000);
    for (size_t i = 0; i < received.size(); ++i) {
        received[i] = static_cast<uint8_t>(i * 7);
    }
    buffer.append(received.data(), 1000);
    buffer.append(received.data() + 1000, 2000);
    std::vector<uint32_t> sizes;
    std::vector<int16_t> played;
    for (int i = 0; i < 4; ++i) {
        const uint32_t bytes = buffer.fill(out.data(), 2048);
        sizes.push_back(bytes);
        auto samples = samplesOf(out.data(), bytes);
        played.insert(played.end(), samples.begin(), samples.end());
    }
    EXPECT_EQ(sizes, (std::vector<uint32_t>{2048, 2048, 1904, 2048}));
    for (size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ(played[i], mulaw::decode(received[i])) << i;
    }
    EXPECT_EQ(played.back(), 0);

    // Past two seconds the oldest bytes go, in small pieces and in one large one alike.
    std::vector<uint8_t> flood(VoicePlayBuffer::kMaxBytes + 500);
    for (size_t i = 0; i < flood.size(); ++i) {
        flood[i] = static_cast<uint8_t>(i % 251);
    }
    for (size_t at = 0; at < flood.size(); at += 700) {
        buffer.append(flood.data() + at, std::min<size_t>(700, flood.size() - at));
        ASSERT_LE(buffer.size(), VoicePlayBuffer::kMaxBytes);
    }
    EXPECT_EQ(buffer.size(), VoicePlayBuffer::kMaxBytes);
    EXPECT_EQ(buffer.dropped(), 500u);
    buffer.fill(out.data(), 2048);
    EXPECT_EQ(samplesOf(out.data(), 2)[0], mulaw::decode(flood[500]));
    buffer.clear();
    buffer.append(flood.data(), flood.size());
    EXPECT_EQ(buffer.size(), VoicePlayBuffer::kMaxBytes);
    buffer.fill(out.data(), 2);
    EXPECT_EQ(samplesOf(out.data(), 2)[0], mulaw::decode(flood[500]));
}

} // namespace
} // namespace zelvan
