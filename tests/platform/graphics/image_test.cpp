// Images: construction checks, unpremultiplied pixel reads, orientation and size, the file and
// bundle constructors with the named cache, stretchable copies, fitted copies and grey copies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/image.h"

namespace gfx {
namespace {

// An image from unpremultiplied colours, row by row.
ImagePtr makeImage(int w, int h, const std::vector<Rgba8>& colors,
                   ImageOrientation orientation = ImageOrientation::Up) {
    fnd::Bytes px;
    for (Rgba8 c : colors) {
        auto pm = [&](uint8_t v) { return static_cast<uint8_t>((v * c.a + 127) / 255); };
        px.insert(px.end(), {pm(c.b), pm(c.g), pm(c.r), c.a});
    }
    return Image::fromPixels(w, h, std::move(px), orientation);
}

ImagePtr solid(int w, int h, Rgba8 c, ImageOrientation o = ImageOrientation::Up) {
    return makeImage(w, h, std::vector<Rgba8>(static_cast<size_t>(w) * h, c), o);
}

std::vector<Rgba8> allPixels(const Image& image) {
    std::vector<Rgba8> out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            out.push_back(image.pixelAt(x, y));
        }
    }
    return out;
}

TEST(Image, ChecksSizesAndReadsUnpremultipliedPixels) {
    struct Bad {
        int w, h;
        size_t bytes;
    };
    for (Bad b :
         {Bad{0, 4, 0}, Bad{-2, 4, 0}, Bad{8193, 1, 8193 * 4}, Bad{4096, 4097, 4096u * 4097 * 4}, Bad{2, 2, 15}}) {
        SCOPED_TRACE(std::to_string(b.w) + "x" + std::to_string(b.h));
        fnd::testing::LogCapture log;
        EXPECT_EQ(Image::fromPixels(b.w, b.h, fnd::Bytes(b.bytes)), nullptr);
        EXPECT_TRUE(log.contains("Image:"));
    }

    // Premultiplied B=64 G=0 R=128 A=128 is (255, 0, 128) at half alpha.
    ImagePtr image = Image::fromPixels(2, 1, fnd::Bytes{64, 0, 128, 128, 10, 20, 30, 255});
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelAt(0, 0), (Rgba8{255, 0, 128, 128}));
    EXPECT_EQ(image->pixelAt(1, 0), (Rgba8{30, 20, 10, 255}));
    EXPECT_EQ(image->pixelAt(2, 0), Rgba8{});
    EXPECT_EQ(image->pixelAt(0, -1), Rgba8{});
    EXPECT_EQ(image->bytesPerRow(), 8u);
    EXPECT_EQ(image->scale(), 1.0);
    EXPECT_EQ(image->size(), (Size{2, 1}));
    EXPECT_EQ(image->orientation(), ImageOrientation::Up);

    // Quarter-turned orientations report the upright size; the stored pixels stay as they are.
    for (auto [o, size] : {std::pair{ImageOrientation::Left, Size{1, 2}},
                           {ImageOrientation::Right, Size{1, 2}},
                           {ImageOrientation::LeftMirrored, Size{1, 2}},
                           {ImageOrientation::RightMirrored, Size{1, 2}},
                           {ImageOrientation::Down, Size{2, 1}},
                           {ImageOrientation::UpMirrored, Size{2, 1}}}) {
        ImagePtr turned = solid(2, 1, {1, 2, 3, 255}, o);
        EXPECT_EQ(turned->size(), size) << static_cast<int>(o);
        EXPECT_EQ(turned->width(), 2);
    }
}

TEST(Image, LoadsFromDataFilesAndTheBundle) {
    ImagePtr red = solid(3, 2, {255, 0, 0, 255});
    fnd::Bytes png = pngRepresentation(*red);
    {
        fnd::testing::LogCapture log;
        EXPECT_EQ(Image::imageWithData(fnd::Bytes{'h', 'e', 'l', 'l', 'o'}), nullptr);
        EXPECT_EQ(Image::imageWithData(fnd::Bytes{}), nullptr);
        EXPECT_EQ(log.count("not a PNG, JPEG or GIF"), 2u);
    }

    std::filesystem::path dir = std::filesystem::path(std::getenv("ZELVAN_HOME")) / "bundle";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(fnd::writeFile((dir / "bubble.png").string(), png));
    ASSERT_TRUE(fnd::writeFile((dir / "plain").string(), jpegRepresentation(*red, 0.9)));
    ASSERT_TRUE(fnd::writeFile((dir / "broken.png").string(), fnd::Bytes(png.begin(), png.begin() + 30)));

    ImagePtr fromFile = Image::imageWithContentsOfFile((dir / "bubble.png").string());
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(allPixels(*fromFile), allPixels(*red));
    {
        fnd::testing::LogCapture log;
        EXPECT_EQ(Image::imageWithContentsOfFile((dir / "missing.png").string()), nullptr);
        EXPECT_TRUE(log.contains("cannot read"));
    }

    // Point the main bundle at our folder for this test, and back at the default one afterwards.
    struct BundleAt {
        explicit BundleAt(const std::filesystem::path& folder) {
            ::setenv("ZELVAN_BUNDLE", folder.c_str(), 1);
            fnd::Bundle::resetMain();
        }
        ~BundleAt() {
            ::unsetenv("ZELVAN_BUNDLE");
            fnd::Bundle::resetMain();
        }
    } bundleAt(dir);
    ASSERT_TRUE(fnd::Bundle::main().pathForResource("bubble", "png"));

    ImagePtr bubble = Image::imageNamed("bubble");
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->size(), (Size{3, 2}));
    EXPECT_EQ(Image::imageNamed("bubble"), bubble); // cached
    EXPECT_NE(Image::imageNamed("bubble.png"), nullptr);
    ImagePtr plain = Image::imageNamed("plain"); // the exact name is tried before name.png
    ASSERT_NE(plain, nullptr);
    EXPECT_NEAR(plain->pixelAt(1, 1).r, 255, 3);

    std::vector<ImagePtr> seen(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = Image::imageNamed("plain"); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const ImagePtr& s : seen) {
        EXPECT_EQ(s, plain);
    }

    fnd::testing::LogCapture log;
    EXPECT_EQ(Image::imageNamed("nothing"), nullptr);
    EXPECT_TRUE(log.contains("no bundle image named nothing"));
    EXPECT_EQ(Image::imageNamed("broken"), nullptr);
    EXPECT_TRUE(log.contains("PNG: cannot decode"));
}

