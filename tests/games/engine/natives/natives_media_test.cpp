// The natives that leave the surface: snapshots of buffers, of the script's backing and of the window,
// PNG and JPEG encoding, the photo album, sounds on the manual clock (and the message alert), the path
// rule, the memory that archives and images are charged with, and which ids of the standard table are
// assigned.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <thread>

#include "games/engine/natives/native_objects.h"
#include "games/engine/natives/zlv_audio_player.h"
#include "games/engine/object_pool.h"
#include "games/formats/cng4.h"
#include "games/screen/message_sound.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/media/backends.h"
#include "platform/media/playback_log.h"
#include "platform/media/testing/memory_device.h"
#include "tests/games/engine/natives/natives_drawing_support.h"
#include "tools/gameart/art_builders.h"

namespace zelvan {
namespace {

using media::PlaybackEvent;
using testing::lit;
using testing::NativesBench;

// A 16-bit mono 8 kHz WAV of `seconds` of a quiet ramp.
fnd::Bytes wav(int seconds) {
    const uint32_t frames = 8000u * static_cast<uint32_t>(seconds);
    fnd::Bytes out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    auto put16 = [&](uint16_t v) { out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(t[i]));
        }
    };
    tag("RIFF");
    put32(36 + frames * 2);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    tag("data");
    put32(frames * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        put16(static_cast<uint16_t>(i % 200));
    }
    return out;
}

gfx::ImagePtr imageIn(const fnd::Value& v) {
    auto held = v.asObject<ScriptImage>();
    return held == nullptr ? nullptr : held->image();
}

TEST(NativesMediaTest, SnapshotsEncodingAndTheAlbum) {
    NativesBench bench(16, 16);
    auto screen = std::make_shared<testing::FakeGameScreen>(5, 0);
    screen->backing = gfx::Image::fromPixels(1, 1, fnd::Bytes{1, 2, 3, 255});
    bench.host->screen = screen;
    bench.host->frame = gfx::Image::fromPixels(2, 1, fnd::Bytes(8, 255));
    // Buffer 2 with a red square, taken, encoded both ways and saved; then the backing and the frame.
    const fnd::Value result =
        bench.run("push 2\n native 44 1\n pop\n push 255\n push 0\n push 0\n native 48 3\n pop\n"
                  "push 2\n push 2\n push 8\n push 8\n native 56 4\n pop\n push 2\n native 122 1\n store G4\n"
                  "load G4\n bytes \"png\"\n native 123 2\n load G4\n bytes \"jpeg\"\n push 90\n native 123 3\n"
                  "load G4\n bytes \"gif\"\n native 123 2\n load G4\n native 124 1\n pop\n"
                  "push -1\n native 122 1\n push -2\n native 122 1\n push -7\n native 122 1\n native 122 0\n load G4\n "
                  "mkarray 8\n ret");
    ASSERT_EQ(result.asArray()->count(), 8u);
    auto buffer = bench.engine->core()->buffers()[2]->makeImage();
    const fnd::Bytes* png = result.asArray()->objectAtIndex(0).asData();
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(*png, gfx::pngRepresentation(*buffer)); // the same pixels
    const fnd::Bytes* jpeg = result.asArray()->objectAtIndex(1).asData();
    ASSERT_NE(jpeg, nullptr);
    auto decoded = gfx::Image::imageWithData(*jpeg);
    ASSERT_NE(decoded, nullptr);
    auto ctx = gfx::BitmapContext::create(16, 16, gfx::PixelFormat::Bgra8PremulFirstLE);
    ctx->drawImage(gfx::Rect{0, 0, 16, 16}, *decoded);
    // (6, 7) lies inside the square whichever way the plain draw turns the image.
    EXPECT_NEAR(ctx->pixelAt(6, 7).r, 255, 12);
    EXPECT_NEAR(ctx->pixelAt(6, 7).g, 0, 12);
    EXPECT_LT(ctx->pixelAt(0, 0).r, 40);
    EXPECT_TRUE(result.asArray()->objectAtIndex(2).isNull());
    EXPECT_EQ(imageIn(result.asArray()->objectAtIndex(3)), screen->backing);
    EXPECT_EQ(imageIn(result.asArray()->objectAtIndex(4)), bench.host->frame);
    EXPECT_EQ(imageIn(result.asArray()->objectAtIndex(5)), bench.host->frame);
    EXPECT_TRUE(result.asArray()->objectAtIndex(6).isNull());
    ASSERT_EQ(bench.host->album.size(), 1u);
    EXPECT_EQ(bench.host->album[0], imageIn(result.asArray()->objectAtIndex(7)));
    // Without a playing screen, -1 gives null.
    bench.host->screen = nullptr;
    EXPECT_TRUE(bench.run("push -1\n native 122 1\n ret").isNull());
}

