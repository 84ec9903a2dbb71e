// JPEG decoding (RGB, grey, CMYK, EXIF orientation), encoding (quality mapping, 4:2:0 baseline,
// transparency over black) and refusal of damaged or oversized files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/image.h"
#include "platform/graphics/jpeg_codec.h"

namespace gfx {
namespace {

// A smooth opaque gradient (JPEG keeps those close).
ImagePtr gradient(int w, int h) {
    fnd::Bytes px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(40 + y * 150 / h);            // B
            p[1] = static_cast<uint8_t>(200 - x * 120 / w);           // G
            p[2] = static_cast<uint8_t>(30 + (x + y) * 90 / (w + h)); // R
            p[3] = 255;
        }
    }
    return Image::fromPixels(w, h, std::move(px));
}

int maxDifference(const Image& a, const Image& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            Rgba8 p = a.pixelAt(x, y);
            Rgba8 q = b.pixelAt(x, y);
            worst =
                std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b), std::abs(p.a - q.a)});
        }
    }
    return worst;
}

// The payload of the first frame header (SOF0..SOF15 except DHT/JPG/DAC), with its marker.
std::pair<int, fnd::Bytes> frameHeader(const fnd::Bytes& jpeg) {
    for (size_t at = 2; at + 4 <= jpeg.size();) {
        if (jpeg[at] != 0xff) {
            break;
        }
        int marker = jpeg[at + 1];
        size_t len = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) {
            return {marker, fnd::Bytes(jpeg.begin() + at + 4, jpeg.begin() + at + 2 + len)};
        }
        at += 2 + len;
    }
    return {0, {}};
}

// An APP1 Exif segment whose IFD0 holds an orientation tag (plus one other tag before it).
fnd::Bytes exifSegment(bool little, uint16_t orientation) {
    fnd::Bytes tiff;
    auto u16 = [&](uint32_t v) {
        if (little) {
            tiff.push_back(static_cast<uint8_t>(v)), tiff.push_back(static_cast<uint8_t>(v >> 8));
        } else {
            tiff.push_back(static_cast<uint8_t>(v >> 8)), tiff.push_back(static_cast<uint8_t>(v));
        }
    };
    auto u32 = [&](uint32_t v) { little ? (u16(v & 0xffff), u16(v >> 16)) : (u16(v >> 16), u16(v & 0xffff)); };
    tiff.push_back(little ? 'I' : 'M');
    tiff.push_back(little ? 'I' : 'M');
    u16(42);
    u32(8);
    u16(2);                                       // two entries
    u16(0x010f), u16(2), u32(4), u32(0x41424300); // Make, ASCII, inline "ABC"
    u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);
    u32(0);
    fnd::Bytes seg = {0xff, 0xe1};
    size_t len = 2 + 6 + tiff.size();
    seg.push_back(static_cast<uint8_t>(len >> 8));
    seg.push_back(static_cast<uint8_t>(len));
    const char exif[] = {'E', 'x', 'i', 'f', 0, 0};
    seg.insert(seg.end(), exif, exif + 6);
    seg.insert(seg.end(), tiff.begin(), tiff.end());
    return seg;
}

fnd::Bytes withSegment(const fnd::Bytes& jpeg, const fnd::Bytes& segment) {
    fnd::Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// Writes a JPEG from raw samples with libjpeg (for grey and CMYK files our encoder does not make).
fnd::Bytes writeRawJpeg(int w, int h, J_COLOR_SPACE space, int components, const std::vector<uint8_t>& samples) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(samples.data()) + static_cast<size_t>(cinfo.next_scanline) * w * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    fnd::Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

TEST(JpegCodec, EncodesBaseline420AndRoundTripsClosely) {
    ImagePtr image = gradient(48, 32);
    ASSERT_NE(image, nullptr);
    fnd::Bytes high = jpegRepresentation(*image, 0.9);
    fnd::Bytes low = jpegRepresentation(*image, 0.3);
    ASSERT_FALSE(high.empty());
    ASSERT_FALSE(low.empty());
    EXPECT_LT(low.size(), high.size());

    auto [marker, sof] = frameHeader(high);
    EXPECT_EQ(marker, 0xc0); // baseline
    ASSERT_EQ(sof.size(), 6u + 3 * 3);
    EXPECT_EQ(sof[5], 3);    // three components
    EXPECT_EQ(sof[7], 0x22); // Y sampled 2x2
    EXPECT_EQ(sof[10], 0x11);
    EXPECT_EQ(sof[13], 0x11);

    ImagePtr back = Image::imageWithData(high);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width(), 48);
    EXPECT_EQ(back->height(), 32);
    EXPECT_EQ(back->orientation(), ImageOrientation::Up);
    EXPECT_LE(maxDifference(*image, *back), 8);

    // Quality maps to clamp(round(q * 100), 1, 100).
    EXPECT_EQ(jpegRepresentation(*image, 0.0), jpegRepresentation(*image, -3));
    EXPECT_EQ(jpegRepresentation(*image, 0.0), jpegRepresentation(*image, 0.01));
    EXPECT_EQ(jpegRepresentation(*image, 1.0), jpegRepresentation(*image, 7));
    EXPECT_EQ(jpegRepresentation(*image, 0.304), low);
    EXPECT_NE(jpegRepresentation(*image, 0.31), low);
}

