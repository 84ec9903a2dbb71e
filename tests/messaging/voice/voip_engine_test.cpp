// The voice call engine driven on the main thread under the manual clock, with a memory sound
// device and the dev server's voice relay: the greeting goes first and voice recorded before the
// relay opened never goes at all, silent buffers stay home, received voice plays in order, and
// the hang-up names the party (or stays quiet without one) and takes the audio down. Each buffer's
// worth of clock waits for the audio queues' callbacks it brings due, so "recorded" means the
// recording callback has had the buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "messaging/voice/mulaw_codec.h"
#include "messaging/voice/zelvan_voip.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/media/audio_session.h"
#include "platform/media/backends.h"
#include "platform/media/testing/memory_device.h"
#include "platform/media/testing/queue_driver.h"
#include "protocol/tagged_codec.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "tools/devserver/dev_voice_relay.h"

namespace zelvan {
namespace {

using fnd::Value;

constexpr double kBufferSeconds = 0.128;

VoipCall party(int32_t imId, int32_t userId, std::optional<std::string> username, int32_t channelId) {
    VoipCall call;
    call.imId = imId;
    call.userId = userId;
    call.username = std::move(username);
    call.channelId = channelId;
    return call;
}

AppRegistry voipRegistry() {
    AppRegistry registry;
    registry.zelvanVoip.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<VoipService> {
        return ZelvanVoip::makeForDelegate(delegate);
    };
    return registry;
}

class VoipEngineTest : public ::testing::Test {
protected:
    VoipEngineTest() : app_(voipRegistry()) {}

    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        device_ = std::make_shared<media::testing::MemoryDevice>();
        media::installAudioDevice(device_);
        ASSERT_TRUE(relay_.start());
        voip_ = std::dynamic_pointer_cast<ZelvanVoip>(app_->zelvanVoip());
        ASSERT_NE(voip_, nullptr);
    }
    void TearDown() override {
        voip_->stopVOIP();
        relay_.stop();
        fnd::RunLoop::main().runUntilIdle();
        media::installAudioDevice(nullptr);
        fnd::Clock::install(nullptr);
    }

    // Lets `buffers` audio buffers' worth of time pass, one at a time, each once the queues' callbacks
    // it brought due have returned.
    void play(int buffers) {
        for (int i = 0; i < buffers; ++i) {
            clock_->advance(kBufferSeconds);
            ASSERT_TRUE(media::testing::settleQueues());
            ASSERT_TRUE(fnd::testing::settle());
        }
    }
    void pushTone(size_t samples, int amplitude) {
        std::vector<int16_t> tone(samples);
        for (size_t i = 0; i < samples; ++i) {
            tone[i] = static_cast<int16_t>(amplitude * std::sin(static_cast<double>(i) * 0.3));
        }
        device_->pushInput(std::span(reinterpret_cast<const uint8_t*>(tone.data()), samples * 2));
        tones_.insert(tones_.end(), tone.begin(), tone.end());
    }
    std::vector<Value> sent() { return takeSentPackets(*app_); }
    // Opens the relay connection and starts the audio, as the network thread does.
    void startCall(VoipCall call) {
        call.voipServer = "127.0.0.1";
        call.voipPort = relay_.port();
        voip_->setCall(call);
        voip_->connect();
        voip_->startVOIP();
    }

