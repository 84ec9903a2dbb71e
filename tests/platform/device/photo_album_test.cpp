// The photo album: pictures numbered onwards from what the folder holds, never overwriting, and the
// completion reported on the main loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/device/photo_album.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/graphics/png_codec.h"

namespace device {
namespace {

TEST(PhotoAlbumTest, NumbersPicturesOnwardsAndReportsOnMain) {
    std::filesystem::remove_all(PhotoAlbum::folder());
    std::vector<fnd::Result<std::string>> heard;
    auto note = [&heard](const fnd::Result<std::string>& saved) { heard.push_back(saved); };

    // 4 x 3 opaque red pixels (premultiplied B, G, R, A).
    fnd::Bytes pixels;
    for (int i = 0; i < 12; ++i) {
        pixels.insert(pixels.end(), {0, 0, 255, 255});
    }
    const auto red = gfx::Image::fromPixels(4, 3, pixels);
    PhotoAlbum::saveImage(red, note);
    PhotoAlbum::saveImage(red, note);
    EXPECT_TRUE(heard.empty()); // reported later, on the main loop
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(heard.size(), 2u);
    ASSERT_TRUE(heard[0].ok());
    EXPECT_EQ(heard[0].value(), PhotoAlbum::folder() + "/IMG_0001.png");
    EXPECT_EQ(heard[1].value(), PhotoAlbum::folder() + "/IMG_0002.png");
    const auto decoded = gfx::decodePng(*fnd::readFile(heard[0].value()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 4);
    EXPECT_EQ(decoded->pixelAt(1, 1), (gfx::Rgba8{255, 0, 0, 255}));

    // Numbering goes on past the highest picture there, leaving every file as it was.
    ASSERT_TRUE(fnd::writeFile(PhotoAlbum::folder() + "/IMG_0041.png", fnd::Bytes{'o', 'l', 'd'}));
    PhotoAlbum::saveImage(red, note);
    PhotoAlbum::saveImage(nullptr, note);
    PhotoAlbum::saveImage(red); // no completion wanted
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[2].value(), PhotoAlbum::folder() + "/IMG_0042.png");
    EXPECT_FALSE(heard[3].ok());
    EXPECT_TRUE(std::filesystem::exists(PhotoAlbum::folder() + "/IMG_0043.png"));
    EXPECT_EQ(*fnd::readFile(PhotoAlbum::folder() + "/IMG_0041.png"), (fnd::Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PhotoAlbum::folder()), {}), 5);
}

} // namespace
} // namespace device