TEST(Image, StretchableCopySharesPixelsAndRecordsCaps) {
    ImagePtr image = solid(8, 4, {0, 0, 255, 255});
    ImagePtr skin = image->stretchableImageWithLeftCapWidth(3, 1);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->data(), image->data());
    EXPECT_EQ(skin->leftCapWidth(), 3);
    EXPECT_EQ(skin->topCapHeight(), 1);
    EXPECT_EQ(skin->size(), image->size());
    EXPECT_EQ(image->leftCapWidth(), 0);
    EXPECT_EQ(image->stretchableImageWithLeftCapWidth(-4, 2)->leftCapWidth(), 0);
}

TEST(Image, FittedCopiesKeepAspectAndCanTurnUpright) {
    struct SizeCase {
        int w, h;
        bool respect;
        ImageOrientation o;
        int wantW, wantH;
    };
    const SizeCase sizes[] = {
        {400, 300, false, ImageOrientation::Up, 240, 180},   {300, 400, false, ImageOrientation::Up, 135, 180},
        {100, 50, false, ImageOrientation::Up, 100, 50},     {1000, 10, false, ImageOrientation::Up, 240, 2},
        {400, 300, true, ImageOrientation::Right, 135, 180}, {400, 300, false, ImageOrientation::Right, 240, 180},
    };
    for (const SizeCase& c : sizes) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        ImagePtr image = solid(c.w, c.h, {20, 200, 90, 255}, c.o);
        ImagePtr fitted = image->imageFittedTo({240, 180}, c.respect);
        ASSERT_NE(fitted, nullptr);
        EXPECT_EQ(fitted->width(), c.wantW);
        EXPECT_EQ(fitted->height(), c.wantH);
        EXPECT_EQ(fitted->orientation(), c.respect ? ImageOrientation::Up : c.o);
        EXPECT_EQ(fitted->pixelAt(c.wantW / 2, c.wantH / 2), (Rgba8{20, 200, 90, 255}));
    }

    // Stored 3x2 image "ABC / DEF" turned upright for each orientation (hand-worked).
    const Rgba8 A{255, 0, 0, 255}, B{0, 255, 0, 255}, C{0, 0, 255, 255}, D{255, 255, 0, 255}, E{0, 255, 255, 255},
        F{255, 0, 255, 255};
    struct TurnCase {
        ImageOrientation o;
        int w, h;
        std::vector<Rgba8> upright;
    };
    const TurnCase turns[] = {
        {ImageOrientation::Up, 3, 2, {A, B, C, D, E, F}},
        {ImageOrientation::Down, 3, 2, {F, E, D, C, B, A}},
        {ImageOrientation::UpMirrored, 3, 2, {C, B, A, F, E, D}},
        {ImageOrientation::DownMirrored, 3, 2, {D, E, F, A, B, C}},
        {ImageOrientation::Right, 2, 3, {D, A, E, B, F, C}},
        {ImageOrientation::Left, 2, 3, {C, F, B, E, A, D}},
        {ImageOrientation::LeftMirrored, 2, 3, {A, D, B, E, C, F}},
        {ImageOrientation::RightMirrored, 2, 3, {F, C, E, B, D, A}},
    };
    for (const TurnCase& t : turns) {
        SCOPED_TRACE(static_cast<int>(t.o));
        ImagePtr image = makeImage(3, 2, {A, B, C, D, E, F}, t.o);
        ImagePtr upright = image->imageFittedTo({100, 100}, true);
        ASSERT_NE(upright, nullptr);
        EXPECT_EQ(upright->width(), t.w);
        EXPECT_EQ(upright->height(), t.h);
        EXPECT_EQ(upright->orientation(), ImageOrientation::Up);
        EXPECT_EQ(allPixels(*upright), t.upright);
        ImagePtr kept = image->imageFittedTo({100, 100}, false);
        EXPECT_EQ(kept->orientation(), t.o);
        EXPECT_EQ(allPixels(*kept), (std::vector<Rgba8>{A, B, C, D, E, F}));
    }

    fnd::testing::LogCapture log;
    EXPECT_EQ(solid(4, 4, A)->imageFittedTo({0.5, 10}, false), nullptr);
    EXPECT_TRUE(log.contains("cannot fit"));
}

TEST(Image, GrayscaleCopyUsesLumaAndKeepsAlpha) {
    ImagePtr image = makeImage(
        3, 2,
        {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}, {255, 0, 0, 128}, {10, 10, 10, 0}},
        ImageOrientation::Down);
    ImagePtr gray = image->grayscaleCopy();
    ASSERT_NE(gray, nullptr);
    EXPECT_EQ(gray->orientation(), ImageOrientation::Down);
    EXPECT_EQ(allPixels(*gray), (std::vector<Rgba8>{{76, 76, 76, 255},
                                                    {150, 150, 150, 255},
                                                    {29, 29, 29, 255},
                                                    {255, 255, 255, 255},
                                                    {76, 76, 76, 128},
                                                    {0, 0, 0, 0}}));
}

} // namespace
} // namespace gfx
