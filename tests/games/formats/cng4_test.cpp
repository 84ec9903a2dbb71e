// The palette image archive: layout numbers for every flag combination and bit depth, rebuilt PNG
// bytes, the decoded-image cache, palette replacement and addition, anchored drawing checked pixel by
// pixel, tRNS alpha, and hostile archives and indices refused with one ERROR line each.
#include "games/formats/cng4.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/zlib_codec.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "platform/graphics/image.h"
#include "tools/gameart/art_builders.h"

namespace zelvan {
namespace {

using gameart::ArchiveBuilder;

constexpr gfx::Rgba8 kClear{0, 0, 0, 0};
constexpr gfx::Rgba8 kRed{255, 0, 0, 255};
constexpr gfx::Rgba8 kGreen{0, 255, 0, 255};
constexpr gfx::Rgba8 kBlue{0, 0, 255, 255};
constexpr gfx::Rgba8 kYellow{255, 255, 0, 255};

size_t errorLines(const fnd::testing::LogCapture& log) {
    return log.count("ERROR ");
}

// A 5x3 image whose top-left pixel is green, top-right blue, the rest red (index 0 is transparent).
std::vector<uint8_t> markerIndices() {
    return {2, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
}

ArchiveBuilder markerArchive(uint8_t flags = 0) {
    ArchiveBuilder b(flags);
    b.addPalette({0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {0, 255, 255, 255});
    b.addPalette({0x000000, 0xFFFF00, 0x00FF00, 0x0000FF}, {0, 255, 255, 255});
    b.addImage(5, 3, markerIndices(), -3, 4);
    return b;
}

std::shared_ptr<CNG4> parse(const fnd::Bytes& bytes) {
    auto archive = CNG4::initWithIData(bytes);
    EXPECT_TRUE(archive.ok()) << (archive.ok() ? std::string() : archive.error().localizedDescription());
    return std::move(archive).valueOr(nullptr);
}

// The box (in memory coordinates, inclusive) of the pixels that are not transparent.
struct Box {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    bool operator==(const Box&) const = default;
};

Box inkBox(gfx::Context& context) {
    Box box;
    for (int y = 0; y < context.height(); ++y) {
        for (int x = 0; x < context.width(); ++x) {
            if (context.pixelAt(x, y).a != 0) {
                box.minX = std::min(box.minX, x);
                box.minY = std::min(box.minY, y);
                box.maxX = std::max(box.maxX, x);
                box.maxY = std::max(box.maxY, y);
            }
        }
    }
    return box;
}

std::string describe(const Box& b) {
    return "(" + std::to_string(b.minX) + "," + std::to_string(b.minY) + ")-(" + std::to_string(b.maxX) + "," +
           std::to_string(b.maxY) + ")";
}

TEST(CNG4Test, LayoutOfEveryFlagCombinationAndBitDepth) {
    // The documented example: flags 0, one 18-byte palette, one 4x3 image.
    {
        ArchiveBuilder b(0);
        b.addPalette({0x000000, 0xFFFFFF});
        b.addImage(4, 3, std::vector<uint8_t>(12, 1));
        auto a = parse(b.build());
        ASSERT_TRUE(a);
        EXPECT_EQ(a->plteLength(), 18u);
        EXPECT_EQ(a->pngHeadLength(), 8u);
        EXPECT_EQ(a->headOffset(), 26u);
        EXPECT_EQ(a->dataOffset(0), 34u);
    }
    for (uint8_t flags = 0; flags < 4; ++flags) {
        for (int depth : {1, 2, 4, 8}) {
            SCOPED_TRACE("flags " + std::to_string(flags) + " depth " + std::to_string(depth));
            int colours = std::min(16, 1 << depth);
            std::vector<uint32_t> plte;
            for (int c = 0; c < colours; ++c) {
                plte.push_back(static_cast<uint32_t>(c * 0x0F0D0B));
            }
            bool shortSize = (flags & 1) != 0;
            int wideWidth = shortSize ? 300 : 200;
            std::vector<uint8_t> a0, a1;
            for (int i = 0; i < 5 * 3; ++i) {
                a0.push_back(static_cast<uint8_t>(i % colours));
            }
            for (int i = 0; i < wideWidth * 2; ++i) {
                a1.push_back(static_cast<uint8_t>((i / 7) % colours));
            }
            ArchiveBuilder b(flags, depth);
            b.addPalette(plte).addPalette(plte);
            b.addImage(5, 3, a0, -3, 4).addImage(wideWidth, 2, a1, 127, -128, 10);
            fnd::Bytes bytes = b.build();
            auto a = parse(bytes);
            ASSERT_TRUE(a);
            size_t headerLength = 8 + (shortSize ? 2 : 0) + ((flags & 2) != 0 ? 2 : 0);
            EXPECT_EQ(a->pngHeadLength(), headerLength);
            EXPECT_EQ(a->shortSize(), shortSize);
            EXPECT_EQ(a->hasOffset(), (flags & 2) != 0);
            EXPECT_EQ(a->getImageCount(), 2);
            EXPECT_EQ(a->paletteCount(), 2);
            EXPECT_EQ(a->plteLength(), 12u + 3u * static_cast<size_t>(colours));
            EXPECT_EQ(a->headOffset(), 8 + 2 * a->plteLength());
            EXPECT_EQ(a->dataOffset(0), a->headOffset() + 2 * headerLength);
            EXPECT_EQ(a->dataOffset(1), a->dataOffset(0) + static_cast<size_t>(a->read16(a->headOffset())));
            EXPECT_EQ(a->dataOffset(1) + static_cast<size_t>(a->read16(a->headOffset() + headerLength)), bytes.size());
            EXPECT_EQ(a->getWidth(0), 5);
            EXPECT_EQ(a->getHeight(0), 3);
            EXPECT_EQ(a->getWidth(1), wideWidth);
            EXPECT_EQ(a->getHeight(1), 2);
            EXPECT_EQ(a->offsetX(0), (flags & 2) != 0 ? -3 : 0);
            EXPECT_EQ(a->offsetY(0), (flags & 2) != 0 ? 4 : 0);
            EXPECT_EQ(a->offsetX(1), (flags & 2) != 0 ? 127 : 0);
            EXPECT_EQ(a->offsetY(1), (flags & 2) != 0 ? -128 : 0);
            // Every pixel of both images decodes to its palette colour.
            for (int image = 0; image < 2; ++image) {
                gfx::ImagePtr decoded = a->newPNG(image, 1);
                ASSERT_TRUE(decoded);
                const std::vector<uint8_t>& indices = image == 0 ? a0 : a1;
                int w = a->getWidth(image);
                for (int y = 0; y < a->getHeight(image); ++y) {
                    for (int x = 0; x < w; ++x) {
                        uint32_t c = plte[indices[static_cast<size_t>(y * w + x)]];
                        gfx::Rgba8 want{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                        static_cast<uint8_t>(c), 255};
                        ASSERT_EQ(decoded->pixelAt(x, y), want) << "image " << image << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(CNG4Test, RebuiltPngBytes) {
    ArchiveBuilder b(ArchiveBuilder::kShortSize);
    b.addPalette({0x102030, 0x405060}, {7, 9});
    b.addImage(260, 2, std::vector<uint8_t>(520, 1), 0, 0, 16);
    fnd::Bytes bytes = b.build();
    auto a = parse(bytes);
    ASSERT_TRUE(a);
    fnd::Bytes png = a->pngData(0, 0);
    size_t dataLength = static_cast<size_t>(a->read16(a->headOffset()));
    ASSERT_EQ(png.size(), 41 + 4 + a->plteLength() + dataLength);
    const fnd::Bytes head = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D',
                             'R',  0,   0,   1,   4,    0,    0,    0,    2, 8, 3, 0,  0,   0};
    EXPECT_EQ(fnd::Bytes(png.begin(), png.begin() + 29), head);
    uint32_t crc = fnd::crc32(png.data() + 12, 17);
    EXPECT_EQ(fnd::Bytes(png.begin() + 29, png.begin() + 33),
              (fnd::Bytes{uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)}));
    EXPECT_EQ(fnd::Bytes(png.begin() + 33, png.begin() + 33 + static_cast<long>(a->plteLength())), *a->getPalette(0));
    const fnd::Bytes iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(fnd::Bytes(png.end() - 12, png.end()), iend);
    gfx::ImagePtr decoded = a->newPNG(0, 0);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 260);
    // tRNS gives alpha: index 1 is 0x405060 at alpha 9.
    gfx::Rgba8 px = decoded->pixelAt(259, 1);
    EXPECT_EQ(px.a, 9);
    EXPECT_NEAR(px.r, 0x40, 16);
    EXPECT_NEAR(px.b, 0x60, 16);
}

TEST(CNG4Test, CacheRanges) {
    ArchiveBuilder b;
    b.addPalette({0xFF0000, 0x00FF00}).addPalette({0x0000FF, 0xFFFFFF});
    for (int i = 0; i < 3; ++i) {
        b.addImage(2, 2, {0, 1, 1, 0});
    }
    auto a = parse(b.build());
    ASSERT_TRUE(a);
    auto cached = [&] {
        std::string s;
        for (int p = 0; p < a->paletteCount(); ++p) {
            for (int i = 0; i < a->getImageCount(); ++i) {
                s += a->bufferedImage(i, p) ? '1' : '0';
            }
            s += '|';
        }
        return s;
    };
    EXPECT_EQ(cached(), "000|000|");
    a->buffer(-2, 1);
    EXPECT_EQ(cached(), "000|110|");
    a->buffer(2, 0);
    EXPECT_EQ(cached(), "001|110|");
    gfx::ImagePtr kept = a->bufferedImage(2, 0);
    a->buffer(-1, -1);
    EXPECT_EQ(cached(), "111|111|");
    EXPECT_EQ(a->bufferedImage(2, 0), kept); // built once, not rebuilt
    a->clear(-1, 0);
    EXPECT_EQ(cached(), "000|111|");
    a->clear(1, 1);
    EXPECT_EQ(cached(), "000|101|");
    a->clear(-1, -1);
    EXPECT_EQ(cached(), "000|000|");
    // A draw decodes what is not cached and keeps it: the next draws use the same image.
    auto screen = gfx::Context::createView(8, 8);
    a->drawImage(*screen, 1, 1, 0, 0, 7, 8, -1, -1);
    EXPECT_EQ(cached(), "000|010|");
    kept = a->bufferedImage(1, 1);
    a->drawImage(*screen, 1, 1, 4, 4, 7, 8, 2, 2);
    EXPECT_EQ(a->bufferedImage(1, 1), kept);
    a->clear(-1, -1);

    a->buffer(-1, -1);
    EXPECT_EQ(a->addPalette(*a->getPalette(1)), 2);
    EXPECT_EQ(cached(), "000|000|000|");
    EXPECT_EQ(a->paletteCount(), 2 + 1);
    // The added palette is drawable and the archive's offsets moved with it.
    gfx::ImagePtr added = a->newPNG(1, 2);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->pixelAt(1, 0), (gfx::Rgba8{255, 255, 255, 255}));
    EXPECT_EQ(a->newPNG(0, 0)->pixelAt(0, 0), kRed);
}

// Draws the 5x3 marker image at (10, 10) with the anchor into a y-down screen of 30x30, as the
// script view's contexts are, and returns where it landed.
TEST(CNG4Test, AnchorsOnAScreen) {
    auto a = parse(markerArchive().build());
    ASSERT_TRUE(a);
    struct Case {
        int anchor;
        int dx, dy; // how the anchor moves the top-left corner
    };
    const Case cases[] = {{7, 0, 0},  {8, -2, 0},  {9, -5, 0},  {4, 0, -1}, {5, -2, -1}, {6, -5, -1},
                          {1, 0, -3}, {2, -2, -3}, {3, -5, -3}, {0, 0, 0},  {42, 0, 0},  {-5, 0, 0}};
    for (const Case& c : cases) {
        auto screen = gfx::Context::createView(30, 30);
        a->drawImage(*screen, 0, 0, 10, 10, c.anchor, 30, -1, -1);
        int left = 10 + c.dx;
        int top = 10 + c.dy + 1; // the image starts one row below y
        Box want{left, top, left + 4, top + 2};
        EXPECT_EQ(inkBox(*screen), want) << "anchor " << c.anchor << " got " << describe(inkBox(*screen));
        // Upright: green top-left, blue top-right.
        EXPECT_EQ(screen->pixelAt(left, top), kGreen) << "anchor " << c.anchor;
        EXPECT_EQ(screen->pixelAt(left + 4, top), kBlue) << "anchor " << c.anchor;
        EXPECT_EQ(screen->pixelAt(left, top + 2), kRed) << "anchor " << c.anchor;
        // The transform is restored afterwards.
        EXPECT_EQ(screen->getCTM().d, -1);
        EXPECT_EQ(screen->getCTM().ty, 30);
    }
}

TEST(CNG4Test, OffsetsScalingAndBitmapBuffers) {
    // Per-image offsets (-3, 4) move the image before anchoring.
    {
        auto a = parse(markerArchive(ArchiveBuilder::kHasOffset | ArchiveBuilder::kShortSize).build());
        ASSERT_TRUE(a);
        auto screen = gfx::Context::createView(30, 30);
        a->drawImage(*screen, 0, 0, 10, 10, 7, 30, -1, -1);
        EXPECT_EQ(inkBox(*screen), (Box{7, 15, 11, 17})) << describe(inkBox(*screen));
    }
    auto a = parse(markerArchive().build());
    ASSERT_TRUE(a);
    // Scaled to 10x6 (nearest-neighbour keeps the marker colours crisp).
    {
        auto screen = gfx::Context::createView(30, 30);
        screen->setInterpolationQuality(gfx::InterpolationQuality::None);
        a->drawImage(*screen, 0, 0, 10, 10, 7, 30, 10, 6);
        EXPECT_EQ(inkBox(*screen), (Box{10, 11, 19, 16})) << describe(inkBox(*screen));
        EXPECT_EQ(screen->pixelAt(11, 12), kGreen);
        EXPECT_EQ(screen->pixelAt(18, 11), kBlue);
    }
    // Anchor 8 centres on the image's own width (5) even when drawn 10 wide; anchor 9 uses the
    // drawing width. A zero size draws nothing.
    {
        auto screen = gfx::Context::createView(30, 30);
        a->drawImage(*screen, 0, 0, 10, 10, 8, 30, 10, -1);
        EXPECT_EQ(inkBox(*screen), (Box{8, 11, 17, 13})) << describe(inkBox(*screen));
        auto other = gfx::Context::createView(30, 30);
        a->drawImage(*other, 0, 0, 20, 10, 9, 30, 10, -1);
        EXPECT_EQ(inkBox(*other), (Box{10, 11, 19, 13})) << describe(inkBox(*other));
        auto none = gfx::Context::createView(30, 30);
        a->drawImage(*none, 0, 0, 10, 10, 7, 30, 0, 0);
        EXPECT_EQ(inkBox(*none), Box{});
    }
    // Script coordinates and sizes anywhere in the 32-bit range: far away draws nothing, and huge
    // sizes (whose edges are beyond the drawing library's precision) stay safe; a huge scale over the
    // screen covers it.
    {
        auto screen = gfx::Context::createView(30, 30);
        const int far[] = {INT32_MIN, -(1 << 30), 1 << 30, INT32_MAX};
        for (int x : far) {
            for (int anchor : {3, 5, 7}) {
                a->drawImage(*screen, 0, 0, x, x, anchor, 30, -1, -1);
                a->drawImage(*screen, 0, 0, x, 10, anchor, 30, -1, -1);
            }
        }
        EXPECT_EQ(inkBox(*screen), Box{}) << describe(inkBox(*screen));
        for (int x : far) {
            a->drawImage(*screen, 0, 0, x, 10, 5, INT32_MAX, INT32_MAX, INT32_MAX);
            a->drawImage(*screen, 0, 0, 10, x, 3, INT32_MIN, 1 << 30, 7);
        }
        a->drawImage(*screen, 0, 0, -(1 << 20), -(1 << 20), 7, 30, 1 << 21, 1 << 21);
        EXPECT_EQ(inkBox(*screen), (Box{0, 0, 29, 29})) << describe(inkBox(*screen));
    }
    // In a y-up game buffer the same call leaves the image upside down in memory rows
    // H-1-y-h ... H-2-y; a snapshot of the buffer drawn back the same way comes out upright.
    {
        auto buffer = gfx::BitmapContext::create(30, 30, gfx::PixelFormat::Bgra8PremulFirstLE);
        a->drawImage(*buffer, 0, 0, 10, 10, 7, 30, -1, -1);
        EXPECT_EQ(inkBox(*buffer), (Box{10, 16, 14, 18})) << describe(inkBox(*buffer));
        EXPECT_EQ(buffer->pixelAt(10, 18), kGreen);
        EXPECT_EQ(buffer->pixelAt(14, 18), kBlue);
        EXPECT_EQ(buffer->pixelAt(10, 16), kRed);
    }
}

TEST(CNG4Test, PaletteSwapsAndAlpha) {
    auto a = parse(markerArchive().build());
    ASSERT_TRUE(a);
    auto draw = [&](int palette) {
        auto screen = gfx::Context::createView(8, 8);
        a->drawImage(*screen, 0, palette, 0, 0, 7, 8, -1, -1);
        return screen;
    };
    a->buffer(-1, -1);
    EXPECT_EQ(draw(0)->pixelAt(1, 1), kRed);
    EXPECT_EQ(draw(1)->pixelAt(1, 1), kYellow);
    // Replacing palette 0 rebuilds its cached image: drawing shows the new colours at once.
    gfx::ImagePtr before = a->bufferedImage(0, 0);
    fnd::Bytes swapped = gameart::paletteBlock({0x000000, 0x0000FF, 0x00FF00, 0xFF0000}, {0, 255, 255, 255});
    ASSERT_TRUE(a->setPalette(0, swapped));
    EXPECT_EQ(*a->getPalette(0), swapped);
    ASSERT_TRUE(a->bufferedImage(0, 0));
    EXPECT_NE(a->bufferedImage(0, 0), before);
    EXPECT_EQ(draw(0)->pixelAt(1, 1), kBlue);
    EXPECT_EQ(draw(0)->pixelAt(4, 1), kRed);
    EXPECT_EQ(before->pixelAt(1, 0), kRed); // images already handed out keep their pixels
    EXPECT_EQ(draw(1)->pixelAt(1, 1), kYellow);
    // Images not cached before are built with the new palette too; other palettes stay uncached.
    a->clear(-1, -1);
    ASSERT_TRUE(a->setPalette(0, gameart::paletteBlock({0x000000, 0x00FF00, 0x00FF00, 0x0000FF}, {0, 255, 255, 255})));
    ASSERT_TRUE(a->bufferedImage(0, 0));
    EXPECT_EQ(a->bufferedImage(0, 0)->pixelAt(1, 0), kGreen);
    EXPECT_FALSE(a->bufferedImage(0, 1));
    EXPECT_EQ(draw(0)->pixelAt(1, 1), kGreen);
    // Uncached pairs are decoded from the current archive on each draw.
    a->clear(-1, 0);
    ASSERT_TRUE(a->setPalette(1, gameart::paletteBlock({0x000000, 0x0000FF, 0x00FF00, 0x0000FF}, {0, 255, 255, 255})));
    EXPECT_FALSE(a->bufferedImage(0, 0));
    EXPECT_EQ(draw(0)->pixelAt(1, 1), kGreen);
    EXPECT_EQ(draw(1)->pixelAt(1, 1), kBlue);

    // tRNS alpha: index 0 transparent, index 1 at half alpha over nothing.
    ASSERT_TRUE(a->setPalette(0, gameart::paletteBlock({0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {0, 128, 255, 255})));
    auto screen = draw(0);
    gfx::Rgba8 half = screen->pixelAt(1, 2);
    EXPECT_NEAR(half.a, 128, 1);
    EXPECT_EQ(half.r, 255);
    EXPECT_EQ(screen->pixelAt(0, 1), kGreen);
    EXPECT_EQ(screen->pixelAt(6, 6), kClear);
    // A palette block without tRNS is opaque everywhere, index 0 included.
    ArchiveBuilder opaque;
    opaque.addPalette({0x000000, 0xFF0000}).addImage(2, 1, {0, 1});
    auto o = parse(opaque.build());
    ASSERT_TRUE(o);
    EXPECT_EQ(o->newPNG(0, 0)->pixelAt(0, 0), (gfx::Rgba8{0, 0, 0, 255}));
}

TEST(CNG4Test, HostileArchivesAreRefused) {
    fnd::Bytes good = markerArchive(3).addImage(2, 2, {1, 1, 1, 1}).build();
    ASSERT_TRUE(CNG4::initWithIData(good));
    auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        fnd::Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    size_t head = parse(good)->headOffset();
    const size_t data = parse(good)->dataOffset(0);
    struct Case {
        const char* name;
        fnd::Bytes bytes;
        const char* message;
        size_t offset; // where the part that does not fit begins
    };
    const Case cases[] = {
        {"empty", {}, "shorter than its 8-byte header", 0},
        {"seven bytes", fnd::Bytes(good.begin(), good.begin() + 7), "shorter than its 8-byte header", 7},
        {"palette count past the end", with(7, {200}), "palettes of", 8},
        {"palette length past the end", with(5, {0xFF, 0xFF}), "palettes of", 8},
        {"image count past the end", with(3, {255}), "image headers", head},
        {"first data length past the end", with(head, {0xFF, 0xF0}), "past the end", data},
        {"lengths summing past the end", with(head + 12, {0, 200}), "past the end", parse(good)->dataOffset(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fnd::testing::LogCapture log;
        auto parsed = CNG4::initWithIData(c.bytes);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error().code(), fnd::kParseTruncated);
        EXPECT_EQ(fnd::parseErrorOffset(parsed.error()), c.offset);
        EXPECT_NE(parsed.error().localizedDescription().find(c.message), std::string::npos)
            << parsed.error().localizedDescription();
        EXPECT_EQ(errorLines(log), 0u); // the caller decides whether to log
    }
    // Every strict prefix of a valid archive is refused, with an offset inside it.
    for (size_t n = 0; n < good.size(); ++n) {
        auto parsed = CNG4::initWithIData(fnd::Bytes(good.begin(), good.begin() + static_cast<long>(n)));
        ASSERT_FALSE(parsed.ok()) << n;
        ASSERT_LE(fnd::parseErrorOffset(parsed.error()).value_or(n + 1), n) << n;
    }
    // An archive without images or palettes is harmless.
    EXPECT_TRUE(CNG4::initWithIData(fnd::Bytes{0, 0, 0, 0, 8, 0, 0, 0}));
}

TEST(CNG4Test, BadIndicesAndBlocksAreRefused) {
    auto a = parse(markerArchive().build());
    ASSERT_TRUE(a);
    fnd::Bytes good = *a->getPalette(0);
    auto screen = gfx::Context::createView(10, 10);
    struct Case {
        const char* name;
        std::function<bool()> refused;
    };
    const Case cases[] = {
        {"getWidth -1", [&] { return a->getWidth(-1) == 0; }},
        {"getHeight 1", [&] { return a->getHeight(1) == 0; }},
        {"getPalette 2", [&] { return !a->getPalette(2); }},
        {"newPNG image 1", [&] { return a->newPNG(1, 0) == nullptr; }},
        {"newPNG palette -1", [&] { return a->newPNG(0, -1) == nullptr; }},
        {"pngData palette 9", [&] { return a->pngData(0, 9).empty(); }},
        {"buffer image 4",
         [&] {
             a->buffer(4, 0);
             return true;
         }},
        {"buffer palette -2",
         [&] {
             a->buffer(0, -2);
             return !a->bufferedImage(0, 0);
         }},
        {"clear palette 5",
         [&] {
             a->clear(0, 5);
             return true;
         }},
        {"drawImage image 3",
         [&] {
             a->drawImage(*screen, 3, 0, 0, 0, 7, 10, -1, -1);
             return inkBox(*screen) == Box{};
         }},
        {"drawImage palette 2",
         [&] {
             a->drawImage(*screen, 0, 2, 0, 0, 7, 10, -1, -1);
             return inkBox(*screen) == Box{};
         }},
        {"setPalette short block", [&] { return !a->setPalette(0, fnd::Bytes(good.begin(), good.end() - 1)); }},
        {"setPalette long block",
         [&] {
             fnd::Bytes longer = good;
             longer.push_back(0);
             return !a->setPalette(1, longer);
         }},
        {"setPalette index 2", [&] { return !a->setPalette(2, good); }},
        {"addPalette short block", [&] { return a->addPalette(fnd::Bytes(3, 0)) == -1 && a->paletteCount() == 2; }},
    };
    for (const Case& c : cases) {
        fnd::testing::LogCapture log;
        EXPECT_TRUE(c.refused()) << c.name;
        EXPECT_EQ(errorLines(log), 1u) << c.name;
    }
    EXPECT_EQ(*a->getPalette(0), good);
    EXPECT_EQ(a->read16(a->file().size() - 1), 0);
    EXPECT_EQ(a->read16(size_t{1} << 40), 0);

    // Damaged image data parses (it fits) but never decodes: nothing is cached or drawn.
    ArchiveBuilder damaged;
    damaged.addPalette({0, 0xFFFFFF}).addRawImage(4, 4, gameart::pngChunk("IDAT", fnd::Bytes(9, 0x5A)));
    damaged.addImage(4, 4, std::vector<uint8_t>(16, 1));
    auto d = parse(damaged.build());
    ASSERT_TRUE(d);
    d->buffer(-1, -1);
    EXPECT_FALSE(d->bufferedImage(0, 0));
    EXPECT_TRUE(d->bufferedImage(1, 0));
    d->drawImage(*screen, 0, 0, 0, 0, 7, 10, -1, -1);
    EXPECT_EQ(inkBox(*screen), Box{});
}

// An image drawn at its own size onto whole pixels is a copy of the cached rows; it must give exactly
// what drawing the decoded image through the y-flip gives: on y-down and y-up contexts, translated by
// the script, with half-transparent pixels, offsets, every anchor and edges cut off by the surface.
TEST(CNG4Test, UnscaledDrawsMatchTheDecodedImageDrawnThroughTheFlip) {
    ArchiveBuilder b(ArchiveBuilder::kHasOffset);
    b.addPalette({0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {0, 255, 128, 40});
    std::vector<uint8_t> pixels(7 * 5);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>((i * 7 + i / 3) % 4);
    }
    b.addImage(7, 5, pixels, -2, 3);
    auto a = parse(b.build());
    ASSERT_TRUE(a);
    gfx::ImagePtr decoded = a->newPNG(0, 0);
    ASSERT_TRUE(decoded);
    auto reference = [&](gfx::Context& context, int x, int y, int height) {
        context.translateCTM(0, height);
        context.scaleCTM(1, -1);
        context.drawImage(gfx::Rect(x, height - 1 - y, 7, -5), *decoded);
        context.translateCTM(0, height);
        context.scaleCTM(1, -1);
    };
    const std::function<std::shared_ptr<gfx::Context>()> contexts[] = {
        [] { return gfx::Context::createView(24, 20); },
        [] { return gfx::BitmapContext::create(24, 20, gfx::PixelFormat::Bgra8PremulFirstLE); },
        [] {
            std::shared_ptr<gfx::Context> moved =
                gfx::BitmapContext::create(24, 20, gfx::PixelFormat::Bgra8PremulFirstLE);
            moved->translateCTM(3, -2);
            return moved;
        },
    };
    for (const auto& make : contexts) {
        for (int anchor = 1; anchor <= 9; ++anchor) {
            for (auto [x, y] : {std::pair{6, 6}, std::pair{0, 0}, std::pair{22, 19}, std::pair{-4, 12}}) {
                auto ours = make();
                auto want = make();
                ours->setAlpha(0.7);
                want->setAlpha(0.7);
                a->drawImage(*ours, 0, 0, x, y, anchor, 20, -1, -1);
                // The anchor's move, as drawImage documents it, then the image's own offsets.
                const int left = x - 2 - (anchor % 3 == 0 ? 7 : anchor == 2 || anchor == 5 ? 3 : anchor == 8 ? 3 : 0);
                const int top = y + 3 - (anchor <= 3 ? 5 : anchor <= 6 ? 2 : 0);
                reference(*want, left, top, 20);
                for (int py = 0; py < 20; ++py) {
                    for (int px = 0; px < 24; ++px) {
                        ASSERT_EQ(ours->pixelAt(px, py), want->pixelAt(px, py))
                            << "anchor " << anchor << " at " << x << "," << y << " pixel " << px << "," << py;
                    }
                }
            }
        }
    }
}

TEST(CNG4Test, SampleSheetForPeople) {
    ArchiveBuilder b(ArchiveBuilder::kHasOffset, 4);
    b.addPalette({0x000000, 0xE04040, 0xF0C020, 0x3070E0, 0xFFFFFF}, {0, 255, 255, 255, 160});
    b.addPalette({0x000000, 0x40A040, 0x202020, 0xE0E0E0, 0xFFFFFF}, {0, 255, 255, 255, 160});
    std::vector<uint8_t> ring(16 * 16, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            int d = (x - 8) * (x - 8) + (y - 8) * (y - 8);
            ring[static_cast<size_t>(y * 16 + x)] = d < 20 ? 2 : d < 40 ? 1 : d < 60 ? 4 : 0;
        }
    }
    std::vector<uint8_t> arrow(12 * 12, 0);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            arrow[static_cast<size_t>(y * 12 + x)] = (x >= y / 2 && x < 12 - y / 2) ? (y < 2 ? 2 : 3) : 0;
        }
    }
    b.addImage(16, 16, ring).addImage(12, 12, arrow, 0, 2);
    auto a = parse(b.build());
    ASSERT_TRUE(a);
    // A y-down screen, as the game view shows, so the sheet reads upright in the PNG: each image is
    // drawn at the centre of its keypad cell with that cell's anchor.
    auto sheet = gfx::Context::createView(96, 64);
    sheet->setFillColor(gfx::Color(0.2, 0.2, 0.25, 1));
    sheet->fillRect(gfx::Rect(0, 0, 96, 64));
    for (int anchor = 1; anchor <= 9; ++anchor) {
        int x = 16 + ((anchor - 1) % 3) * 32;
        int y = 11 + (2 - (anchor - 1) / 3) * 21;
        a->drawImage(*sheet, anchor % 2, anchor % 2 == 0 ? 1 : 0, x, y, anchor, 64, -1, -1);
    }
    fnd::Bytes png = sheet->pngRepresentation();
    ASSERT_FALSE(png.empty());
    std::filesystem::create_directories(fnd::AppFolders::temporary());
    std::string tmpPath = fnd::appendingPathComponent(fnd::AppFolders::temporary(), "cng4_sample.png");
    ASSERT_TRUE(fnd::writeFile(tmpPath, png));
    // The copy goes next to the test binary, inside the build tree.
    std::string copy = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "cng4_sample.png").string();
    ASSERT_TRUE(fnd::writeFile(copy, png));
    gfx::ImagePtr back = gfx::Image::imageWithContentsOfFile(copy);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width(), 96);
    // Something of each palette's colours made it onto the sheet.
    EXPECT_NE(inkBox(*sheet), Box{});
}

} // namespace
} // namespace zelvan
