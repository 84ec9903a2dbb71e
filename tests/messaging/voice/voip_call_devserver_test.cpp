// A voice call in a launched client against the dev server and its loopback voice relay: incoming
// calls answered and refused, then a connected call that greets the relay, streams recorded voice,
// plays what the relay sends, shows its banner and ends with its chat line and hang-up packet; a
// connected call the user neither placed nor accepted goes nowhere.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/v_card.h"
#include "messaging/voice/mulaw_codec.h"
#include "messaging/voice/voip_view.h"
#include "messaging/voice/zelvan_voip.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/media/backends.h"
#include "platform/media/testing/memory_device.h"
#include "platform/media/wav_file_device.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tests/messaging/launched_messenger.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_voice_relay.h"

namespace zelvan {
namespace {

using fnd::Value;
using ui::testing::AlertDriver;

constexpr double kWait = 10.0;
constexpr int kFriend = 2001;

// Keeps what is played in memory for the test and in a WAV file for a person to listen to.
class TeeDevice final : public media::AudioDevice {
public:
    TeeDevice() : wav_("screenshots/voice-call.wav") {}
    void write(media::StreamId stream, const media::StreamFormat& format, std::span<const uint8_t> bytes) override {
        memory.write(stream, format, bytes);
        wav_.write(stream, format, bytes);
    }
    void read(media::StreamId stream, const media::StreamFormat& format, std::span<uint8_t> out) override {
        memory.read(stream, format, out);
    }
    media::testing::MemoryDevice memory;

private:
    media::WavFileDevice wav_;
};

class VoipCallDevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ec;
        std::filesystem::create_directories("screenshots", ec);
        reachability_ = fnd::testing::FakeReachability::install();
        device_ = std::make_shared<TeeDevice>();
        media::installAudioDevice(device_);
        // The relay runs first so the demo world can connect calls through it; it takes the keys of
        // the server's live log-ins.
        devserver::DevVoiceRelayOptions relayOptions;
        relayOptions.acceptKey = [this](const std::string& key) {
            return client_ && client_->server().hasLiveSessionKey(key);
        };
        relay_ = std::make_unique<devserver::DevVoiceRelay>(relayOptions);
        ASSERT_TRUE(relay_->start());
        auto options = LaunchedMessenger::demoWorld();
        options.voiceRelayPort = relay_->port();
        client_.emplace(options);
        client_->stopBeforeServer([this] { relay_->stop(); });
        client_->useCardPictures();
        client_->registry().zelvanVoip.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<VoipService> {
            return ZelvanVoip::makeForDelegate(delegate);
        };
        client_->installAsInstance();
        ASSERT_TRUE(client_->launch([](IMController& m) {
            auto last = m.getuserid(2003);
            return last && last->supportOfflineMessage();
        }));
        voip_ = std::dynamic_pointer_cast<ZelvanVoip>(client_->delegate()->zelvanVoip());
        ASSERT_NE(voip_, nullptr);
    }
    void TearDown() override {
        voip_.reset();
        client_.reset();
        media::installAudioDevice(nullptr);
    }

    // The command-10 packets the server received.
    std::vector<Value> callPackets() const {
        std::vector<Value> out;
        for (const auto& r : client_->server().received()) {
            if (auto items = r.packet.asArray(); items && items->objectAtIndex(0).intValue() == ZelvanVoip::kCommand) {
                out.push_back(r.packet);
            }
        }
        return out;
    }
    bool waitForCallPackets(size_t count) {
        return fnd::RunLoop::main().pumpUntil([&] { return callPackets().size() >= count; }, kWait);
    }
    // The text runs of the chat's last line, or of the one `back` lines before it.
    static std::string lastLine(const IMChat& chat, size_t back = 0) {
        std::string text;
        if (chat.messages().size() > back) {
            for (const auto& token : chat.messages()[chat.messages().size() - 1 - back]->tokens()) {
                if (const auto* run = std::get_if<std::string>(&token)) {
                    text += *run;
                }
            }
        }
        return text;
    }
    // Lets a tapped question's dismissal (real time here) run to its end, so nothing holds it.
    static void waitUntilGone(std::shared_ptr<ui::AlertView> alert) {
        std::weak_ptr<ui::AlertView> weak = alert;
        alert.reset();
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return weak.expired(); }, kWait));
    }
    std::shared_ptr<IMChat> openChat(int32_t userId) {
        return client_->messenger()->chatController()->findChatWithCard(client_->messenger()->getuserid(userId), true);
    }

    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<TeeDevice> device_;
    std::unique_ptr<devserver::DevVoiceRelay> relay_;
    std::optional<LaunchedMessenger> client_;
    std::shared_ptr<ZelvanVoip> voip_;
};

