// PNG decoding of every colour type and bit depth (files written with libpng here), stable encoding,
// exact round trips and refusal of damaged or oversized files.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <random>
#include <string>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/image.h"
#include "platform/graphics/png_codec.h"

namespace gfx {
namespace {

struct PngCase {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlace = false;
    bool palette = false;
};

constexpr int kW = 5;
constexpr int kH = 3;

// The expected 8-bit RGBA of pixel i for a case, and the raw samples that encode it.
struct Pixel {
    std::vector<uint32_t> samples; // in file bit depth
    Rgba8 rgba;
};

Pixel pixelFor(const PngCase& s, int i) {
    uint32_t max = (1u << s.bitDepth) - 1;
    // For 16-bit files, use multiples of 257 so reduction to 8 bits is exact.
    auto level = [&](uint32_t v8) { return s.bitDepth == 16 ? v8 * 257 : v8; };
    auto v8 = [&](int k) { return static_cast<uint8_t>((i * 53 + k * 97 + 11) % 256); };
    Pixel p;
    if (s.palette) {
        uint32_t index = static_cast<uint32_t>(i) % (max + 1);
        p.samples = {index};
        // Palette entry j is (j*40, 255-j*30, j*7); tRNS gives entries 0 and 2 alpha 0 and 128.
        uint8_t a = index == 0 ? 0 : index == 2 ? 128 : 255;
        uint32_t j = index % 8;
        p.rgba = {static_cast<uint8_t>(j * 40), static_cast<uint8_t>(255 - j * 30), static_cast<uint8_t>(j * 7), a};
        if (a == 0) {
            p.rgba = {0, 0, 0, 0};
        }
        return p;
    }
    bool gray = (s.colorType & PNG_COLOR_MASK_COLOR) == 0;
    bool alpha = (s.colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (gray && s.bitDepth < 8) {
        uint32_t v = static_cast<uint32_t>(i) % (max + 1);
        auto g = static_cast<uint8_t>(v * 255 / max);
        p.samples = {v};
        p.rgba = {g, g, g, 255};
        return p;
    }
    uint8_t a = alpha ? (i % 3 == 0 ? 255 : i % 3 == 1 ? 0 : 200) : 255;
    if (gray) {
        p.samples = {level(v8(0))};
        p.rgba = {v8(0), v8(0), v8(0), a};
    } else {
        p.samples = {level(v8(0)), level(v8(1)), level(v8(2))};
        p.rgba = {v8(0), v8(1), v8(2), a};
    }
    if (alpha) {
        p.samples.push_back(level(a));
    }
    // Premultiplied storage cannot keep the colour of a transparent pixel, and loses some precision
    // for partial alpha; compare those through a premultiply round trip.
    if (a == 0) {
        p.rgba = {0, 0, 0, 0};
    }
    return p;
}

struct Writer {
    fnd::Bytes out;
};

void writeData(png_structp png, png_bytep data, png_size_t n) {
    auto* w = static_cast<Writer*>(png_get_io_ptr(png));
    w->out.insert(w->out.end(), data, data + n);
}
void flushData(png_structp) {}

// Packs samples of `depth` bits, most significant first, as PNG rows do.
std::vector<uint8_t> packRow(const std::vector<uint32_t>& samples, int depth) {
    std::vector<uint8_t> row;
    if (depth == 16) {
        for (uint32_t s : samples) {
            row.push_back(static_cast<uint8_t>(s >> 8));
            row.push_back(static_cast<uint8_t>(s));
        }
        return row;
    }
    int bits = 0;
    uint32_t acc = 0;
    for (uint32_t s : samples) {
        acc = (acc << depth) | s;
        bits += depth;
        if (bits == 8) {
            row.push_back(static_cast<uint8_t>(acc));
            acc = 0;
            bits = 0;
        }
    }
    if (bits > 0) {
        row.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    }
    return row;
}

fnd::Bytes writeTestPng(const PngCase& s, bool withGamma) {
    Writer w;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < kH; ++y) {
        std::vector<uint32_t> samples;
        for (int x = 0; x < kW; ++x) {
            Pixel p = pixelFor(s, y * kW + x);
            samples.insert(samples.end(), p.samples.begin(), p.samples.end());
        }
        rows.push_back(packRow(samples, s.bitDepth));
    }
    std::vector<png_bytep> rowPtrs;
    for (auto& r : rows) {
        rowPtrs.push_back(r.data());
    }
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng failed writing " << s.name;
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &w, writeData, flushData);
    png_set_IHDR(png, info, kW, kH, s.bitDepth, s.colorType, s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (s.palette) {
        std::vector<png_color> palette;
        for (int j = 0; j < (1 << s.bitDepth); ++j) {
            int k = j % 8;
            palette.push_back(png_color{static_cast<png_byte>(k * 40), static_cast<png_byte>(255 - k * 30),
                                        static_cast<png_byte>(k * 7)});
        }
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        png_byte trans[3] = {0, 255, 128};
        png_set_tRNS(png, info, trans, std::min(3, 1 << s.bitDepth), nullptr);
    }
    if (withGamma) {
        png_set_gAMA(png, info, 0.2);
    }
    png_write_info(png, info);
    png_write_image(png, rowPtrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return w.out;
}

uint32_t be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void putBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

std::vector<std::string> chunkNames(const fnd::Bytes& png) {
    std::vector<std::string> names;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t len = be32(&png[at]);
        names.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
        at += 12 + len;
    }
    return names;
}

Rgba8 throughPremultiply(Rgba8 c) {
    auto pm = [&](uint8_t v) { return static_cast<uint8_t>((v * c.a + 127) / 255); };
    auto um = [&](uint8_t v) -> uint8_t {
        return c.a ? static_cast<uint8_t>(std::min(255, (v * 255 + c.a / 2) / c.a)) : 0;
    };
    return {um(pm(c.r)), um(pm(c.g)), um(pm(c.b)), c.a};
}

TEST(PngCodec, DecodesEveryColourTypeAndBitDepth) {
    const PngCase cases[] = {
        {"gray1", PNG_COLOR_TYPE_GRAY, 1},
        {"gray2", PNG_COLOR_TYPE_GRAY, 2},
        {"gray4", PNG_COLOR_TYPE_GRAY, 4},
        {"gray8", PNG_COLOR_TYPE_GRAY, 8},
        {"gray16", PNG_COLOR_TYPE_GRAY, 16},
        {"grayAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"grayAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {"rgb8", PNG_COLOR_TYPE_RGB, 8},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16},
        {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, true},
        {"palette2", PNG_COLOR_TYPE_PALETTE, 2, false, true},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, true},
        {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, true},
        {"rgba8Interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
        {"palette4Interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, true},
    };
    for (const PngCase& s : cases) {
        for (bool gamma : {false, true}) {
            SCOPED_TRACE(std::string(s.name) + (gamma ? " with gAMA" : ""));
            fnd::Bytes file = writeTestPng(s, gamma);
            ImagePtr image = Image::imageWithData(file);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->width(), kW);
            EXPECT_EQ(image->height(), kH);
            EXPECT_EQ(image->orientation(), ImageOrientation::Up);
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    Rgba8 want = throughPremultiply(pixelFor(s, y * kW + x).rgba);
                    Rgba8 got = image->pixelAt(x, y);
                    EXPECT_TRUE(got == want) << "at " << x << "," << y << " got " << int(got.r) << " " << int(got.g)
                                             << " " << int(got.b) << " " << int(got.a) << " want " << int(want.r) << " "
                                             << int(want.g) << " " << int(want.b) << " " << int(want.a);
                }
            }
        }
    }
}

