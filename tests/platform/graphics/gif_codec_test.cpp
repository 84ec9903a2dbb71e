// GIF first-frame decoding (files written with giflib here): colours, the transparent index,
// interlacing, frames placed on a larger screen, and refusal of damaged or oversized files.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/image.h"

namespace gfx {
namespace {

const GifColorType kColors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
const Rgba8 kRgba[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};

struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlace = false;
    int transparent = NO_TRANSPARENT_COLOR;
    std::function<int(int x, int y)> index;
};

int writeBytes(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<fnd::Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

fnd::Bytes writeGif(int screenW, int screenH, const std::vector<Frame>& frames) {
    fnd::Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeBytes, &error);
    EXPECT_NE(gif, nullptr);
    ColorMapObject* map = GifMakeMapObject(4, kColors);
    EGifSetGifVersion(gif, true);
    EXPECT_EQ(EGifPutScreenDesc(gif, screenW, screenH, 2, 0, map), GIF_OK);
    for (const Frame& f : frames) {
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = f.transparent;
            GifByteType ext[4];
            size_t len = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext);
        }
        EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr), GIF_OK);
        std::vector<int> order;
        if (f.interlace) {
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
                for (int y = start; y < f.height; y += step) {
                    order.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < f.height; ++y) {
                order.push_back(y);
            }
        }
        for (int y : order) {
            std::vector<GifPixelType> line;
            for (int x = 0; x < f.width; ++x) {
                line.push_back(static_cast<GifPixelType>(f.index(x, y)));
            }
            EXPECT_EQ(EGifPutLine(gif, line.data(), f.width), GIF_OK);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

TEST(GifCodec, DecodesTheFirstFrame) {
    auto pattern = [](int x, int y) { return (x + 2 * y) % 4; };
    struct Case {
        const char* name;
        Frame frame;
    };
    const Case cases[] = {
        {"plain", Frame{0, 0, 6, 11, false, NO_TRANSPARENT_COLOR, pattern}},
        {"interlaced", Frame{0, 0, 6, 11, true, NO_TRANSPARENT_COLOR, pattern}},
        {"transparent index 2", Frame{0, 0, 6, 11, false, 2, pattern}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A second frame of a single colour must not show.
        Frame second{0, 0, 6, 11, false, NO_TRANSPARENT_COLOR, [](int, int) { return 3; }};
        ImagePtr image = Image::imageWithData(writeGif(6, 11, {c.frame, second}));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->width(), 6);
        ASSERT_EQ(image->height(), 11);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 6; ++x) {
                int index = pattern(x, y);
                Rgba8 want = index == c.frame.transparent ? Rgba8{} : kRgba[index];
                EXPECT_TRUE(image->pixelAt(x, y) == want) << x << "," << y;
            }
        }
    }
}

TEST(GifCodec, PlacesAnOffsetFrameOnTheScreen) {
    Frame frame{2, 1, 3, 2, false, NO_TRANSPARENT_COLOR, [](int, int) { return 1; }};
    ImagePtr image = Image::imageWithData(writeGif(8, 5, {frame}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 8);
    EXPECT_EQ(image->height(), 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_TRUE(image->pixelAt(x, y) == (inside ? kRgba[1] : Rgba8{})) << x << "," << y;
        }
    }
}

TEST(GifCodec, RefusesDamagedAndOversizedFiles) {
    auto solid = [](int, int) { return 0; };
    fnd::Bytes good = writeGif(4, 4, {Frame{0, 0, 4, 4, false, NO_TRANSPARENT_COLOR, solid}});
    auto withScreen = [&](uint16_t w, uint16_t h) {
        fnd::Bytes f = good;
        f[6] = static_cast<uint8_t>(w), f[7] = static_cast<uint8_t>(w >> 8);
        f[8] = static_cast<uint8_t>(h), f[9] = static_cast<uint8_t>(h >> 8);
        return f;
    };
    fnd::Bytes hugeFrame = writeGif(4, 4, {Frame{0, 0, 4, 4, false, NO_TRANSPARENT_COLOR, solid}});
    // The image descriptor follows the header (13 bytes) and the 4-entry colour table (12 bytes).
    ASSERT_EQ(hugeFrame[25], 0x2c);
    hugeFrame[30] = 0x30, hugeFrame[31] = 0x75; // frame width 30000
    struct Case {
        const char* name;
        fnd::Bytes bytes;
        const char* log;
        DecodeLimit limit{};
    };
    const Case cases[] = {
        {"signature only", fnd::Bytes(good.begin(), good.begin() + 6), "GIF: cannot decode"},
        {"cut in the colour table", fnd::Bytes(good.begin(), good.begin() + 16), "GIF: cannot decode"},
        {"cut in the image data", fnd::Bytes(good.begin(), good.end() - 6), "GIF: cannot decode"},
        {"no image", fnd::Bytes{'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, 0x3b}, "GIF: cannot decode"},
        {"screen too large", withScreen(9000, 9000), "too large"},
        {"frame too large", hugeFrame, "too large"},
        {"over the caller's limit", withScreen(2000, 4), "refusing a 2000 x 4 image (too large", {1024, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fnd::testing::LogCapture log;
        EXPECT_EQ(Image::imageWithData(c.bytes, c.limit), nullptr);
        EXPECT_TRUE(log.contains(c.log)) << (log.lines().empty() ? "" : log.lines().front());
        EXPECT_EQ(log.lines().size(), 1u);
    }
    // A caller's limit allows a picture of its size.
    EXPECT_NE(Image::imageWithData(good, {4, 4}), nullptr);
}

} // namespace
} // namespace gfx