// The game thread takes 122 of slot 0, -1 and -2 while the main thread waits for the engine: none
// of them waits for the main thread.
TEST(NativesMediaTest, SnapshotsFromTheGameThreadNeverWaitForMain) {
    NativesBench bench(8, 8);
    bench.host->screen = std::make_shared<testing::FakeGameScreen>(5, 0);
    auto engine = std::make_shared<STLScriptEngine>(
        testing::assemble(testing::mainProgram("push 0\n native 122 1\n push -1\n native 122 1\n push -2\n"
                                               "native 122 1\n mkarray 3\n ret")),
        testing::kTestMyId, 5, testing::kTestGameId, fnd::Value(), fnd::Value(), 8, 8, bench.host);
    bench.guard->surface = bench.screen;
    engine->setContext(bench.screen, 0, bench.guard);
    std::atomic<bool> done{false};
    fnd::Value result;
    std::thread game([&] {
        result = engine->call("main", fnd::Value());
        done = true;
    });
    while (!done) {
        engine->gc(); // main asking for the engine lock, as a paint would
    }
    game.join();
    ASSERT_EQ(result.asArray()->count(), 3u);
    EXPECT_NE(imageIn(result.asArray()->objectAtIndex(0)), nullptr);
}

TEST(NativesMediaTest, PathsOutsideTheGameFoldersAreRefused) {
    NativesBench bench(8, 8);
    const fnd::Bytes archive = gameart::ArchiveBuilder().addPalette({0xFF0000}).addImage(1, 1, {0}).build();
    const std::string outside = fnd::AppFolders::temporary() + "/outside.cng";
    fnd::FileManager::createFileAtPath(outside, archive);
    const std::string inside = bench.put("inside.cng", archive);
    ASSERT_EQ(symlink(outside.c_str(), (bench.root + "/link.cng").c_str()), 0);
    fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::root() + "/Photos");
    fnd::FileManager::createFileAtPath(fnd::AppFolders::root() + "/Photos/IMG_0001.png", archive);
    const std::vector<std::string> refused = {bench.root + "/link.cng", bench.root + "/../outside.cng", "inside.cng",
                                              "game-files/inside.cng",
                                              fnd::AppFolders::root() + "/Photos/IMG_0001.png"};
    for (const std::string& path : refused) {
        fnd::testing::LogCapture log;
        const fnd::Value got =
            bench.run("bytes " + lit(path) + "\n native 72 1\n bytes " + lit(path) + "\n native 76 1\n bytes " +
                      lit(path) + "\n native 85 1\n bytes " + lit(path) + "\n native 111 1\n mkarray 4\n ret");
        EXPECT_EQ(got, fnd::Value::array({fnd::Value(), fnd::Value(), fnd::Value(), fnd::Value()})) << path;
        EXPECT_EQ(log.count("is not a game file"), 4u) << path;
    }
    // The absolute path inside the folder opens.
    EXPECT_TRUE(bench.run("bytes " + lit(inside) + "\n native 72 1\n ret").isObject());
}

class NativesSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        device_ = std::make_shared<media::testing::MemoryDevice>();
        media::installAudioDevice(device_);
        media::PlaybackLog::clear();
    }
    void TearDown() override {
        media::installAudioDevice(nullptr);
        fnd::Clock::install(nullptr);
    }
    // The player id of a sound the natives made, whose events the log keeps apart from other players'.
    static media::StreamId streamOf(const std::shared_ptr<fnd::Object>& sound) {
        auto player = std::dynamic_pointer_cast<ZLVAudioPlayer>(sound);
        return player == nullptr ? media::StreamId{} : player->player()->streamId();
    }
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<media::testing::MemoryDevice> device_;
};

// A program with one entry point per (name, body), globals 3 onward; the sound lives in global 10.
std::string entries(const std::vector<std::pair<std::string, std::string>>& list) {
    std::string head;
    std::string funcs;
    std::string bodies;
    int global = 3;
    for (const auto& [name, body] : list) {
        head += ".entry \"" + name + "\" G" + std::to_string(global) + "\n";
        funcs += "func " + name + "\n store G" + std::to_string(global++) + "\n";
        bodies += name + ":\n" + body + "\n";
    }
    return head + funcs + "stop\n" + bodies;
}