TEST_F(VoipCallDevServerTest, IncomingCallsAreAskedAboutAndAnsweredOrRefused) {
    auto chat = openChat(2002);
    ASSERT_NE(chat, nullptr);
    // On Wi-Fi with a known caller: the question, and Accept sends status 1.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->callAlert() != nullptr; }, kWait));
    auto first = voip_->callAlert();
    EXPECT_EQ(AlertDriver::visibleAlert(), first);
    EXPECT_EQ(first->message(), ZLS("callMessage"));
    EXPECT_EQ(lastLine(*chat), ZLS("callAlert"));
    // A second call while the question is open is refused at once.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2003, 0})));
    ASSERT_TRUE(waitForCallPackets(1));
    EXPECT_EQ(callPackets()[0], Value::array({10, -1, 2003, 2}));
    ASSERT_TRUE(AlertDriver::tap(first, ZLS("Accept")));
    waitUntilGone(std::move(first));
    ASSERT_TRUE(waitForCallPackets(2));
    EXPECT_EQ(callPackets()[1], Value::array({10, -1, 2002, 1}));

    // Reject sends status 2.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->callAlert() != nullptr; }, kWait));
    auto second = voip_->callAlert();
    ASSERT_TRUE(AlertDriver::tap(second, ZLS("Reject")));
    waitUntilGone(std::move(second));
    ASSERT_TRUE(waitForCallPackets(3));
    EXPECT_EQ(callPackets()[2], Value::array({10, -1, 2002, 2}));

    // Off Wi-Fi the call is refused with its line; an unknown caller is refused too.
    reachability_->setDefaultFlags(fnd::ReachabilityFlags{});
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 0})));
    ASSERT_TRUE(waitForCallPackets(4));
    EXPECT_EQ(callPackets()[3], Value::array({10, -1, 2002, 2}));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return lastLine(*chat) == ZLS("callFailedWiFi"); }, kWait));
    reachability_->setDefaultFlags(fnd::ReachabilityFlag::Reachable);
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 9999, 0})));
    ASSERT_TRUE(waitForCallPackets(5));
    EXPECT_EQ(callPackets()[4], Value::array({10, -1, 9999, 2}));
    EXPECT_EQ(voip_->callAlert(), nullptr);
    // A caller who hangs up while asked about takes the question away; nothing is answered.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->callAlert() != nullptr; }, kWait));
    auto third = voip_->callAlert();
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 3})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->callAlert() == nullptr; }, kWait));
    waitUntilGone(std::move(third));
    EXPECT_EQ(lastLine(*chat), ZLS("callEnd"));
    // Status lines of the caller's side.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 2})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return lastLine(*chat) == ZLS("callRejectTip"); }, kWait));
}

TEST_F(VoipCallDevServerTest, OnlyACallTheUserPlacedOrAcceptedConnectsAndOnlyOnce) {
    fnd::testing::LogCapture log;
    const char* dropped = "neither placed nor accepted";
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 4, "127.0.0.1", relay_->port(), 5})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return log.count(dropped) == 1; }, kWait));
    EXPECT_FALSE(voip_->call().voipServer.has_value());

    // Accepted, the call connects to its relay once; a second packet cannot move it elsewhere.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return voip_->callAlert() != nullptr; }, kWait));
    auto question = voip_->callAlert();
    ASSERT_TRUE(AlertDriver::tap(question, ZLS("Accept")));
    waitUntilGone(std::move(question));
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 4, "127.0.0.1", relay_->port(), 5})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_->greetings().size() == 1; }, kWait));
    EXPECT_EQ(relay_->greetings()[0].channelId, 5);
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, 2002, 4, "127.0.0.2", relay_->port(), 6})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return log.count(dropped) == 2; }, kWait));
    EXPECT_EQ(voip_->call().voipServer, "127.0.0.1");
    EXPECT_EQ(voip_->call().channelId, 5);
}

