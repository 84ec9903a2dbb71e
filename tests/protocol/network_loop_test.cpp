// NetworkLoop against the loopback dev server: packets reaching the wire in order from the network
// thread, the keep-alive after an idle minute, reconnecting after a server close, and the retry alert
// after repeated refused connects or sessions that end soon after their log-in or on a protocol error;
// unreadable and empty payloads are dropped alone, until too many of them in a second close the connection.
#include <gtest/gtest.h>

#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/testing/loopback_peer.h"
#include "platform/foundation/testing/refused_port.h"
#include "protocol/frame_codec.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "protocol/tagged_codec.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using fnd::Value;

struct Listener : ConnectionListener {
    std::mutex mutex;
    std::vector<std::string> events;
    void connectionLost() override { add("lost"); }
    void connectionResumed() override { add("resumed"); }
    void showReconnectingMessage() override { add("reconnecting"); }
    void add(const std::string& e) {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    std::vector<std::string> snapshot() {
        std::lock_guard lock(mutex);
        return events;
    }
};

struct Voice : VoiceEngineHooks {
    bool startNew = false;
    int status = 0;
    bool stop = false;
    std::vector<std::string> calls;
    bool startNewConnection() override { return startNew; }
    void connect() override { calls.push_back("connect"); }
    void startVOIP() override { calls.push_back("startVOIP"); }
    int conStatus() override { return status; }
    void sendBufferedData() override { calls.push_back("sendBufferedData"); }
    bool shouldStop() override { return stop; }
    void stopVOIP() override { calls.push_back("stopVOIP"); }
};

std::vector<Value> packetsOf(const devserver::DevServer& server) {
    std::vector<Value> out;
    for (const auto& r : server.received()) {
        out.push_back(r.packet);
    }
    return out;
}

using fnd::testing::refusedPort;

class NetworkLoopTest : public ::testing::Test {
protected:
    void TearDown() override {
        loop_.reset();
        server_.stop();
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    void startServer() { ASSERT_TRUE(server_.start()); }
    void makeLoop(uint16_t port) {
        loop_ = std::make_unique<NetworkLoop>(queue_, "127.0.0.1", port);
        loop_->setConnectionListener(listener_);
        loop_->setLogInHandler([this] { ++logIns_; });
        loop_->setRetryAlertHandler([this] { ++alerts_; });
        loop_->setPacketHandler([this](const Value& p) { received_.push_back(p); });
    }
    // One turn on the main thread, woken by a task that moves manual time on by `seconds`.
    void manualTurn(double seconds = 0.1) {
        fnd::RunLoop::main().post([seconds] { fnd::ManualClock::installed()->advance(seconds); });
        loop_->turn();
    }
    bool pump(const std::function<bool()>& pred) { return fnd::RunLoop::main().pumpUntil(pred, 10.0); }
    // The log-in reply is handled now, before the clock moves on.
    void logIn() {
        loop_->loginReplyHandled();
        fnd::RunLoop::main().runUntilIdle();
    }

    PacketQueue queue_;
    devserver::DevServer server_{devserver::DevServerOptions{}};
    std::shared_ptr<Listener> listener_ = std::make_shared<Listener>();
    std::unique_ptr<NetworkLoop> loop_;
    int logIns_ = 0;
    int alerts_ = 0;
    std::vector<Value> received_;
};

TEST_F(NetworkLoopTest, NetworkThreadSendsQueuedPacketsInOrder) {
    startServer();
    makeLoop(server_.port());
    queue_.send(Value::array({5, "before"}));
    queue_.send(Value::array({6, "before"}));
    loop_->start();
    ASSERT_TRUE(server_.waitForReceived(2, std::chrono::seconds(10)));
    for (int i = 0; i < 20; ++i) {
        queue_.send(Value::array({7, i}));
    }
    ASSERT_TRUE(server_.waitForReceived(22, std::chrono::seconds(10)));
    loop_->stop();
    std::vector<Value> expected = {Value::array({5, "before"}), Value::array({6, "before"})};
    for (int i = 0; i < 20; ++i) {
        expected.push_back(Value::array({7, i}));
    }
    EXPECT_EQ(packetsOf(server_), expected);
    EXPECT_TRUE(server_.received().back().connection == 1);
    EXPECT_TRUE(listener_->snapshot().empty());
    // What was written, counted by command.
    EXPECT_EQ(loop_->packetsSentByCommand(), (std::map<int64_t, uint64_t>{{5, 1}, {6, 1}, {7, 20}}));
    EXPECT_EQ(loop_->packetsSent(), 22u);
}

TEST_F(NetworkLoopTest, KeepAliveAfterIdleTurnsAndRepliesDecoded) {
    fnd::ManualClock::install();
    startServer();
    makeLoop(server_.port());
    auto voice = std::make_shared<Voice>();
    loop_->setVoiceEngine(voice);
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));