TEST(JpegCodec, TransparentPixelsBecomeBlack) {
    // Left half transparent white (premultiplied: all zero), right half opaque white.
    fnd::Bytes px(16 * 16 * 4, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 8; x < 16; ++x) {
            std::fill_n(&px[(y * 16 + x) * 4], 4, 255);
        }
    }
    ImagePtr image = Image::fromPixels(16, 16, px);
    ImagePtr back = Image::imageWithData(jpegRepresentation(*image, 1.0));
    ASSERT_NE(back, nullptr);
    Rgba8 left = back->pixelAt(2, 8);
    Rgba8 right = back->pixelAt(13, 8);
    EXPECT_LE(left.r + left.g + left.b, 12);
    EXPECT_EQ(left.a, 255);
    EXPECT_GE(right.r + right.g + right.b, 3 * 250);
}

TEST(JpegCodec, ReadsExifOrientationWithoutTurningPixels) {
    ImagePtr image = gradient(24, 16);
    fnd::Bytes plain = jpegRepresentation(*image, 0.8);
    ImagePtr plainImage = Image::imageWithData(plain);
    ASSERT_NE(plainImage, nullptr);
    const std::pair<uint16_t, ImageOrientation> table[] = {
        {1, ImageOrientation::Up},
        {2, ImageOrientation::UpMirrored},
        {3, ImageOrientation::Down},
        {4, ImageOrientation::DownMirrored},
        {5, ImageOrientation::LeftMirrored},
        {6, ImageOrientation::Right},
        {7, ImageOrientation::RightMirrored},
        {8, ImageOrientation::Left},
    };
    for (bool little : {true, false}) {
        for (auto [exif, want] : table) {
            SCOPED_TRACE(std::to_string(exif) + (little ? " II" : " MM"));
            ImagePtr turned = Image::imageWithData(withSegment(plain, exifSegment(little, exif)));
            ASSERT_NE(turned, nullptr);
            EXPECT_EQ(turned->orientation(), want);
            EXPECT_EQ(turned->width(), 24);
            EXPECT_EQ(turned->height(), 16);
            EXPECT_EQ(maxDifference(*turned, *plainImage), 0);
        }
    }
    // Payloads without a usable orientation leave the image upright.
    fnd::Bytes badValue = exifSegment(true, 9);
    fnd::Bytes cutShort = exifSegment(false, 6);
    cutShort.resize(cutShort.size() - 16);
    cutShort[3] = static_cast<uint8_t>(cutShort.size() - 2);
    fnd::Bytes notExif = exifSegment(true, 6);
    notExif[4] = 'X';
    fnd::Bytes hugeOffset = exifSegment(true, 6);
    hugeOffset[14] = 0xff; // IFD0 offset far past the end
    for (const fnd::Bytes& seg : {badValue, cutShort, notExif, hugeOffset}) {
        ImagePtr decoded = Image::imageWithData(withSegment(plain, seg));
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->orientation(), ImageOrientation::Up);
        EXPECT_EQ(exifOrientation(std::span<const uint8_t>(seg).subspan(4)), std::nullopt);
    }
}

TEST(JpegCodec, DecodesGreyAndCmyk) {
    std::vector<uint8_t> grey(8 * 8, 180);
    ImagePtr g = Image::imageWithData(writeRawJpeg(8, 8, JCS_GRAYSCALE, 1, grey));
    ASSERT_NE(g, nullptr);
    Rgba8 gp = g->pixelAt(3, 3);
    EXPECT_NEAR(gp.r, 180, 2);
    EXPECT_EQ(gp.r, gp.g);
    EXPECT_EQ(gp.g, gp.b);
    EXPECT_EQ(gp.a, 255);

    // libjpeg marks CMYK files with an Adobe segment, whose convention stores inverted inks:
    // red is C=0 M=Y=full K=0, stored as 255, 0, 0, 255.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 8 * 8; ++i) {
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    }
    ImagePtr c = Image::imageWithData(writeRawJpeg(8, 8, JCS_CMYK, 4, cmyk));
    ASSERT_NE(c, nullptr);
    Rgba8 cp = c->pixelAt(4, 4);
    EXPECT_NEAR(cp.r, 255, 3);
    EXPECT_NEAR(cp.g, 0, 3);
    EXPECT_NEAR(cp.b, 0, 3);
    EXPECT_EQ(cp.a, 255);
}

TEST(JpegCodec, RefusesDamagedAndOversizedFiles) {
    fnd::Bytes good = jpegRepresentation(*gradient(16, 16), 0.8);
    auto withSize = [&](uint16_t width, uint16_t height) {
        fnd::Bytes f = good;
        for (size_t at = 2; at + 9 < f.size();) {
            if (f[at + 1] == 0xc0) {
                f[at + 5] = static_cast<uint8_t>(height >> 8), f[at + 6] = static_cast<uint8_t>(height);
                f[at + 7] = static_cast<uint8_t>(width >> 8), f[at + 8] = static_cast<uint8_t>(width);
                break;
            }
            at += 2 + (f[at + 2] << 8 | f[at + 3]);
        }
        return f;
    };
    struct Case {
        const char* name;
        fnd::Bytes bytes;
        const char* log;
        DecodeLimit limit{};
    };
    const Case cases[] = {
        {"start marker only", fnd::Bytes{0xff, 0xd8, 0xff}, "JPEG: cannot decode"},
        {"cut in the header", fnd::Bytes(good.begin(), good.begin() + 40), "JPEG: cannot decode"},
        {"garbage after the start", fnd::Bytes{0xff, 0xd8, 0xff, 0x00, 0x12, 0x34, 0x56}, "JPEG: cannot decode"},
        {"wide", withSize(9000, 16), "too large"},
        {"too many pixels", withSize(5000, 5000), "too large"},
        {"zero height", withSize(16, 0), "JPEG: cannot decode"},
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
    EXPECT_NE(Image::imageWithData(good, {16, 16}), nullptr);
}

} // namespace
} // namespace gfx
