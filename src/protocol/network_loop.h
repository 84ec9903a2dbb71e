// NetworkLoop: what the network thread runs. Each turn sleeps until something wakes the thread (its
// sockets, a queued packet, a task posted to its run loop, or its next timer: the reconnect, the log-in
// deadline, the keep-alive), then polls the voice engine and writes the outgoing packet queue to the
// game-server connection, which it keeps open by reconnecting after failures (waiting for the user's
// tap once they keep failing). A session only ends the run of failures once it has lasted a while
// after its log-in. A connection that floods frames carrying no packet is closed as broken.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/value.h"
#include "protocol/packet_queue.h"
#include "protocol/tcp_connection.h"

namespace zelvan {

// The voice engine as the network thread polls it after every turn; all calls on the network thread
// except setWakeUp.
class VoiceEngineHooks {
public:
    virtual ~VoiceEngineHooks() = default;
    // The loop's wake-up, from setVoiceEngine. The loop sleeps until something happens, so the engine
    // calls it (any thread) whenever it has something for the next poll: a call to connect, voice to
    // send, a call to stop.
    virtual void setWakeUp(std::function<void()> wakeUp) { (void)wakeUp; }
    virtual bool startNewConnection() = 0;
    virtual void connect() = 0;
    virtual void startVOIP() = 0;
    virtual int conStatus() = 0;
    virtual void sendBufferedData() = 0;
    virtual bool shouldStop() = 0;
    virtual void stopVOIP() = 0;
};

// Told about the game-server connection going and coming back; called on the network thread.
class ConnectionListener {
public:
    virtual ~ConnectionListener() = default;
    virtual void connectionLost() {}
    virtual void connectionResumed() {}
    virtual void showReconnectingMessage() {}
};

class NetworkLoop {
public:
    static constexpr double kReconnectDelay = 0.5;
    // The failure in a row that arms the retry alert: it still reconnects, every later one waits for
    // userTappedRetry().
    static constexpr int kRetryAlertFailures = 3;
    // How long an open connection may carry a log-in request without its reply being handled before
    // it is closed and counted as a failure.
    static constexpr double kLoginReplyTimeout = 30;
    // How long a connection must stay up after its log-in reply was handled for its end to start the
    // count of failures afresh; one that ends sooner, or on a protocol error, is one more failure.
    static constexpr double kSettledSessionSeconds = 10;
    // Frames that carry no packet (empty, unreadable, or a packet no handler takes) one connection may
    // send within kPacketlessWindowSeconds; the next one is a protocol error that closes it. A real
    // server sends a few hundred packets a second at its busiest, next to none of them unknown, while
    // a flood of empty frames passes the limit within milliseconds.
    static constexpr int kMaxPacketlessFrames = 5000;
    static constexpr double kPacketlessWindowSeconds = 1;

    NetworkLoop(PacketQueue& queue, std::string host, uint16_t port);
    ~NetworkLoop();
    NetworkLoop(const NetworkLoop&) = delete;
    NetworkLoop& operator=(const NetworkLoop&) = delete;

    // Set these before the loop starts turning. The voice engine is given the loop's wake-up.
    void setVoiceEngine(std::shared_ptr<VoiceEngineHooks> engine);
    void setConnectionListener(std::shared_ptr<ConnectionListener> listener) { listener_ = std::move(listener); }
    // Called on the network thread after every turn, before the voice engine is polled (the web
    // cache starts its queued fetches here).
    void setSliceHandler(std::function<void()> handler) { onSlice_ = std::move(handler); }
    // Every decoded packet received, on the network thread. A packet no handler takes is reported back
    // through packetNotHandled().
    void setPacketHandler(std::function<void(const fnd::Value&)> handler) { onPacket_ = std::move(handler); }
    // Called after a close has dropped the queued packets, so a new log-in gets queued.
    void setLogInHandler(std::function<void()> handler) { logInAgain_ = std::move(handler); }
    // Called each time a failure waits for the user's tap (every failure after the
    // kRetryAlertFailures-th in a row), so the retry alert can be shown; the tap is userTappedRetry().
    void setRetryAlertHandler(std::function<void()> handler) { retryAlert_ = std::move(handler); }

    // The server the next connection goes to (any thread); an open connection stays where it is.
    void setServer(const std::string& host, uint16_t port);

    // Starts a thread named "network" running run(); a second call does nothing.
    void start();
    // Ends run() after its current turn and, unless called on the network thread, waits for it.
    void stop();
    // Turns until stop(). Runs on the calling thread, whose run loop carries the connection.
    void run();
    // One turn: opens a connection when one is due, sleeps until the run loop has run something (a
    // socket's event, a posted task, a due timer) or stop(), polls the voice engine, and while
    // connected sends every queued packet, or counts an empty turn and sets the keep-alive's timer.
    void turn();
    // Ends the current or next turn's sleep (any thread); wake-ups asked for before that turn runs
    // are one.
    void wake();

