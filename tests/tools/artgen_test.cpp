// The image generator: its table names every image the widget kit asks for exactly once, drawing is
// byte-for-byte repeatable, button skins stretch without seams, grey variants are grey, and every
// committed bundle PNG decodes at the size the table gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "platform/foundation/file_io.h"
#include "platform/graphics/image.h"
#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

TEST(ArtgenTest, TableNamesEveryKitImageOnce) {
    std::set<std::string> names;
    for (const ArtEntry& entry : artTable()) {
        EXPECT_TRUE(names.insert(entry.name).second) << "duplicate " << entry.name;
        EXPECT_GT(entry.width, 0) << entry.name;
        EXPECT_GT(entry.height, 0) << entry.name;
        EXPECT_FALSE(entry.shows.empty()) << entry.name;
    }
    std::vector<std::string> required = {
        "button-white",           "button-bar",       "button-bar-back", "button-moss-bar", "button-im-bar",
        "button-input-lightblue", "button-input-red", "zelvan",          "chatgroup",       "chatroom"};
    for (int i = 0; i < 10; ++i) {
        required.push_back(std::to_string(i));
    }
    for (int i = 0; i < 4; ++i) {
        required.push_back("state" + std::to_string(i));
    }
    for (int i = 0; i < 42; ++i) {
        required.push_back("e" + std::to_string(i));
    }
    for (const std::string& name : required) {
        EXPECT_NE(findArt(name), nullptr) << name;
    }
    EXPECT_EQ(findArt("e42"), nullptr);
    ASSERT_NE(findArt("chips_percent.png"), nullptr);
    EXPECT_EQ(artFileName(*findArt("chips_percent.png")), "chips_percent.png");
    EXPECT_EQ(artFileName(*findArt("e7")), "e7.png");
}

TEST(ArtgenTest, DrawingRepeatsAndSkinsStretchCleanly) {
    for (const char* name : {"e15", "zelvan", "button-bar-back", "game-logo"}) {
        const ArtEntry* entry = findArt(name);
        ASSERT_NE(entry, nullptr);
        fnd::Bytes first = renderArtPng(*entry);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, renderArtPng(*entry)) << name;
    }
    // The stretched band (the column at the left cap, the row at the top cap) matches its neighbours.
    for (const ArtEntry& entry : artTable()) {
        if (entry.name.rfind("button-", 0) != 0) {
            continue;
        }
        auto image = renderArt(entry);
        ASSERT_NE(image, nullptr);
        int cap = entry.width / 2 - 1;
        for (int y = 0; y < entry.height; ++y) {
            EXPECT_EQ(image->pixelAt(cap, y), image->pixelAt(cap - 1, y)) << entry.name << " row " << y;
            EXPECT_EQ(image->pixelAt(cap, y), image->pixelAt(cap + 1, y)) << entry.name << " row " << y;
        }
        EXPECT_GT(image->pixelAt(cap, entry.height / 2).a, 200) << entry.name;
    }
    auto gray = renderArt(*findArt("avatar_default_gray"));
    auto colour = renderArt(*findArt("avatar_default"));
    ASSERT_TRUE(gray && colour);
    gfx::Rgba8 g = gray->pixelAt(5, 30);
    EXPECT_TRUE(g.r == g.g && g.g == g.b);
    gfx::Rgba8 c = colour->pixelAt(5, 30);
    EXPECT_NE(c.r, c.b);
}

TEST(ArtgenTest, CommittedImagesDecodeAtTheirSizes) {
    const char* source = std::getenv("ZELVAN_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::string folder = std::string(source) + "/resources/";
    for (const ArtEntry& entry : artTable()) {
        auto bytes = fnd::readFile(folder + artFileName(entry));
        ASSERT_TRUE(bytes.has_value()) << artFileName(entry) << " is not committed";
        auto image = gfx::Image::imageWithData(*bytes);
        ASSERT_NE(image, nullptr) << artFileName(entry);
        EXPECT_EQ(image->width(), entry.width) << entry.name;
        EXPECT_EQ(image->height(), entry.height) << entry.name;
    }
}

} // namespace
} // namespace zelvan::artgen
