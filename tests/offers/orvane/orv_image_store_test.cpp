// The picture files: hostile ids are refused (nothing written), a good one is written whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "offers/orvane/client/orv_image_store.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"

namespace zelvan::orvane {
namespace {

TEST(OrvImageStore, RefusesHostileIdsAndWritesWhole) {
    for (const char* id : {"", "../x", "a/b", "a\\b", "..", "x..y", "/etc/passwd"}) {
        EXPECT_FALSE(imagePathForID(id)) << id;
        EXPECT_FALSE(saveImageData(fnd::Bytes{1, 2}, id)) << id;
    }
    const std::string expected = fnd::AppFolders::documents() + "/orvane/ad-7.png";
    std::filesystem::remove_all(fnd::AppFolders::documents() + "/orvane");
    EXPECT_EQ(imagePathForID("ad-7"), expected);
    EXPECT_TRUE(std::filesystem::is_directory(fnd::AppFolders::documents() + "/orvane"));
    const fnd::Bytes picture(70000, 0x5a);
    ASSERT_TRUE(saveImageData(picture, "ad-7"));
    EXPECT_EQ(fnd::readFile(expected), picture);
}

} // namespace
} // namespace zelvan::orvane
