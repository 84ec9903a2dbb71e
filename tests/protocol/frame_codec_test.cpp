// Frame encoding and reassembly: frames across arbitrary piece boundaries, and the lengths the
// reader refuses (negative, above the cap) with an ERROR line and no further payloads.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "protocol/frame_codec.h"

namespace zelvan {
namespace {

fnd::Bytes bytes(std::initializer_list<int> list) {
    fnd::Bytes out;
    for (int b : list) {
        out.push_back(static_cast<uint8_t>(b));
    }
    return out;
}

TEST(FrameCodecTest, EncodesBigEndianLengthAndReassemblesAcrossAnySplit) {
    EXPECT_EQ(encodeFrame(fnd::Bytes{}), bytes({0, 0, 0, 0}));
    EXPECT_EQ(encodeFrame(bytes({7, 8, 9})), bytes({0, 0, 0, 3, 7, 8, 9}));
    fnd::Bytes big(0x010203, 0x5a);
    fnd::Bytes bigFrame = encodeFrame(big);
    EXPECT_EQ(fnd::Bytes(bigFrame.begin(), bigFrame.begin() + 4), bytes({0, 1, 2, 3}));

    std::mt19937 rng(7);
    std::vector<fnd::Bytes> sent;
    fnd::Bytes stream;
    for (size_t len : {0, 1, 5, 300, 70000, 0, 2}) {
        fnd::Bytes payload(len);
        for (auto& b : payload) {
            b = static_cast<uint8_t>(rng());
        }
        fnd::append(stream, encodeFrame(payload));
        sent.push_back(std::move(payload));
    }
    // One piece, one-byte pieces, and random pieces all give the same payloads in order.
    for (int mode = 0; mode < 3; ++mode) {
        FrameReader reader;
        std::vector<fnd::Bytes> got;
        size_t pos = 0;
        while (pos < stream.size()) {
            size_t n = mode == 0 ? stream.size() : mode == 1 ? 1 : 1 + rng() % 9000;
            n = std::min(n, stream.size() - pos);
            ASSERT_TRUE(reader.feed(std::span<const uint8_t>(stream.data() + pos, n), got));
            pos += n;
        }
        EXPECT_EQ(got, sent) << "mode " << mode;
        EXPECT_EQ(reader.pendingBytes(), 0u);
    }

    // A partial frame waits without holding more than what arrived.
    FrameReader reader;
    std::vector<fnd::Bytes> got;
    ASSERT_TRUE(reader.feed(bytes({0, 0, 0x10, 0, 1, 2}), got));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(reader.pendingBytes(), 6u);
}

TEST(FrameCodecTest, RefusesNegativeAndOversizedLengths) {
    struct Case {
        const char* name;
        fnd::Bytes header;
        bool ok;
    };
    const uint32_t cap = static_cast<uint32_t>(kMaxFrameBytes);
    const Case cases[] = {
        {"at the cap", bytes({int(cap >> 24), int((cap >> 16) & 0xff), 0, 0}), true},
        {"one above the cap", bytes({int(cap >> 24), int((cap >> 16) & 0xff), 0, 1}), false},
        {"huge", bytes({0x7f, 0xff, 0xff, 0xff}), false},
        {"negative", bytes({0x80, 0, 0, 0}), false},
        {"minus one", bytes({0xff, 0xff, 0xff, 0xff}), false},
    };
    for (const Case& c : cases) {
        fnd::testing::LogCapture log;
        FrameReader reader;
        std::vector<fnd::Bytes> got;
        // A good frame ahead of the header still arrives; the header arrives a byte at a time.
        fnd::Bytes stream = encodeFrame(bytes({42}));
        fnd::append(stream, c.header);
        bool ok = true;
        for (uint8_t b : stream) {
            ok = reader.feed(std::span<const uint8_t>(&b, 1), got) && ok;
        }
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ(reader.failed(), !c.ok) << c.name;
        ASSERT_EQ(got.size(), 1u) << c.name;
        EXPECT_EQ(got[0], bytes({42})) << c.name;
        EXPECT_EQ(log.count("ERROR"), c.ok ? 0u : 1u) << c.name;
        if (!c.ok) {
            // A failed reader stays failed and hands out nothing more.
            EXPECT_FALSE(reader.feed(encodeFrame(bytes({1})), got)) << c.name;
            EXPECT_EQ(got.size(), 1u) << c.name;
            EXPECT_EQ(log.count("ERROR"), 1u) << c.name;
            reader.reset();
            EXPECT_TRUE(reader.feed(encodeFrame(bytes({1})), got)) << c.name;
            EXPECT_EQ(got.size(), 2u) << c.name;
        }
    }
}

} // namespace
} // namespace zelvan