TEST_F(VoipCallDevServerTest, ConnectedCallStreamsBothWaysAndEndsWithItsLine) {
    auto chat = openChat(kFriend);
    ASSERT_NE(chat, nullptr);
    chat->setInCall(true);
    const std::string name = client_->messenger()->getuserid(kFriend)->getname();
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, kFriend, 4, "127.0.0.1", relay_->port(), 7})));

    // The relay is greeted with this log-in's session key and the channel.
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_->greetings().size() == 1; }, kWait));
    EXPECT_EQ(relay_->greetings()[0].sessionKey, client_->delegate()->sessionKey().value_or("?"));
    EXPECT_EQ(relay_->greetings()[0].channelId, 7);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            auto banner = voip_->voipView();
            return banner && banner->visible() &&
                   banner->infoLabel()->text() == fnd::format(ZLS("Talking with %@"), name);
        },
        kWait));
    EXPECT_FALSE(chat->inCall());
    auto banner = voip_->voipView();
    EXPECT_EQ(banner->superview(), client_->delegate()->window());
    EXPECT_TRUE(banner->timing());

    // Recorded voice reaches the relay as mu-law.
    std::vector<int16_t> tone(8000);
    for (size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 8000));
    }
    device_->memory.pushInput(std::span(reinterpret_cast<const uint8_t*>(tone.data()), tone.size() * 2));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_->voice().size() >= 2048; }, kWait));
    const fnd::Bytes voice = relay_->voice();
    size_t offset = 0;
    while (offset + 2048 <= tone.size() && mulaw::encode(tone[offset]) != voice[0]) {
        ++offset;
    }
    for (size_t i = 0; i < 2048; ++i) {
        ASSERT_EQ(voice[i], mulaw::encode(tone[offset + i])) << i;
    }

    // What the relay sends is played.
    fnd::Bytes sent(3000);
    for (size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<uint8_t>(i % 100);
    }
    ASSERT_TRUE(relay_->send(sent));
    auto played = [&] {
        auto streams = device_->memory.outputStreams();
        if (streams.empty()) {
            return false;
        }
        const fnd::Bytes out = device_->memory.output(streams.back());
        std::vector<int16_t> samples(out.size() / 2);
        std::memcpy(samples.data(), out.data(), samples.size() * 2);
        for (size_t at = 0; at + sent.size() <= samples.size(); ++at) {
            if (samples[at] != mulaw::decode(sent[0])) {
                continue;
            }
            bool all = true;
            for (size_t i = 0; i < sent.size() && all; ++i) {
                all = samples[at + i] == mulaw::decode(sent[i]);
            }
            if (all) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(played, kWait));
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*client_->delegate()->window(), "screenshots/voice-call-banner.png"));

    // The other side hangs up: the line, the hang-up packet, the ended call's line and banner.
    ASSERT_TRUE(client_->server().push(0, Value::array({10, -1, kFriend, 3})));
    ASSERT_TRUE(waitForCallPackets(1));
    EXPECT_EQ(callPackets()[0], Value::array({10, -1, kFriend, 3}));
    const std::string ended = fnd::format(ZLS("Call with %@ ended"), name);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return lastLine(*chat) == ended; }, kWait));
    EXPECT_EQ(lastLine(*chat, 1), ZLS("callEnd"));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return banner->button()->titleForState(ui::ControlState::Normal) == ZLS("Close"); }, kWait));
    EXPECT_EQ(banner->infoLabel()->text(), ended);
    EXPECT_FALSE(banner->timing());
    EXPECT_FALSE(voip_->call().voipServer.has_value());
    EXPECT_EQ(voip_->call().imId, -2);
}

TEST_F(VoipCallDevServerTest, CallingADemoFriendConnectsThroughTheRelay) {
    auto card = client_->messenger()->getuserid(2002);
    client_->messenger()->showChatWithCard(std::static_pointer_cast<baseCard>(card));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return client_->messenger()->chatController()->currentChat() != nullptr; }, kWait));
    client_->messenger()->chatController()->startVoip();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return relay_->greetings().size() == 1; }, kWait));
    EXPECT_EQ(callPackets()[0], Value::array({10, -1, 2002, 0}));
    EXPECT_EQ(relay_->greetings()[0].channelId, 2002);
    EXPECT_EQ(voip_->call().username, card->getname());
}

} // namespace
} // namespace zelvan
