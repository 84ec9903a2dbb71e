// The dev server's demo game as the build made it: the cache rule serves its generated archive, which
// decodes; its bytecode loads in an engine, asks for its resources and reports progress until the
// cache hands them out, shows the player's label and the chat area, plays its chime, echoes commands,
// wins after one, and paints sprites of the archive and text in its bitmap font.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "games/engine/natives/zlv_audio_player.h"
#include "games/formats/cng4.h"
#include "platform/foundation/file_io.h"
#include "platform/media/playback_log.h"
#include "tests/games/engine/natives/natives_drawing_support.h"
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

TEST(DemoGameTest, BuiltBytecodeLoadsItsResourcesShowsThePlayerEchoesWinsAndPaints) {
    const std::string root = devserver::builtGameRoot();
    std::optional<fnd::Bytes> image = fnd::readFile(root + "/" + std::string(devserver::kDemoBytecodeFile));
    ASSERT_TRUE(image.has_value()) << root;
    media::PlaybackLog::clear();
    testing::NativesBench bench(320, 480);
    bench.host->fileRoots = {root};
    auto screen = std::make_shared<testing::FakeGameScreen>(12, 2);
    bench.host->screen = screen;
    auto engine = std::make_unique<STLScriptEngine>(*image, testing::kTestMyId, 12, devserver::kDemoGameId,
                                                    Value::array({"1001"}), Value::array({"me"}), 320, 480, bench.host);
    engine->setContext(bench.screen, 0, bench.guard);

    // All three keys asked once; 50 on every tick until the cache has handed out every one.
    const std::vector<std::string> keys = {std::string(gameart::kDemoSpritesKey), std::string(gameart::kDemoFontKey),
                                           std::string(gameart::kDemoSoundKey)};
    EXPECT_EQ(engine->call("initialize", Value()), Value(50));
    ASSERT_EQ(bench.host->calls().size(), 1u);
    EXPECT_EQ(bench.host->calls()[0], Value::array({"requestDataWithKeys", Value::array({keys[0], keys[1], keys[2]})}));
    for (const std::string& key : keys) {
        EXPECT_EQ(engine->call("initialize", Value()), Value(50)) << key;
        bench.host->readyPaths[key] = root + "/resources/" + key;
    }
    EXPECT_EQ(engine->call("initialize", Value()), Value(-1));
    EXPECT_EQ(bench.host->calls().size(), 1u);

    // "start": the player's label and the chat area, and the chime plays.
    engine->call("start", Value());
    ASSERT_EQ(screen->calls().size(), 2u);
    EXPECT_EQ(screen->calls()[0].asArray()->objectAtIndex(0), Value("drawUserName"));
    EXPECT_EQ(screen->calls()[0].asArray()->objectAtIndex(1).asArray()->objectAtIndex(0), Value("me"));
    EXPECT_EQ(screen->calls()[1].asArray()->objectAtIndex(0), Value("displayChat"));
    ASSERT_EQ(engine->core()->sounds.size(), 1u);
    auto chime = std::dynamic_pointer_cast<ZLVAudioPlayer>(engine->core()->sounds[0]);
    ASSERT_NE(chime, nullptr);
    EXPECT_EQ(media::PlaybackLog::eventsOf(chime->player()->streamId()),
              std::vector<media::PlaybackEvent>{media::PlaybackEvent::Play});

    // No win before a command; the command comes back to the room, then the game is won.
    EXPECT_TRUE(engine->call("execute", Value()).isNull());
    engine->call("oncmd", Value::array({Value::array({"move", 1})}));
    ASSERT_EQ(bench.host->sent().size(), 1u);
    // Script strings go out as byte data.
    EXPECT_EQ(bench.host->sent()[0], Value::array({15, 12, Value::array({testing::bytes("move"), 1})}));
    EXPECT_EQ(engine->call("execute", Value()), Value(1));

    // The background, the red and the blue ball at (40, 60) and (100, 60) (their body colour a few
    // pixels right of the centre), the table, and the bitmap font's white ink in its line at (40, 140)
    // (the surface is stored bottom row first).
    engine->call("paint", Value());
    auto at = [&](int x, int y) { return bench.screen->pixelAt(x, bench.height - 1 - y); };
    EXPECT_TRUE(near(at(5, 5), 0x183050));
    EXPECT_TRUE(near(at(40 + 22, 60 + 18), gameart::kDemoBodyColors[0]));
    EXPECT_TRUE(near(at(100 + 22, 60 + 18), gameart::kDemoBodyColors[1]));
    EXPECT_TRUE(near(at(250, 180), 0x2A6040));
    int white = 0;
    for (int y = 140; y < 154; ++y) {
        for (int x = 40; x < 40 + 12 * 8; ++x) {
            white += near(at(x, y), 0xFFFFFF) ? 1 : 0;
        }
    }
    EXPECT_GT(white, 100);
}

} // namespace
} // namespace zelvan
