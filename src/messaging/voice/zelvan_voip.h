// ZelvanVoip: the voice call engine. It hears call signalling (command 10), shows the incoming-call
// question and the call banner, opens the raw relay connection, greets the relay, and streams mu-law
// voice both ways between the relay and two audio queues until the call is hung up.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/app_services.h"
#include "messaging/voice/voice_play_buffer.h"
#include "platform/foundation/bytes.h"
#include "platform/media/audio_queue.h"
#include "platform/ui/alert_view.h"
#include "protocol/command_table.h"
#include "protocol/tcp_connection.h"

namespace zelvan {

class zelvanAppDelegate;
class baseCard;
class IMController;
class VoipView;

// Whom a call is with and where its relay is.
struct VoipCall {
    // -1 a user of the service (userId), 0 or more an external IM account (buddy name in username),
    // -2 no call (after a hang-up).
    int32_t imId = 0;
    int32_t userId = 0;
    std::optional<std::string> username;
    std::optional<std::string> voipServer;
    uint16_t voipPort = 0;
    int32_t channelId = 0;
};

class ZelvanVoip : public VoipService,
                   public TCPConnectionDelegate,
                   public ui::AlertViewDelegate,
                   public std::enable_shared_from_this<ZelvanVoip> {
public:
    static constexpr int kCommand = cmd::kVoip;
    // Statuses of command 10.
    static constexpr int kIncoming = 0;
    static constexpr int kAccepted = 1;
    static constexpr int kRejected = 2;
    static constexpr int kEnded = 3;
    static constexpr int kConnected = 4;
    // States of the relay connection.
    static constexpr int kOpening = 0;
    static constexpr int kOpen = 1;
    static constexpr int kFailed = 2;
    static constexpr int kClosed = 3;
    static constexpr uint32_t kBufferBytes = 2048;
    static constexpr int kBufferCount = 5;
    // Buttons of the incoming-call question.
    static constexpr int kReject = 0;
    static constexpr int kAccept = 1;

    // The engine of `delegate` (held weakly): packets go out through its send, recorded voice
    // through its sendVoip, and messenger steps through its messenger controller.
    static std::shared_ptr<ZelvanVoip> makeForDelegate(zelvanAppDelegate& delegate);
    explicit ZelvanVoip(std::weak_ptr<zelvanAppDelegate> delegate);
    ~ZelvanVoip() override;
    ZelvanVoip(const ZelvanVoip&) = delete;
    ZelvanVoip& operator=(const ZelvanVoip&) = delete;

    // --- VoipService ---
    // The greeting is queued and recorded voice may follow it (any thread).
    bool readyToSendVoice() override { return readyToSendVoice_.load(std::memory_order_acquire); }
    // Appends one chunk to the send queue (any thread).
    void sendData(const fnd::Bytes& chunk) override;
    // Call signalling (network thread): checks the packet, then does the chat, messenger and
    // alert steps on the main thread; only the refusal's send may happen here.
    void handleVoip(const fnd::Value& packet) override;

    // --- VoiceEngineHooks (network thread, but setWakeUp) ---
    // Called with a flag set or a chunk appended, so the sleeping network loop polls again.
    void setWakeUp(std::function<void()> wakeUp) override;
    bool startNewConnection() override { return startNewConnection_.load(std::memory_order_acquire); }
    void connect() override;
    void startVOIP() override;
    int conStatus() override { return conStatus_.load(std::memory_order_acquire); }
    void sendBufferedData() override;
    bool shouldStop() override { return shouldStop_.load(std::memory_order_acquire); }
    void stopVOIP() override;

    // --- The relay connection's events (network thread) ---
    void connectionDidOpen(TCPConnection& conn) override;
    void connectionDidFailOpening(TCPConnection& conn) override;
    void connectionDidClose(TCPConnection& conn) override;
    void connectionDidReceiveRawData(TCPConnection& conn, const uint8_t* data, size_t length) override;

    // The incoming-call question's answer (main thread).
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    // The question went away without an answer (the system took it): a later call may ask again.
    void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int buttonIndex) override;