    // A malformed log-in draws a failure reply, which comes back decoded.
    queue_.send(Value::array({0}));
    manualTurn();
    ASSERT_TRUE(pump([&] { return !received_.empty(); }));
    ASSERT_TRUE(received_[0].isArray());
    EXPECT_EQ(received_[0].asArray()->objectAtIndex(0).asInt(), 0);

    // Turns cut short (as traffic does) do not call for keep-alives; a minute without sending does.
    const double idleFrom = fnd::Clock::monotonic();
    for (int turn = 0; turn < 2000; ++turn) {
        manualTurn(0.001);
        ASSERT_EQ(queue_.queuedCount(), 0u) << "turn " << turn;
    }
    manualTurn(idleFrom + PacketQueue::kKeepAliveSeconds - fnd::Clock::monotonic());
    ASSERT_TRUE(server_.waitForReceived(2, std::chrono::seconds(10))); // written by the turn that queued it
    EXPECT_EQ(queue_.queuedCount(), 0u);
    EXPECT_EQ(server_.received()[1].packet, Value::array({PacketQueue::kKeepAliveCommand}));
    EXPECT_EQ(loop_->packetsSentByCommand(),
              (std::map<int64_t, uint64_t>{{0, 1}, {PacketQueue::kKeepAliveCommand, 1}}));
    EXPECT_EQ(loop_->packetsReceivedByCommand(), (std::map<int64_t, uint64_t>{{0, 1}}));

    // Voice polling after each turn.
    voice->startNew = true;
    voice->status = 1;
    manualTurn();
    voice->startNew = false;
    manualTurn();
    voice->stop = true;
    voice->status = 0;
    manualTurn();
    EXPECT_EQ(voice->calls, (std::vector<std::string>{"connect", "startVOIP", "sendBufferedData", "stopVOIP"}));
}

// The thread sleeps between events: over an idle minute of the run loop's clock it only wakes when the
// keep-alive falls due (the turns of writing it, the stream's own events among them), and a queued
// packet wakes it at once.
TEST_F(NetworkLoopTest, AnIdleConnectionWakesTheThreadOnlyForItsKeepAlive) {
    auto clock = fnd::ManualClock::install();
    startServer();
    makeLoop(server_.port());
    std::mutex mutex;
    std::vector<double> turnTimes;
    loop_->setSliceHandler([&] {
        std::lock_guard lock(mutex);
        turnTimes.push_back(fnd::Clock::monotonic());
    });
    loop_->start();
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    ASSERT_TRUE(fnd::testing::settle());
    // The turn that found the connection open with nothing to send started the idle time.
    const double idleFrom = fnd::Clock::monotonic();
    const double keepAliveAt = idleFrom + PacketQueue::kKeepAliveSeconds;
    {
        std::lock_guard lock(mutex);
        turnTimes.clear();
    }
    for (int tenth = 1; tenth <= 600; ++tenth) {
        clock->advanceTo(tenth == 600 ? keepAliveAt : idleFrom + tenth * 0.1);
        ASSERT_TRUE(fnd::testing::settle());
    }
    ASSERT_TRUE(server_.waitForReceived(1, std::chrono::seconds(10)));
    EXPECT_EQ(server_.received()[0].packet, Value::array({PacketQueue::kKeepAliveCommand}));
    {
        std::lock_guard lock(mutex);
        ASSERT_FALSE(turnTimes.empty());
        EXPECT_EQ(turnTimes, std::vector<double>(turnTimes.size(), keepAliveAt));
    }

    queue_.send(Value::array({5, "now"}));
    ASSERT_TRUE(server_.waitForReceived(2, std::chrono::seconds(10)));
    loop_->stop();
}

