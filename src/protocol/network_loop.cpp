// The network thread's turn: the sleep until something happens, voice-engine polling, queue drain
// with keep-alive, the reconnect policy of the game-server connection, and the limit on frames that
// carry no packet.
#include "protocol/network_loop.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/foundation/clock.h"
#include "platform/foundation/date.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

namespace zelvan {

// Forwards connection events to the loop; held weakly by the connection.
struct NetworkLoop::Events final : TCPConnectionDelegate {
    explicit Events(NetworkLoop& owner) : owner(owner) {}
    void connectionDidOpen(TCPConnection&) override { owner.onOpen(); }
    void connectionDidFailOpening(TCPConnection&) override { owner.onLost(false, false); }
    void connectionDidClose(TCPConnection& conn) override { owner.onLost(true, conn.endedOnProtocolError()); }
    void connectionDidReceiveFrame(TCPConnection&, const std::shared_ptr<const fnd::Bytes>& payload) override {
        owner.onPayload(payload);
    }
    NetworkLoop& owner;
};

namespace {

// A turn's sleep has no deadline of its own: the loop's timers end it when they fall due.
const fnd::Date kNever(std::numeric_limits<double>::infinity());

} // namespace

NetworkLoop::NetworkLoop(PacketQueue& queue, std::string host, uint16_t port)
    : queue_(queue), host_(std::move(host)), port_(port), events_(std::make_shared<Events>(*this)) {
    queue_.setWakeUp([this] { wake(); });
}

NetworkLoop::~NetworkLoop() {
    // No wake-up reaches this object once these return.
    queue_.setWakeUp(nullptr);
    if (voice_) {
        voice_->setWakeUp(nullptr);
    }
    stop();
    reconnect_.cancel();
    loginDeadline_.cancel();
    keepAlive_.cancel();
    // The connection must go on its own thread; a loop that only ever turned on one thread is fine.
    events_.reset();
    connection_.reset();
}

void NetworkLoop::setVoiceEngine(std::shared_ptr<VoiceEngineHooks> engine) {
    if (voice_) {
        voice_->setWakeUp(nullptr);
    }
    voice_ = std::move(engine);
    if (voice_) {
        voice_->setWakeUp([this] { wake(); });
    }
}

void NetworkLoop::setServer(const std::string& host, uint16_t port) {
    std::lock_guard lock(serverMutex_);
    host_ = host;
    port_ = port;
}

void NetworkLoop::start() {
    std::lock_guard lock(threadMutex_);
    if (thread_) {
        return;
    }
    stopRequested_ = false;
    thread_ = std::make_unique<fnd::Thread>([this] { run(); });
    thread_->setName("network");
    thread_->start();
}

void NetworkLoop::stop() {
    std::unique_ptr<fnd::Thread> thread;
    {
        std::lock_guard lock(threadMutex_);
        stopRequested_ = true;
        if (loop_) {
            loop_->stop();
        }
        thread = std::move(thread_);
    }
    if (thread) {
        thread->join(); // does nothing when called on the network thread itself
    }
}

void NetworkLoop::run() {
    while (!stopRequested_.load()) {
        turn();
    }
    // Tear down on this thread, whose loop carries the connection's stream.
    reconnect_.cancel();
    keepAlive_.cancel();
    if (connection_) {
        auto conn = std::move(connection_);
        connected_ = false;
        conn->setDelegate({});
        conn->invalidate();
    }
    std::lock_guard lock(threadMutex_);
    loop_.reset();
}

void NetworkLoop::turn() {
    fnd::RunLoop& loop = fnd::RunLoop::current();
    {
        std::lock_guard lock(threadMutex_);
        if (!loop_) {
            loop_ = loop.shared_from_this();
        }
        if (stopRequested_.load()) {
            return; // stop() came before it knew this loop, so it could not interrupt the slice
        }
    }
    if (waitingForRetry_.load() && retryTapped_.exchange(false)) {
        waitingForRetry_ = false;
        open();
    } else if (!connection_ && !reconnect_.isPending() && !waitingForRetry_.load()) {
        open();
    }

    // Sleeps until the loop has run something: a socket's event, a posted task (a wake-up among
    // them) or a timer that fell due. No socket and no timer: only a post can end the sleep.
    if (!loop.runMode(fnd::RunLoopMode::Default, kNever) && !stopRequested_.load()) {
        sleepUntilPosted(loop);
    }
    if (onSlice_) {
        onSlice_();
    }
    pollVoiceEngine();
    sendQueued();
    armKeepAlive();
}

void NetworkLoop::sleepUntilPosted(fnd::RunLoop& loop) {
    // Posted tasks run here as they come; a wake-up, or stop(), ends it.
    sleepingUntilPosted_ = true;
    loop.runUntil(kNever);
    sleepingUntilPosted_ = false;
}

void NetworkLoop::wake() {
    if (wakePending_.exchange(true)) {
        return;
    }
    std::lock_guard lock(threadMutex_);
    if (!loop_) {
        wakePending_ = false; // the first turn does what was asked for
        return;
    }
    loop_->post([events = std::weak_ptr<Events>(events_)] {
        auto alive = events.lock();
        if (!alive) {
            return;
        }
        NetworkLoop& owner = alive->owner;
        owner.wakePending_ = false; // what is asked for from here on needs another wake-up
        if (owner.sleepingUntilPosted_) {
            fnd::RunLoop::current().stop();
        }
    });
}

void NetworkLoop::userTappedRetry() {
    retryTapped_ = waitingForRetry_.load();
    wake(); // the next turn reconnects
}

void NetworkLoop::open() {
    std::string host;
    uint16_t port;
    {
        std::lock_guard lock(serverMutex_);
        host = host_;
        port = port_;
    }
    connected_ = false;
    packetless_ = 0;
    connection_ = std::make_unique<TCPConnection>(host, port, TCPConnection::kFormatFramed);
    connection_->setDelegate(events_);
}

void NetworkLoop::onLoop(std::function<void()> work) {
    std::lock_guard lock(threadMutex_);
    if (loop_) {
        loop_->post(std::move(work));
    }
}

void NetworkLoop::awaitLoginReply() {
    loginAwaited_ = true;
    // Before the loop first turned there is no connection to time; onOpen arms the deadline then.
    onLoop([this] { armLoginDeadline(); });
}

void NetworkLoop::loginReplyHandled() {
    loginAwaited_ = false;
    onLoop([this] {
        loginDeadline_.cancel();
        if (connected_.load()) {
            loggedInAt_ = fnd::Clock::monotonic();
        }
    });
}

void NetworkLoop::armLoginDeadline() {
    if (!loginAwaited_.load() || !connection_ || !connected_.load() || loginDeadline_.isPending()) {
        return;
    }
    loginDeadline_ = fnd::RunLoop::current().performAfter(kLoginReplyTimeout, [this] { loginReplyOverdue(); });
}

void NetworkLoop::loginReplyOverdue() {
    if (!loginAwaited_.load() || !connection_ || !connected_.load()) {
        return;
    }
    ZTRACE_WARN("the game server did not answer the log-in within %d s; closing the connection",
                static_cast<int>(kLoginReplyTimeout));
    connection_->invalidate(); // reports the close, which counts the failure and logs in again
}

void NetworkLoop::onOpen() {
    connected_ = true;
    waitingForRetry_ = false;
    armLoginDeadline();
    if (lostBefore_) {
        lostBefore_ = false;
        if (listener_) {
            listener_->connectionResumed();
        }
    }
}

void NetworkLoop::onLost(bool wasOpen, bool protocolError) {
    // The connection is done with; it may be released from inside its own callback.
    connection_.reset();
    connected_ = false;
    loginDeadline_.cancel();
    const std::optional<double> loggedInAt = std::exchange(loggedInAt_, std::nullopt);
    if (loggedInAt) {
        const double lasted = fnd::Clock::monotonic() - *loggedInAt;
        if (!protocolError && lasted >= kSettledSessionSeconds) {
            failures_ = 0; // a settled session: its end starts a new run of failures
        } else {
            ZTRACE_WARN("the game server session ended %.1f s after its log-in%s; counted as a failed connection",
                        lasted, protocolError ? " on a protocol error" : "");
        }
    }
    int failures = ++failures_;
    lostBefore_ = true;
    if (listener_) {
        listener_->connectionLost();
        listener_->showReconnectingMessage();
    }
    if (wasOpen) {
        // What was queued was meant for the session that just ended.
        queue_.clear();
        if (logInAgain_) {
            logInAgain_();
        }
    }
    if (failures > kRetryAlertFailures) {
        // The alert was armed by an earlier failure: this one waits for the user's tap, and the
        // user needs the alert that asks for it.
        retryTapped_ = false;
        waitingForRetry_ = true;
        if (retryAlert_) {
            retryAlert_();
        }
        return;
    }
    reconnect_ = fnd::RunLoop::current().performAfter(kReconnectDelay, [this] {
        if (!connection_ && !waitingForRetry_.load()) {
            open();
        }
    });
}

void NetworkLoop::onPayload(const std::shared_ptr<const fnd::Bytes>& frame) {
    const fnd::Bytes& payload = *frame;
    if (payload.empty()) {
        // Nothing to decode: the codec would only add a second line about the same frame.
        ZTRACE_WARN("dropped an empty frame from the game server");
        countPacketlessFrame();
        return;
    }
    // Decoded from the shared frame: a large byte string in it (a file, a picture) is not copied.
    fnd::Result<fnd::Value> packet = loads(frame);
    if (!packet) {
        if (packet.error().code() == fnd::kParseTooLarge) {
            // A limit of ours, like the frame cap: the server sent more than the client will hold.
            ZTRACE_ERROR("refused a packet of %d bytes from the game server (codec: %@)",
                         static_cast<int>(payload.size()), packet.error().localizedDescription());
        } else {
            ZTRACE_WARN("dropped an unreadable packet of %d bytes from the game server (codec: %@)",
                        static_cast<int>(payload.size()), packet.error().localizedDescription());
        }
        countPacketlessFrame();
        return;
    }
    if (!packet->isArray()) {
        ZTRACE_WARN("dropped an unreadable packet of %d bytes from the game server (not an array)",
                    static_cast<int>(payload.size()));
        countPacketlessFrame();
        return;
    }
    ++packetsReceived_;
    {
        std::lock_guard lock(countsMutex_);
        ++receivedByCommand_[packet->asArray()->objectAtIndex(0).asInt().value_or(-1)];
    }
    if (onPacket_) {
        onPacket_(*packet);
    }
}

void NetworkLoop::packetNotHandled() {
    countPacketlessFrame();
}

void NetworkLoop::countPacketlessFrame() {
    if (!connection_ || !connection_->isValid()) {
        return;
    }
    // A window opens with the first such frame and lasts kPacketlessWindowSeconds; packets in between
    // leave it alone.
    const double now = fnd::Clock::monotonic();
    if (packetless_ == 0 || now - packetlessSince_ >= kPacketlessWindowSeconds) {
        packetlessSince_ = now;
        packetless_ = 0;
    }
    if (++packetless_ <= kMaxPacketlessFrames) {
        return;
    }
    ZTRACE_WARN("the game server sent more than %d frames without a packet within %.0f s; closing the connection",
                kMaxPacketlessFrames, kPacketlessWindowSeconds);
    connection_->closeOnProtocolError(); // reports the close, which counts the failure and logs in again
}

void NetworkLoop::pollVoiceEngine() {
    if (!voice_) {
        return;
    }
    if (voice_->startNewConnection()) {
        voice_->connect();
        voice_->startVOIP();
    } else if (voice_->conStatus() == 1) {
        voice_->sendBufferedData();
    }
    if (voice_->shouldStop()) {
        voice_->stopVOIP();
    }
}

void NetworkLoop::sendQueued() {
    if (!connection_ || !connection_->isOpen()) {
        return;
    }
    std::vector<QueuedPacket> packets = queue_.drainPackets();
    if (packets.empty()) {
        if (!queue_.noteEmptyTurn()) {
            return;
        }
        packets = queue_.drainPackets(); // the keep-alive goes out on the wake-up that queued it
    }
    for (const QueuedPacket& packet : packets) {
        if (!connection_ || !connection_->isValid()) {
            break; // the connection failed under us; its close drops the queue anyway
        }
        // A packet refused for its size is logged by the connection; the ones behind it still go.
        if (connection_->sendData(packet.payload)) {
            ++packetsSent_;
            std::lock_guard lock(countsMutex_);
            ++sentByCommand_[packet.command];
        }
    }
}

void NetworkLoop::armKeepAlive() {
    const std::optional<double> due =
        connection_ && connection_->isOpen() ? queue_.keepAliveDue() : std::optional<double>();
    if (!due) {
        keepAlive_.cancel();
        return;
    }
    if (keepAlive_.isPending() && keepAliveAt_ == *due) {
        return;
    }
    keepAlive_.cancel();
    keepAliveAt_ = *due;
    // Nothing to do in the timer itself: the turn it ends sends the keep-alive.
    keepAlive_ = fnd::RunLoop::current().performAfter(std::max(0.0, *due - fnd::Clock::monotonic()), [] {});
}

std::map<int64_t, uint64_t> NetworkLoop::packetsSentByCommand() const {
    std::lock_guard lock(countsMutex_);
    return sentByCommand_;
}

std::map<int64_t, uint64_t> NetworkLoop::packetsReceivedByCommand() const {
    std::lock_guard lock(countsMutex_);
    return receivedByCommand_;
}

} // namespace zelvan