TEST(PngCodec, EncodesStableRgbaAndRoundTripsExactly) {
    std::mt19937 rng(7);
    const int w = 17;
    const int h = 9;
    fnd::Bytes pixels(w * h * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        uint8_t a = static_cast<uint8_t>(i % 12 == 0 ? 0 : i % 12 == 4 ? 255 : rng() % 256);
        for (int c = 0; c < 3; ++c) {
            pixels[i + c] = static_cast<uint8_t>(a ? rng() % (a + 1) : 0);
        }
        pixels[i + 3] = a;
    }
    ImagePtr image = Image::fromPixels(w, h, pixels);
    ASSERT_NE(image, nullptr);

    fnd::Bytes png = pngRepresentation(*image);
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(png, pngRepresentation(*image));
    EXPECT_EQ(chunkNames(png), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // IHDR: width, height, depth 8, colour type 6 (RGBA), compression 0, filter 0, interlace 0.
    EXPECT_EQ(be32(&png[16]), uint32_t(w));
    EXPECT_EQ(be32(&png[20]), uint32_t(h));
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 6);
    EXPECT_EQ(png[28], 0);

    ImagePtr back = Image::imageWithData(png);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->width(), w);
    ASSERT_EQ(back->height(), h);
    EXPECT_EQ(fnd::Bytes(back->data(), back->data() + w * h * 4), pixels);
}

TEST(PngCodec, RefusesDamagedAndOversizedFiles) {
    fnd::Bytes good = writeTestPng({"rgb8", PNG_COLOR_TYPE_RGB, 8}, false);
    auto withSize = [&](uint32_t width, uint32_t height) {
        fnd::Bytes f = good;
        putBe32(&f[16], width);
        putBe32(&f[20], height);
        putBe32(&f[29], static_cast<uint32_t>(crc32(0, &f[12], 17))); // CRC over type and data
        return f;
    };
    struct Case {
        const char* name;
        fnd::Bytes bytes;
        const char* log;
        DecodeLimit limit{};
    };
    const Case cases[] = {
        {"signature only", fnd::Bytes(good.begin(), good.begin() + 8), "PNG: cannot decode"},
        {"cut in IHDR", fnd::Bytes(good.begin(), good.begin() + 20), "PNG: cannot decode"},
        {"cut in IDAT", fnd::Bytes(good.begin(), good.end() - 20), "PNG: cannot decode"},
        {"wide", withSize(9000, 2), "PNG"},
        {"too many pixels", withSize(5000, 5000), "too large"},
        {"zero width", withSize(0, 5), "PNG: cannot decode"},
        // Refused from the header: the pixels for that size are not there to decode.
        {"over the caller's limit", withSize(2000, 16), "refusing a 2000 x 16 image (too large)", {1024, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fnd::testing::LogCapture log;
        EXPECT_EQ(Image::imageWithData(c.bytes, c.limit), nullptr);
        EXPECT_TRUE(log.contains(c.log)) << (log.lines().empty() ? "" : log.lines().front());
        EXPECT_EQ(log.lines().size(), 1u);
    }
    // A caller's limit allows a picture of its size.
    EXPECT_NE(Image::imageWithData(good, {kW, kH}), nullptr);
}

} // namespace
} // namespace gfx