TEST_F(NetworkLoopTest, ReconnectsHalfASecondAfterServerClose) {
    fnd::ManualClock::install();
    startServer();
    makeLoop(server_.port());
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected() && server_.openConnections() == 1; }));

    queue_.send(Value::array({8, "stale"})); // still queued when the session ends: dropped
    server_.closeAll();
    ASSERT_TRUE(pump([&] { return !loop_->isConnected(); }));
    EXPECT_EQ(queue_.queuedCount(), 0u);
    EXPECT_EQ(listener_->snapshot(), (std::vector<std::string>{"lost", "reconnecting"}));
    EXPECT_EQ(logIns_, 1);

    fnd::RunLoop::main().advance(0.4);
    EXPECT_FALSE(fnd::RunLoop::main().pumpUntil([&] { return server_.openConnections() > 0; }, 0.3));
    fnd::RunLoop::main().advance(0.1);
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    EXPECT_EQ(listener_->snapshot(), (std::vector<std::string>{"lost", "reconnecting", "resumed"}));
    // Opening is not enough to count as good.
    EXPECT_EQ(loop_->consecutiveFailures(), 1);

    queue_.send(Value::array({9, "fresh"}));
    manualTurn();
    ASSERT_TRUE(server_.waitForReceived(1, std::chrono::seconds(10)));
    EXPECT_EQ(packetsOf(server_), std::vector<Value>{Value::array({9, "fresh"})});
    EXPECT_EQ(server_.received()[0].connection, 2);
}

TEST_F(NetworkLoopTest, ThirdRefusalArmsRetryAlertAndLaterOnesWaitForTap) {
    fnd::ManualClock::install();
    makeLoop(refusedPort());
    auto failAfterDelay = [&](int expected) {
        ASSERT_TRUE(pump([&] { return loop_->consecutiveFailures() == expected; }));
    };
    manualTurn();
    failAfterDelay(1);
    fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    failAfterDelay(2);
    EXPECT_EQ(alerts_, 0);
    fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    failAfterDelay(3);
    EXPECT_EQ(alerts_, 0);
    EXPECT_FALSE(loop_->waitingForRetry()); // the third still reconnects
    fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    failAfterDelay(4);
    EXPECT_TRUE(loop_->waitingForRetry());
    EXPECT_EQ(alerts_, 1); // the alert asks for the tap this failure waits for
    EXPECT_EQ(logIns_, 0); // failed opens never had a session

    // Waiting: neither time nor turns reconnect.
    fnd::RunLoop::main().advance(5.0);
    for (int i = 0; i < 10; ++i) {
        manualTurn();
    }
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(loop_->consecutiveFailures(), 4);

    // The tap reconnects, this time to a server that answers.
    startServer();
    loop_->setServer("127.0.0.1", server_.port());
    loop_->userTappedRetry();
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    EXPECT_FALSE(loop_->waitingForRetry());
    EXPECT_EQ(alerts_, 1);
    std::vector<std::string> events = listener_->snapshot();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "resumed");
}

TEST_F(NetworkLoopTest, ServersThatAcceptButNeverAnswerTheLogInReachTheRetryAlert) {
    fnd::ManualClock::install();
    startServer();
    makeLoop(server_.port());
    loop_->awaitLoginReply();
    manualTurn();
    // Accept, then close: every connection counts as a failure, and the fourth waits for the tap.
    for (int failure = 1; failure <= NetworkLoop::kRetryAlertFailures + 1; ++failure) {
        ASSERT_TRUE(pump([&] { return loop_->isConnected() && server_.openConnections() == 1; }));
        server_.closeAll();
        ASSERT_TRUE(pump([&] { return loop_->consecutiveFailures() == failure; }));
        fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    }
    EXPECT_TRUE(loop_->waitingForRetry());
    EXPECT_EQ(alerts_, 1);

    // Accept, then stay silent: the log-in reply's deadline closes the connection as a failure.
    loop_->userTappedRetry();
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    const int logIns = logIns_;
    fnd::RunLoop::main().advance(NetworkLoop::kLoginReplyTimeout - 1);
    EXPECT_FALSE(fnd::RunLoop::main().pumpUntil([&] { return !loop_->isConnected(); }, 0.3));
    fnd::RunLoop::main().advance(1);
    ASSERT_TRUE(pump([&] { return !loop_->isConnected(); }));
    EXPECT_EQ(loop_->consecutiveFailures(), NetworkLoop::kRetryAlertFailures + 2);
    EXPECT_EQ(logIns_, logIns + 1); // the closed connection asks for a new log-in
}

