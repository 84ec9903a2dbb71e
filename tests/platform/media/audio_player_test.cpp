// The audio player: it decodes a generated WAV, reports its duration, plays it into the device
// along the main loop's clock with loops, pause and seeking, tells its delegate on the main loop
// when it finishes, fails cleanly on missing, empty and corrupt sounds, and hears interruptions.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstring>
#include <limits>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url.h"
#include "platform/media/audio_player.h"
#include "platform/media/audio_session.h"
#include "platform/media/backends.h"
#include "platform/media/testing/memory_device.h"

namespace media {
namespace {

// 0.5 s of 8 kHz mono: a ramp, so every frame is told apart.
std::vector<int16_t> rampSamples() {
    std::vector<int16_t> s(4000);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<int16_t>(i * 7 - 14000);
    }
    return s;
}

std::string writeWav(const std::string& name, const std::vector<int16_t>& samples) {
    std::string path = fnd::AppFolders::temporary() + "/" + name;
    fnd::AppFolders::setUp();
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return path;
}

std::vector<int16_t> asSamples(const fnd::Bytes& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

struct Recorder : AudioPlayerDelegate {
    std::vector<std::string> calls;
    bool onMain = true;
    void note(const std::string& what) {
        calls.push_back(what);
        onMain = onMain && fnd::isMainThread();
    }
    void audioPlayerDidFinishPlaying(const std::shared_ptr<AudioPlayer>&, bool ok) override {
        note(ok ? "finished" : "finished badly");
    }
    void audioPlayerDecodeErrorDidOccur(const std::shared_ptr<AudioPlayer>&, const fnd::Error&) override {
        note("decode error");
    }
    void audioPlayerBeginInterruption(const std::shared_ptr<AudioPlayer>&) override { note("begin"); }
    void audioPlayerEndInterruption(const std::shared_ptr<AudioPlayer>&) override { note("end"); }
};

class AudioPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        device_ = std::make_shared<testing::MemoryDevice>();
        installAudioDevice(device_);
        PlaybackLog::clear();
        recorder_ = std::make_shared<Recorder>();
    }
    void TearDown() override {
        installAudioDevice(nullptr);
        fnd::Clock::install(nullptr);
    }
    void advance(double dt) { fnd::RunLoop::main().advance(dt); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<testing::MemoryDevice> device_;
    std::shared_ptr<Recorder> recorder_;
};

TEST_F(AudioPlayerTest, PlaysAGeneratedWavWithLoopsAndFinishesOnTheMainLoop) {
    const auto ramp = rampSamples();
    const std::string path = writeWav("ramp.wav", ramp);
    auto byUrl = AudioPlayer::initWithContentsOfURL(fnd::Url::fileUrl(path).absoluteString());
    ASSERT_TRUE(byUrl.ok()) << byUrl.error().localizedDescription();
    EXPECT_DOUBLE_EQ(byUrl.value()->duration(), 0.5);

    auto player = AudioPlayer::initWithContentsOfURL(path).value();
    EXPECT_DOUBLE_EQ(player->duration(), 0.5);
    EXPECT_EQ(player->sampleRate(), 8000);
    EXPECT_TRUE(player->prepareToPlay());
    player->setNumberOfLoops(1);
    player->setDelegate(recorder_);
    const StreamId stream = player->streamId();
    const double start = clock_->monotonicTime();
    ASSERT_TRUE(player->play());
    std::weak_ptr<AudioPlayer> weak = player;
    player.reset(); // it keeps itself alive while playing

    advance(0.75);
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(weak.lock()->isPlaying());
    EXPECT_NEAR(weak.lock()->currentTime(), 0.25, 1e-9); // a quarter into the second pass
    EXPECT_EQ(device_->output(stream).size(), 6000u * 2);
    advance(0.2499);
    EXPECT_TRUE(recorder_->calls.empty());
    advance(0.0001);
    EXPECT_EQ(recorder_->calls, std::vector<std::string>{"finished"});
    EXPECT_TRUE(recorder_->onMain);
    EXPECT_TRUE(weak.expired());

    std::vector<int16_t> twice = ramp;
    twice.insert(twice.end(), ramp.begin(), ramp.end());
    EXPECT_EQ(asSamples(device_->output(stream)), twice);
    auto records = PlaybackLog::entries();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (PlaybackRecord{stream, PlaybackEvent::Play, start, path}));
    EXPECT_EQ(records[1].event, PlaybackEvent::Finish);
    EXPECT_NEAR(records[1].time, start + 1.0, 1e-9);
}