TEST_F(NativesSoundTest, PlayPauseSeekDestroyAndTheEngineStopsItsSounds) {
    NativesBench bench(8, 8);
    const std::string path = bench.put("tone.wav", wav(3));
    auto program = entries({
        {"make", "bytes " + lit(path) +
                     "\n native 111 1\n store G10\n load G10\n push 1\n native 112 2\n pop\n"
                     "load G10\n native 116 1\n load G10\n native 117 1\n mkarray 2\n ret"},
        {"pause",
         "load G10\n native 118 1\n load G10\n native 113 1\n pop\n load G10\n native 116 1\n mkarray 2\n ret"},
        {"seek", "load G10\n push 2\n native 120 2\n pop\n load G10\n native 118 1\n ret"},
        {"replay", "load G10\n native 112 1\n pop\n load G10\n native 116 1\n ret"},
        {"destroy", "load G10\n native 115 1\n pop\n load G10\n native 112 1\n pop\n load G10\n native 116 1\n"
                    "load G10\n native 117 1\n mkarray 2\n ret"},
    });
    auto engine = testing::engineWithHost(program, bench.host);
    EXPECT_EQ(engine->call("make", fnd::Value()), fnd::Value::array({1, 3}));
    ASSERT_EQ(engine->core()->sounds.size(), 1u);
    const media::StreamId stream = streamOf(engine->core()->sounds[0]);
    fnd::RunLoop::main().advance(1.5);
    EXPECT_EQ(engine->call("pause", fnd::Value()), fnd::Value::array({1, 0}));
    EXPECT_EQ(engine->call("seek", fnd::Value()), fnd::Value(2));
    EXPECT_EQ(engine->call("replay", fnd::Value()), fnd::Value(1));
    // Destroyed: stopped, out of the list, and deaf to later calls.
    EXPECT_EQ(engine->call("destroy", fnd::Value()), fnd::Value::array({fnd::Value(), fnd::Value()}));
    EXPECT_TRUE(engine->core()->sounds.empty());
    EXPECT_EQ(media::PlaybackLog::eventsOf(stream),
              (std::vector<PlaybackEvent>{PlaybackEvent::Play, PlaybackEvent::Pause, PlaybackEvent::Play,
                                          PlaybackEvent::Stop}));

    // A sound still playing when the engine goes stops with it.
    auto second = testing::engineWithHost(program, bench.host);
    second->call("make", fnd::Value());
    const media::StreamId secondStream = streamOf(second->core()->sounds.at(0));
    second.reset();
    EXPECT_EQ(media::PlaybackLog::eventsOf(secondStream),
              (std::vector<PlaybackEvent>{PlaybackEvent::Play, PlaybackEvent::Stop}));
}

TEST_F(NativesSoundTest, MissingSoundsGiveNullWithTheirLogLines) {
    NativesBench bench(8, 8);
    fnd::testing::LogCapture log;
    EXPECT_EQ(bench.run("push 5\n native 111 1\n native 111 0\n bytes \"" + bench.root +
                        "/gone.wav\"\n native 111 1\n push 3\n native 112 1\n mkarray 4\n ret"),
              fnd::Value::array({fnd::Value(), fnd::Value(), fnd::Value(), fnd::Value()}));
    EXPECT_EQ(log.count("file path is null on creating audio"), 2u);
    EXPECT_TRUE(bench.engine->core()->sounds.empty());

    EXPECT_EQ(ZLVAudioPlayer::initWithFilestr(bench.root + "/gone.wav"), nullptr);
    EXPECT_EQ(log.count("get file path failed in creating audio player"), 1u);
    EXPECT_EQ(ZLVAudioPlayer::initWithFilepath(bench.root + "/gone.wav"), nullptr);
    EXPECT_EQ(log.count("get file data failed in creating audio player"), 1u);
    EXPECT_EQ(ZLVAudioPlayer::initWithFilestr(bench.put("empty.wav", {})), nullptr);
    EXPECT_EQ(log.count("create audio from file url ,error:"), 1u);
    auto fromCache = ZLVAudioPlayer::initWithFilepath(bench.put("tone.wav", wav(1)));
    ASSERT_NE(fromCache, nullptr);
    EXPECT_DOUBLE_EQ(fromCache->player()->duration(), 1.0);
}

TEST_F(NativesSoundTest, TheMessageAlertPlaysFromTheBundle) {
    auto alert = MessageSound::fromBundle(fnd::Bundle::main());
    ASSERT_NE(alert, nullptr);
    EXPECT_GT(alert->player()->player()->duration(), 0.1);
    alert->play();
    alert->play(); // a second line restarts it
    alert->player()->player()->stop();
    EXPECT_EQ(media::PlaybackLog::eventsOf(alert->player()->player()->streamId()),
              (std::vector<PlaybackEvent>{PlaybackEvent::Play, PlaybackEvent::Stop, PlaybackEvent::Play,
                                          PlaybackEvent::Stop}));
    // A bundle without the sound has no alert.
    NativesBench bench(8, 8);
    EXPECT_EQ(MessageSound::fromBundle(fnd::Bundle(bench.root)), nullptr);
}

