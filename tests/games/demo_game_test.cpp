// The dev server's demo game as the build made it: its bytecode loads in an engine, asks for its
// generated sprite archive and reports progress until the cache hands it out, echoes commands, wins
// after one, and paints the archive's sprite over its background.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "games/cng4.h"
#include "natives_drawing_support.h"
#include "platform/foundation/file_io.h"
#include "tools/devserver/demo_game.h"
#include "tools/devserver/game_rules.h"
#include "tools/gameart/demo_art.h"

namespace zelvan {
namespace {

using fnd::Value;

bool near(gfx::Rgba8 p, uint32_t rgb) {
    auto close = [](int a, int b) { return a - b <= 2 && b - a <= 2; };
    return close(p.r, (rgb >> 16) & 0xFF) && close(p.g, (rgb >> 8) & 0xFF) && close(p.b, rgb & 0xFF) && p.a == 255;
}

TEST(DemoGameTest, CacheRuleServesTheGeneratedArchiveThatDecodesWithEverySpriteAndPalette) {
    const std::string root = devserver::builtGameRoot();
    const std::string key(gameart::kDemoSpritesKey);
    std::vector<Value> replies = devserver::gameCacheRule(root, Value::array({76, key, -1}));
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].asArray()->count(), 3u) << replies[0].description();
    const Value data = replies[0].asArray()->objectAtIndex(2);
    ASSERT_NE(data.asData(), nullptr);
    const fnd::Bytes bytes = *data.asData();
    EXPECT_EQ(bytes, gameart::demoSpriteArchive());
    fnd::Result<std::shared_ptr<CNG4>> archive = CNG4::initWithIData(bytes);
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive.value()->getImageCount(), gameart::kDemoSpriteCount);
    ASSERT_EQ(archive.value()->paletteCount(), gameart::kDemoPaletteCount);
    for (int image = 0; image < gameart::kDemoSpriteCount; ++image) {
        for (int palette = 0; palette < gameart::kDemoPaletteCount; ++palette) {
            gfx::ImagePtr decoded = archive.value()->newPNG(image, palette);
            ASSERT_NE(decoded, nullptr) << image << " " << palette;
            EXPECT_EQ(decoded->width(), gameart::kDemoSpriteSize);
        }
    }
}

TEST(DemoGameTest, BuiltBytecodeLoadsReportsProgressEchoesWinsAndPaints) {
    const std::string root = devserver::builtGameRoot();
    std::optional<fnd::Bytes> image = fnd::readFile(root + "/" + std::string(devserver::kDemoBytecodeFile));
    ASSERT_TRUE(image.has_value()) << root;
    testing::NativesBench bench(320, 480);
    bench.host->fileRoots = {root};
    auto engine = std::make_unique<STLScriptEngine>(*image, testing::kTestMyId, 12, devserver::kDemoGameId,
                                                    Value::array({"1001"}), Value::array({"me"}), 320, 480, bench.host);
    engine->setContext(bench.screen, 0, bench.guard);

    // Asked once; 50 while the cache has nothing ready, on every tick.
    const std::string key(gameart::kDemoSpritesKey);
    EXPECT_EQ(engine->call("initialize", Value()), Value(50));
    EXPECT_EQ(engine->call("initialize", Value()), Value(50));
    ASSERT_EQ(bench.host->calls().size(), 1u);
    EXPECT_EQ(bench.host->calls()[0], Value::array({"requestDataWithKeys", Value::array({key})}));
    bench.host->readyPaths[key] = root + "/resources/" + key;
    EXPECT_EQ(engine->call("initialize", Value()), Value(-1));

    // No win before a command; the command comes back to the room, then the game is won.
    EXPECT_TRUE(engine->call("execute", Value()).isNull());
    const Value command = Value::array({"hello", 3});
    engine->call("oncmd", Value::array({command}));
    ASSERT_EQ(bench.host->sent().size(), 1u);
    // Script strings go out as byte data.
    EXPECT_EQ(bench.host->sent()[0], Value::array({15, 12, Value::array({testing::bytes("hello"), 3})}));
    EXPECT_EQ(engine->call("execute", Value()), Value(1));

    // The background everywhere but the red ball at (40, 60): its body colour a few pixels right of
    // its centre (the surface is stored bottom row first).
    engine->call("paint", Value());
    const int h = bench.height;
    EXPECT_TRUE(near(bench.screen->pixelAt(5, h - 1 - 5), 0x183050));
    EXPECT_TRUE(near(bench.screen->pixelAt(300, h - 1 - 400), 0x183050));
    EXPECT_TRUE(near(bench.screen->pixelAt(40 + 22, h - 1 - (60 + 18)), gameart::kDemoBodyColors[0]));
}

} // namespace
} // namespace zelvan