TEST_F(NetworkLoopTest, SessionsEndingSoonAfterTheirLogInOrOnAProtocolErrorKeepCountingFailures) {
    fnd::ManualClock::install();
    startServer();
    makeLoop(server_.port());
    // Each session is logged in, then closed by the server before it has settled.
    manualTurn();
    for (int failure = 1; failure <= NetworkLoop::kRetryAlertFailures + 1; ++failure) {
        ASSERT_TRUE(pump([&] { return loop_->isConnected() && server_.openConnections() == 1; }));
        logIn();
        fnd::RunLoop::main().advance(NetworkLoop::kSettledSessionSeconds - 1);
        server_.closeAll();
        ASSERT_TRUE(pump([&] { return loop_->consecutiveFailures() == failure; }));
        fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    }
    EXPECT_TRUE(loop_->waitingForRetry());
    EXPECT_EQ(alerts_, 1);

    // A session that settles ends the run: its close is the first failure of a new one.
    loop_->userTappedRetry();
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected() && server_.openConnections() == 1; }));
    logIn();
    fnd::RunLoop::main().advance(NetworkLoop::kSettledSessionSeconds);
    server_.closeAll();
    ASSERT_TRUE(pump([&] { return !loop_->isConnected(); }));
    EXPECT_EQ(loop_->consecutiveFailures(), 1);

    // A settled session that ends on a bad frame header (the answer to its first packet) counts on.
    fnd::testing::LoopbackPeer peer([&](asio::ip::tcp::socket& socket) {
        std::error_code ec;
        uint8_t first = 0;
        asio::read(socket, asio::buffer(&first, 1), ec);
        asio::write(socket, asio::buffer(fnd::Bytes{0xff, 0xff, 0xff, 0xff}), ec);
        while (!ec) {
            asio::read(socket, asio::buffer(&first, 1), ec); // until the client goes
        }
    });
    loop_->setServer("127.0.0.1", peer.port());
    fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    logIn();
    fnd::RunLoop::main().advance(NetworkLoop::kSettledSessionSeconds + 1);
    queue_.send(Value::array({9, "settled"}));
    manualTurn();
    ASSERT_TRUE(pump([&] { return !loop_->isConnected(); }));
    EXPECT_EQ(loop_->consecutiveFailures(), 2);
    loop_.reset();
    peer.join();
}

TEST_F(NetworkLoopTest, UnreadablePayloadsAndOversizePacketsAreDroppedAlone) {
    fnd::ManualClock::install();
    fnd::testing::LogCapture log;
    fnd::Bytes fromClient;
    std::atomic<bool> read{false};
    fnd::testing::LoopbackPeer peer([&](asio::ip::tcp::socket& socket) {
        std::error_code ec;
        fnd::Bytes stream = encodeFrame(fnd::Bytes{0xff, 0xfe, 0xfd});
        fnd::append(stream, encodeFrame(dumps(Value("not a packet"))));
        fnd::append(stream, encodeFrame(dumps(Value::array({42, "ok"}))));
        asio::write(socket, asio::buffer(stream), ec);
        fnd::Bytes header(4);
        asio::read(socket, asio::buffer(header), ec);
        size_t length = (size_t{header[0]} << 24) | (size_t{header[1]} << 16) | (size_t{header[2]} << 8) | header[3];
        fromClient.resize(length);
        asio::read(socket, asio::buffer(fromClient), ec);
        read = true;
    });
    makeLoop(peer.port());
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->isConnected() && !received_.empty(); }));
    EXPECT_EQ(received_, std::vector<Value>{Value::array({42, "ok"})});
    EXPECT_TRUE(log.contains("unreadable packet"));

    queue_.send(Value::array({50, fnd::Bytes(kMaxFrameBytes + 1, 0)}));
    queue_.send(Value::array({51, "after"}));
    manualTurn();
    ASSERT_TRUE(pump([&] { return read.load(); }));
    EXPECT_EQ(loads(fromClient), Value::array({51, "after"}));
    EXPECT_TRUE(loop_->isConnected());
    loop_.reset();
    peer.join();
}