TEST(NativesMemoryTest, ArchivesAndImagesAreChargedWhatTheyHold) {
    // An archive of two 64 x 64 images: a budget that fits one keeps one, and the other still draws.
    const fnd::Bytes bytes = gameart::ArchiveBuilder()
                                 .addPalette({0xFF0000, 0x00FF00})
                                 .addImage(64, 64, std::vector<uint8_t>(64 * 64, 0))
                                 .addImage(64, 64, std::vector<uint8_t>(64 * 64, 1))
                                 .build();
    auto budget = std::make_shared<ImageCacheBudget>(ImageCacheBudget{64 * 64 * 4, 0});
    auto archive = CNG4::initWithIData(bytes).value();
    archive->setCacheBudget(budget);
    archive->buffer(-1, -1);
    EXPECT_NE(archive->bufferedImage(0, 0), nullptr);
    EXPECT_EQ(archive->bufferedImage(1, 0), nullptr);
    EXPECT_EQ(budget->used, 64u * 64 * 4);
    auto surface = gfx::BitmapContext::create(64, 64, gfx::PixelFormat::Bgra8PremulFirstLE);
    archive->drawImage(*surface, 1, 0, 0, 0, 7, 64, -1, -1);
    EXPECT_EQ(surface->pixelAt(10, 10).g, 255);
    // A second archive on the same budget keeps nothing; the first one's release gives the room back.
    auto other = CNG4::initWithIData(bytes).value();
    other->setCacheBudget(budget);
    other->buffer(-1, -1);
    EXPECT_EQ(other->cachedBytes(), 0u);
    archive.reset();
    EXPECT_EQ(budget->used, 0u);
    other->buffer(1, 0);
    EXPECT_NE(other->bufferedImage(1, 0), nullptr);

    // Wrappers count the pixels and bytes they hold, so the pool's limit sees them.
    ZObjectPool pool;
    ZNSObject* held = pool.newNSObject(fnd::Value(other));
    ZNSObject* picture = pool.newNSObject(
        fnd::Value(std::make_shared<ScriptImage>(gfx::Image::fromPixels(100, 100, fnd::Bytes(100 * 100 * 4, 0)))));
    EXPECT_GE(ZObjectPool::footprint(held), bytes.size() + 64u * 64 * 4);
    EXPECT_GE(ZObjectPool::footprint(picture), 100u * 100 * 4);

    // An archive that 72 prepares or 74 decodes is charged to the engine's pool with its images.
    NativesBench bench(8, 8);
    const std::string path = bench.put("two.cng", bytes);
    bench.run("bytes " + lit(path) + "\n push 0\n native 72 2\n store G5\n push 0\n ret");
    EXPECT_LT(bench.engine->core()->pool().liveBytes(), 64u * 64 * 4);
    bench.run("bytes " + lit(path) + "\n push 0\n native 72 2\n store G5\n load G5\n push 1\n native 74 2\n ret");
    EXPECT_GE(bench.engine->core()->pool().liveBytes(), 64u * 64 * 4);
    EXPECT_LT(bench.engine->core()->pool().liveBytes(), 2u * 64 * 64 * 4);
    bench.run("bytes " + lit(path) + "\n native 72 1\n store G5\n push 0\n ret");
    EXPECT_GE(bench.engine->core()->pool().liveBytes(), 2u * 64 * 64 * 4 + bytes.size());
    // An image drawn (65) without being prepared is decoded on that draw, kept and charged too.
    bench.run("push 0\n native 44 1\n pop\n bytes " + lit(path) +
              "\n push 0\n native 72 2\n store G5\n load G5\n push 1\n push 0\n push 0\n push 0\n native 65 5\n"
              " pop\n push 0\n ret");
    EXPECT_EQ(bench.screen->pixelAt(2, 2).g, 255);
    EXPECT_EQ(bench.engine->core()->imageCacheBudget()->used, 64u * 64 * 4);
    EXPECT_GE(bench.engine->core()->pool().liveBytes(), 64u * 64 * 4);
    EXPECT_LT(bench.engine->core()->pool().liveBytes(), 2u * 64 * 64 * 4);
}

TEST(NativesTableTest, AssignedAndUnassignedIds) {
    const NativeTable& table = NativeTable::standard();
    std::vector<int> unassigned;
    for (int id = 0; id < NativeTable::kCount; ++id) {
        if (table.lookup(id) == nullptr) {
            unassigned.push_back(id);
        }
    }
    EXPECT_EQ(NativeTable::kCount - static_cast<int>(unassigned.size()), 101);
    EXPECT_EQ(unassigned, (std::vector<int>{26, 27, 31, 32, 33, 49, 51, 53, 54, 55,  57,  58,
                                            61, 63, 67, 68, 69, 70, 71, 75, 77, 100, 102, 108}));
}

} // namespace
} // namespace zelvan