    // The user tapped the retry alert: reconnect if a failure is waiting for it. Any thread.
    void userTappedRetry();

    // A log-in request has been queued (any thread): its reply must be handled within
    // kLoginReplyTimeout of the connection being open, or the connection is closed as failed.
    void awaitLoginReply();
    // A received packet that no handler took (an unknown command, or one the dispatch refused): counted
    // like a frame that carries no packet. Network thread only, from the packet handler or a later task
    // of that thread; nothing happens while no connection is open.
    void packetNotHandled();

    // The reply to the log-in request was handled (any thread). The connection counts as good once it
    // has lasted kSettledSessionSeconds from here: a server that accepts connections and closes them,
    // never answers, or logs the client in and then closes or breaks the framing keeps counting
    // failures towards the retry alert.
    void loginReplyHandled();

    bool isConnected() const { return connected_.load(); }
    // Failures in a row: failed opens, unanswered log-ins, and connections that ended before they had
    // lasted kSettledSessionSeconds after their log-in or on a protocol error. The end of a settled
    // session is the first failure of a new run.
    int consecutiveFailures() const { return failures_.load(); }
    bool waitingForRetry() const { return waitingForRetry_.load(); }
    // Packets written to and decoded from the game server since the loop was made.
    uint64_t packetsSent() const { return packetsSent_.load(); }
    uint64_t packetsReceived() const { return packetsReceived_.load(); }
    // The same by command number (any thread): sent ones as written, received ones as decoded.
    std::map<int64_t, uint64_t> packetsSentByCommand() const;
    std::map<int64_t, uint64_t> packetsReceivedByCommand() const;

private:
    struct Events;
    friend struct Events;

    void open();
    void onOpen();
    void armLoginDeadline();
    void loginReplyOverdue();
    void onLoop(std::function<void()> work);
    void onLost(bool wasOpen, bool protocolError);
    void onPayload(const std::shared_ptr<const fnd::Bytes>& frame);
    // Counts a frame without a packet in the current window and closes the connection past the limit.
    void countPacketlessFrame();
    void pollVoiceEngine();
    void sendQueued();
    // Sets the timer that wakes the loop when the keep-alive falls due (connected only).
    void armKeepAlive();
    // Sleeps until a task is posted or stop(), for a loop that has nothing else to wait on.
    void sleepUntilPosted(fnd::RunLoop& loop);

    PacketQueue& queue_;
    mutable std::mutex serverMutex_;
    std::string host_;
    uint16_t port_;

    std::shared_ptr<VoiceEngineHooks> voice_;
    std::shared_ptr<ConnectionListener> listener_;
    std::function<void()> onSlice_;
    std::function<void(const fnd::Value&)> onPacket_;
    std::function<void()> logInAgain_;
    std::function<void()> retryAlert_;

    // Network thread only.
    std::shared_ptr<Events> events_;
    std::unique_ptr<TCPConnection> connection_;
    fnd::PerformHandle reconnect_;
    fnd::PerformHandle loginDeadline_;
    fnd::PerformHandle keepAlive_;
    double keepAliveAt_ = 0;           // the monotonic time keepAlive_ is set for
    bool sleepingUntilPosted_ = false; // in sleepUntilPosted(), which a wake-up ends
    bool lostBefore_ = false;          // a connection was lost and connectionResumed is owed on the next open
    std::optional<double> loggedInAt_; // monotonic time the open connection's log-in reply was handled
    double packetlessSince_ = 0;       // monotonic start of the window of frames without a packet
    int packetless_ = 0;               // such frames of the open connection within that window

    std::atomic<bool> connected_{false};
    std::atomic<int> failures_{0};
    std::atomic<bool> waitingForRetry_{false};
    std::atomic<bool> retryTapped_{false};
    std::atomic<bool> loginAwaited_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> wakePending_{false};
    std::atomic<uint64_t> packetsSent_{0};
    std::atomic<uint64_t> packetsReceived_{0};
    mutable std::mutex countsMutex_;
    std::map<int64_t, uint64_t> sentByCommand_;
    std::map<int64_t, uint64_t> receivedByCommand_;

    std::mutex threadMutex_;
    std::shared_ptr<fnd::RunLoop> loop_; // the loop run() turns, for stop() and userTappedRetry()
    std::unique_ptr<fnd::Thread> thread_;
};

} // namespace zelvan