    ScopedAppDelegate app_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<media::testing::MemoryDevice> device_;
    devserver::DevVoiceRelay relay_;
    std::shared_ptr<ZelvanVoip> voip_;
    std::vector<int16_t> tones_;
};

TEST_F(VoipEngineTest, GreetingGoesFirstThenLoudVoiceAndReceivedVoicePlays) {
    startCall(party(2, 0, "bob", 0x01020304));
    EXPECT_EQ(media::AudioSession::shared().category(), media::AudioSessionCategory::PlayAndRecord);
    EXPECT_TRUE(media::AudioSession::shared().isActive());
    // Recorded before the relay answers (both of the tone's buffers reach the recording callback while
    // the connection is still opening): dropped.
    pushTone(2048, 9000);
    play(2);
    EXPECT_EQ(device_->pendingInput(), 0u);
    EXPECT_FALSE(voip_->readyToSendVoice());
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->conStatus() == ZelvanVoip::kOpen; }));
    EXPECT_TRUE(voip_->readyToSendVoice());
    voip_->sendBufferedData();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_.received().size() >= 5; }));
    // No session here: an empty key, the channel big-endian, a zero byte, and nothing else.
    EXPECT_EQ(relay_.received(), (fnd::Bytes{1, 2, 3, 4, 0}));

    // One loud buffer goes out encoded; a quiet one does not.
    tones_.clear();
    pushTone(1024, 9000);
    pushTone(1024, 60);
    play(2);
    ASSERT_EQ(device_->pendingInput(), 0u);
    voip_->sendBufferedData();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_.voice().size() >= 1024; }));
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.05);
    const fnd::Bytes voice = relay_.voice();
    ASSERT_EQ(voice.size(), 1024u);
    for (size_t i = 0; i < voice.size(); ++i) {
        ASSERT_EQ(voice[i], mulaw::encode(tones_[i])) << i;
    }

    // 3000 received bytes play whole, after the silence already queued, then silence again.
    fnd::Bytes received(3000);
    for (size_t i = 0; i < received.size(); ++i) {
        received[i] = static_cast<uint8_t>(1 + i % 100);
    }
    ASSERT_TRUE(relay_.send(received));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->playBuffer().size() == 3000; }));
    const auto stream = device_->outputStreams().back();
    const size_t before = device_->output(stream).size();
    // Buffers turn over until the voice and a buffer after it have played.
    std::vector<int16_t> samples;
    size_t at = 0;
    for (int round = 0; round < 40; ++round) {
        play(1);
        const fnd::Bytes out = device_->output(stream);
        samples.assign(out.size() / 2, 0);
        std::memcpy(samples.data(), out.data(), samples.size() * 2);
        at = before / 2;
        while (at < samples.size() && samples[at] == 0) {
            ++at;
        }
        if (at < samples.size() && samples.size() >= at + 3000 + 1024) {
            break;
        }
    }
    // Whole buffers of silence come first: the five primed ones turn over before the voice.
    EXPECT_EQ(at % 1024, 0u);
    ASSERT_GE(samples.size(), at + 3000 + 1024);
    for (size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ(samples[at + i], mulaw::decode(received[i])) << i;
    }
    EXPECT_EQ(std::vector<int16_t>(samples.begin() + static_cast<std::ptrdiff_t>(at + 3000),
                                   samples.begin() + static_cast<std::ptrdiff_t>(at + 3000 + 1024)),
              std::vector<int16_t>(1024, 0));
}

TEST_F(VoipEngineTest, HangUpNamesThePartyAndTakesTheAudioDown) {
    startCall(party(2, 0, "bob", 9));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->conStatus() == ZelvanVoip::kOpen; }));
    EXPECT_TRUE(voip_->hasAudioQueues());
    voip_->setShouldStop(true);
    voip_->stopVOIP();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({10, 2, "bob", 3})}));
    EXPECT_FALSE(voip_->hasAudioQueues());
    EXPECT_FALSE(voip_->shouldStop());
    EXPECT_FALSE(voip_->readyToSendVoice());
    EXPECT_FALSE(media::AudioSession::shared().isActive());
    EXPECT_EQ(voip_->conStatus(), ZelvanVoip::kClosed);
    const VoipCall reset = voip_->call();
    EXPECT_EQ(reset.imId, -2);
    EXPECT_EQ(reset.channelId, -1);
    EXPECT_FALSE(reset.username.has_value());
    EXPECT_FALSE(reset.voipServer.has_value());
    // Nothing more reaches the device once the queues are gone.
    const auto streams = device_->outputStreams();
    const size_t played = streams.empty() ? 0 : device_->output(streams.back()).size();
    play(3);
    EXPECT_EQ(streams.empty() ? 0 : device_->output(streams.back()).size(), played);

    // A friend call hangs up with the user id; without a party nothing is sent.
    startCall(party(-1, 2001, "Ann", 9));
    voip_->stopVOIP();
    startCall(party(-1, 0, "Ann", 9));
    voip_->stopVOIP();
    startCall(party(3, 0, std::nullopt, 9));
    voip_->stopVOIP();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({10, -1, 2001, 3})}));
}

} // namespace
} // namespace zelvan