    // The call's fields, as one snapshot (any thread).
    VoipCall call() const;
    void setCall(VoipCall call);
    // Request flags: set after the fields they publish (release); polled by the network thread.
    void setStartNewConnection(bool value) {
        startNewConnection_.store(value, std::memory_order_release);
        wakeNetworkLoop();
    }
    void setShouldStop(bool value) {
        shouldStop_.store(value, std::memory_order_release);
        wakeNetworkLoop();
    }

    // Main thread: hides and forgets the banner when `reset`, makes one when there is none, and
    // shows it in the application window.
    void showVoipDialog(bool reset);
    // The banner, or null (main thread).
    std::shared_ptr<VoipView> voipView() const;
    // The incoming-call question while it is open (main thread).
    const std::shared_ptr<ui::AlertView>& callAlert() const { return callAlert_; }

    // Received voice not yet played.
    const VoicePlayBuffer& playBuffer() const { return playBuffer_; }
    // Whether the audio queues of a call exist (network thread).
    bool hasAudioQueues() const { return output_ != nullptr || input_ != nullptr; }

    // The output and input queue callbacks.
    void playbackCallback(media::AudioQueue& queue, media::AudioQueueBuffer* buffer);
    void recordingCallback(media::AudioQueue& queue, media::AudioQueueBuffer* buffer);

private:
    // What a command-10 packet said, read on the network thread.
    struct Signal {
        int32_t imId = 0;
        fnd::Value party;
        int status = 0;
        std::string host;
        uint16_t port = 0;
        int32_t channelId = 0;
    };

    std::shared_ptr<zelvanAppDelegate> app() const { return delegate_.lock(); }
    std::shared_ptr<IMController> messenger() const;
    // Runs `work` on the main thread with this engine kept alive: at once when already there.
    void onMainInline(std::function<void(ZelvanVoip&)> work);
    // Main-thread steps of the signalling.
    void handleSignal(const Signal& signal);
    void incomingCall(const Signal& signal);
    void callConnected(const Signal& signal);
    // A system line in the chat with the party, and its call flag cleared when asked (main thread).
    void chatLine(int32_t imId, const std::string& party, const std::optional<std::string>& line, bool clearCalling);
    // The card of a service user or of an account's buddy, without making one (main thread).
    std::shared_ptr<baseCard> knownCard(int32_t imId, const std::string& party) const;
    // Whether the user called the party and the call is still waiting to connect (main thread).
    bool userPlacedCall(int32_t imId, const std::string& party) const;
    // Runs `work` on the banner on the main thread, when there is one.
    void withBanner(std::function<void(VoipView&)> work);
    void disposeQueues();
    // Calls the network loop's wake-up, when there is one (any thread).
    void wakeNetworkLoop();
    // Partner text of a party value: the user id or the buddy name.
    static std::string partyText(const fnd::Value& party);

    std::weak_ptr<zelvanAppDelegate> delegate_;

    mutable std::mutex callMutex_; // guards call_
    VoipCall call_;
    std::atomic<bool> startNewConnection_{false};
    std::atomic<bool> shouldStop_{false};
    std::atomic<bool> readyToSendVoice_{false};
    std::atomic<int> conStatus_{kOpening};

    std::mutex sendMutex_; // guards sendBuf_
    std::vector<fnd::Bytes> sendBuf_;
    std::mutex wakeUpMutex_; // guards wakeUp_, and is held while it runs so that clearing it waits
    std::function<void()> wakeUp_;
    VoicePlayBuffer playBuffer_;

    // Network thread only.
    std::shared_ptr<TCPConnection> voipCon_;
    std::shared_ptr<media::AudioQueue> output_;
    std::shared_ptr<media::AudioQueue> input_;

    // Input queue thread only: the samples of the buffer being encoded.
    std::vector<int16_t> samples_;

    // Main thread only.
    std::shared_ptr<VoipView> voipView_;
    std::shared_ptr<ui::AlertView> callAlert_;
    fnd::Value callAlertImId_;
    fnd::Value callAlertParty_;
    // The account and party of the call the user accepted, until it connects or its caller hangs up.
    std::optional<std::pair<int32_t, std::string>> acceptedCall_;
};

} // namespace zelvan