TEST_F(AudioPlayerTest, PauseSeekAndVolumeShapeWhatIsPlayed) {
    const auto ramp = rampSamples();
    fnd::Bytes wav = fnd::readFile(writeWav("seek.wav", ramp)).value();
    auto player = AudioPlayer::initWithData(wav).value();
    player->setDelegate(recorder_);
    ASSERT_TRUE(player->play());
    advance(0.1);
    player->pause();
    advance(1.0); // paused: nothing moves
    EXPECT_FALSE(player->isPlaying());
    EXPECT_NEAR(player->currentTime(), 0.1, 1e-9);
    player->setCurrentTime(0.4);
    player->setVolume(0.5f);
    ASSERT_TRUE(player->play());
    advance(0.1);
    EXPECT_EQ(recorder_->calls, std::vector<std::string>{"finished"});
    EXPECT_EQ(player->currentTime(), 0.0);

    std::vector<int16_t> expected(ramp.begin(), ramp.begin() + 800);
    for (size_t i = 3200; i < 4000; ++i) {
        expected.push_back(static_cast<int16_t>(static_cast<float>(ramp[i]) * 0.5f));
    }
    EXPECT_EQ(asSamples(device_->output(player->streamId())), expected);
    EXPECT_EQ(PlaybackLog::eventsOf(player->streamId()),
              (std::vector<PlaybackEvent>{PlaybackEvent::Play, PlaybackEvent::Pause, PlaybackEvent::Play,
                                          PlaybackEvent::Finish}));

    // Stopping keeps the position; playing again goes on from it.
    ASSERT_TRUE(player->play());
    advance(0.2);
    player->stop();
    EXPECT_NEAR(player->currentTime(), 0.2, 1e-9);
    EXPECT_EQ(PlaybackLog::eventsOf(player->streamId()).back(), PlaybackEvent::Stop);

    // The largest loop count is a very long run, not an overflow.
    player->setNumberOfLoops(std::numeric_limits<int>::max());
    ASSERT_TRUE(player->play());
    advance(0.5);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_NEAR(player->currentTime(), 0.2, 1e-9);
    player->stop();
}

TEST_F(AudioPlayerTest, MissingEmptyAndCorruptSoundsFailCleanly) {
    fnd::AppFolders::setUp();
    const std::string empty = fnd::AppFolders::temporary() + "/empty.wav";
    ASSERT_TRUE(fnd::writeFile(empty, {}));
    struct Case {
        std::string url;
        std::string text;
    };
    for (const Case& c : {Case{fnd::AppFolders::temporary() + "/none.wav", "does not exist"}, Case{empty, "is empty"},
                          Case{"", "No sound file"}}) {
        auto result = AudioPlayer::initWithContentsOfURL(c.url);
        ASSERT_FALSE(result.ok()) << c.url;
        EXPECT_NE(result.error().localizedDescription().find(c.text), std::string::npos)
            << result.error().localizedDescription();
    }
    EXPECT_FALSE(AudioPlayer::initWithData({}).ok());

    fnd::Bytes wav = fnd::readFile(writeWav("whole.wav", rampSamples())).value();
    const fnd::Bytes corrupt[] = {
        fnd::Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd'},
        fnd::Bytes(wav.begin(), wav.begin() + 30), // cut inside the header
        [&] {
            fnd::Bytes b = wav;
            std::memcpy(&b[22], "\0\0", 2); // no channels
            return b;
        }(),
    };
    for (const auto& bytes : corrupt) {
        fnd::testing::LogCapture log;
        auto player = AudioPlayer::initWithData(bytes).value();
        player->setDelegate(recorder_);
        EXPECT_EQ(player->duration(), 0.0);
        EXPECT_FALSE(player->prepareToPlay());
        EXPECT_FALSE(player->play());
        EXPECT_FALSE(player->isPlaying());
        EXPECT_TRUE(player->decodeError().has_value());
        EXPECT_TRUE(log.contains("refusing to play <data>"));
    }
    EXPECT_EQ(recorder_->calls, std::vector<std::string>(3, "decode error"));
    EXPECT_TRUE(PlaybackLog::entries().empty());
}

TEST_F(AudioPlayerTest, InterruptionsPausePlayersAndReachListeners) {
    AudioSession& session = AudioSession::shared();
    ASSERT_EQ(session.setCategory(AudioSessionCategory::PlayAndRecord), Status::Ok);
    EXPECT_EQ(session.category(), AudioSessionCategory::PlayAndRecord);
    ASSERT_EQ(session.setActive(true), Status::Ok);
    std::vector<Interruption> heard;
    auto token = session.addInterruptionListener([&](Interruption i) { heard.push_back(i); });

    auto player = AudioPlayer::initWithContentsOfURL(writeWav("call.wav", rampSamples())).value();
    player->setDelegate(recorder_);
    ASSERT_TRUE(player->play());
    advance(0.2);
    session.simulateInterruption(Interruption::Began);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_FALSE(session.isActive());
    EXPECT_EQ(session.setActive(true), Status::Interrupted);
    advance(1.0);
    EXPECT_NEAR(player->currentTime(), 0.2, 1e-9);
    session.simulateInterruption(Interruption::Ended);
    EXPECT_EQ(session.setActive(true), Status::Ok);
    EXPECT_EQ(heard, (std::vector<Interruption>{Interruption::Began, Interruption::Ended}));
    EXPECT_EQ(recorder_->calls, (std::vector<std::string>{"begin", "end"}));

    token.reset();
    session.simulateInterruption(Interruption::Began);
    session.simulateInterruption(Interruption::Ended);
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(recorder_->calls.size(), 2u); // no longer playing, so not interrupted
}

} // namespace
} // namespace media