TEST_F(NetworkLoopTest, AnEmptyFrameIsDroppedWithOneLine) {
    fnd::ManualClock::install();
    fnd::testing::LogCapture log;
    fnd::testing::LoopbackPeer peer([&](asio::ip::tcp::socket& socket) {
        std::error_code ec;
        fnd::Bytes stream = encodeFrame(fnd::Bytes{});
        fnd::append(stream, encodeFrame(dumps(Value::array({42, "ok"}))));
        asio::write(socket, asio::buffer(stream), ec);
        uint8_t byte = 0;
        asio::read(socket, asio::buffer(&byte, 1), ec); // until the client goes
    });
    makeLoop(peer.port());
    manualTurn();
    ASSERT_TRUE(pump([&] { return !received_.empty(); }));
    EXPECT_EQ(received_, std::vector<Value>{Value::array({42, "ok"})});
    std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_NE(lines[0].find("empty frame"), std::string::npos) << lines[0];
    loop_.reset();
    peer.join();
}

TEST_F(NetworkLoopTest, FramesWithoutAPacketPastTheLimitCloseTheConnectionAsBroken) {
    fnd::ManualClock::install();
    fnd::testing::LogCapture log;
    constexpr int kLimit = NetworkLoop::kMaxPacketlessFrames;
    const Value unknown = Value::array({43});
    fnd::testing::LoopbackPeer peer([&](asio::ip::tcp::socket& socket) {
        std::error_code ec;
        auto awaitClientFrame = [&] {
            fnd::Bytes header(4);
            asio::read(socket, asio::buffer(header), ec);
            fnd::Bytes payload(header[3]); // the client's packets here are short
            asio::read(socket, asio::buffer(payload), ec);
        };
        // Within one second: the limit's worth of frames without a packet (empty, unreadable, not an array,
        // a packet the handler does not take) among twice as many packets.
        awaitClientFrame();
        const fnd::Bytes packetless[] = {encodeFrame(fnd::Bytes{}), encodeFrame(fnd::Bytes{0xff}),
                                         encodeFrame(dumps(Value("not a packet"))), encodeFrame(dumps(unknown))};
        fnd::Bytes stream;
        for (int i = 0; i < kLimit; ++i) {
            fnd::append(stream, packetless[i % 4]);
            fnd::append(stream, encodeFrame(dumps(Value::array({42, i}))));
            fnd::append(stream, encodeFrame(dumps(Value::array({42, i}))));
        }
        asio::write(socket, asio::buffer(stream), ec);
        // One more in the same second.
        awaitClientFrame();
        asio::write(socket, asio::buffer(packetless[0]), ec);
        uint8_t byte = 0;
        while (!ec) {
            asio::read(socket, asio::buffer(&byte, 1), ec); // until the client goes
        }
    });
    // One failed connection first, so the count shows whether the flood's close kept the run going.
    makeLoop(refusedPort());
    loop_->setPacketHandler([this, &unknown](const Value& p) {
        if (p == unknown) {
            loop_->packetNotHandled();
        } else {
            received_.push_back(p);
        }
    });
    manualTurn();
    ASSERT_TRUE(pump([&] { return loop_->consecutiveFailures() == 1; }));
    loop_->setServer("127.0.0.1", peer.port());
    fnd::RunLoop::main().advance(NetworkLoop::kReconnectDelay);
    ASSERT_TRUE(pump([&] { return loop_->isConnected(); }));
    logIn();
    fnd::RunLoop::main().advance(NetworkLoop::kSettledSessionSeconds); // settled: a plain close would end the run

    queue_.send(Value::array({9, "go"}));
    manualTurn();
    ASSERT_TRUE(pump([&] { return received_.size() == 2u * kLimit; }));
    EXPECT_TRUE(loop_->isConnected());
    EXPECT_EQ(log.count("frames without a packet"), 0u);

    queue_.send(Value::array({9, "again"}));
    manualTurn();
    ASSERT_TRUE(pump([&] { return !loop_->isConnected(); }));
    EXPECT_EQ(loop_->consecutiveFailures(), 2);
    EXPECT_EQ(logIns_, 1); // the close asks for a new log-in
    EXPECT_EQ(log.count("frames without a packet"), 1u);
    loop_.reset();
    peer.join();
}

} // namespace
} // namespace zelvan
