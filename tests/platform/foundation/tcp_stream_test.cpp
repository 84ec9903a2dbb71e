// TCP streams against loopback peers on their own threads: echo with frames split at random
// boundaries, a full send buffer against a peer that does not read, the peer's close, refused and
// unknown hosts, the connect deadline under the manual clock, close() muting queued events, and a
// stream whose loop's thread ends while it is open.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <atomic>
#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/tcp_stream.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/testing/loopback_peer.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/thread.h"

namespace fnd {
namespace {

using asio::ip::tcp;

using Peer = fnd::testing::LoopbackPeer;

// Reads until the peer closes; returns everything read.
std::string readAll(tcp::socket& socket) {
    std::string all;
    char buffer[4096];
    std::error_code ec;
    for (;;) {
        size_t n = socket.read_some(asio::buffer(buffer), ec);
        if (ec) {
            return all;
        }
        all.append(buffer, n);
    }
}

// Records events in order; optional hooks act on them.
struct Recorder : TcpStreamDelegate {
    std::vector<std::string> events;
    std::optional<Error> error;
    std::function<void(TcpStream&)> onBytes;
    std::function<void(TcpStream&)> onSpace;

    void streamOpenCompleted(TcpStream&) override { events.push_back("open"); }
    void streamHasBytesAvailable(TcpStream& s) override {
        events.push_back("bytes");
        if (onBytes) {
            onBytes(s);
        }
    }
    void streamHasSpaceAvailable(TcpStream& s) override {
        events.push_back("space");
        if (onSpace) {
            onSpace(s);
        }
    }
    void streamErrorOccurred(TcpStream&, const Error& e) override {
        events.push_back("error");
        error = e;
    }
    void streamEndEncountered(TcpStream&) override { events.push_back("end"); }
    bool saw(const std::string& what) const { return std::find(events.begin(), events.end(), what) != events.end(); }
    size_t count(const std::string& what) const { return std::count(events.begin(), events.end(), what); }
};

std::span<const uint8_t> bytesOf(const std::string& s, size_t from = 0, size_t n = std::string::npos) {
    std::string_view view = std::string_view(s).substr(from, n);
    return {reinterpret_cast<const uint8_t*>(view.data()), view.size()};
}

class TcpStreamTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = ManualClock::install(); }
    void TearDown() override {
        RunLoop::main().runUntilIdle();
        Clock::install(nullptr);
    }
    bool pump(const std::function<bool()>& pred) { return RunLoop::main().pumpUntil(pred, 10.0); }

    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<Recorder> rec_ = std::make_shared<Recorder>();
};

TEST_F(TcpStreamTest, EchoReassemblesFramesSplitAtRandomBoundaries) {
    Peer echo([](tcp::socket& socket) {
        char buffer[3000];
        std::error_code ec;
        for (;;) {
            size_t n = socket.read_some(asio::buffer(buffer), ec);
            if (ec || asio::write(socket, asio::buffer(buffer, n), ec) != n) {
                return;
            }
        }
    });
    std::mt19937 rng(20240611);
    std::string payload(300 * 1024, '\0');
    for (char& c : payload) {
        c = static_cast<char>(rng() & 0xff);
    }
    size_t sent = 0;
    std::string received;
    rec_->onSpace = [&](TcpStream& s) {
        // Pieces of random size, each written as far as the send buffer takes it.
        while (sent < payload.size()) {
            size_t piece = 1 + rng() % 9000;
            size_t taken = s.write(bytesOf(payload, sent, piece));
            sent += taken;
            if (taken < std::min(piece, payload.size() - sent + taken)) {
                EXPECT_FALSE(s.hasSpaceAvailable());
                return;
            }
        }
    };
    rec_->onBytes = [&](TcpStream& s) {
        uint8_t buffer[8192];
        size_t max = 1 + rng() % sizeof buffer;
        while (size_t n = s.read(buffer, max)) {
            EXPECT_LE(n, max);
            received.append(reinterpret_cast<char*>(buffer), n);
        }
        EXPECT_FALSE(s.hasBytesAvailable());
    };
    auto stream = TcpStream::connect("127.0.0.1", echo.port(), RunLoop::main(), rec_);
    EXPECT_EQ(stream->status(), TcpStream::Status::Opening);
    EXPECT_EQ(stream->write(bytesOf("early")), 0u); // nothing is accepted before the open
    ASSERT_TRUE(pump([&] { return received.size() >= payload.size() || rec_->saw("error"); }));
    EXPECT_EQ(received.size(), payload.size());
    EXPECT_TRUE(received == payload);
    ASSERT_GE(rec_->events.size(), 2u);
    EXPECT_EQ(rec_->events[0], "open");
    EXPECT_EQ(rec_->events[1], "space");
    EXPECT_EQ(stream->status(), TcpStream::Status::Open);
    stream->close();
    EXPECT_EQ(stream->status(), TcpStream::Status::Closed);
    echo.join(); // the echo peer sees our close as its end
}

TEST_F(TcpStreamTest, LocalhostResolvesAndOneReadPerEventStillDrainsEverything) {
    const std::string text(20000, 'x');
    Peer peer([&](tcp::socket& socket) {
        asio::write(socket, asio::buffer(text));
        readAll(socket);
    });
    std::string received;
    rec_->onBytes = [&](TcpStream& s) {
        uint8_t buffer[100];
        received.append(reinterpret_cast<char*>(buffer), s.read(buffer, sizeof buffer)); // one read only
    };
    auto stream = TcpStream::connect("localhost", peer.port(), RunLoop::main(), rec_);
    ASSERT_TRUE(pump([&] { return received.size() == text.size() || rec_->saw("error"); }));
    EXPECT_EQ(received, text);
    EXPECT_EQ(stream->host(), "localhost");
    stream->close();
}

TEST_F(TcpStreamTest, SendBufferFillsAgainstAPeerThatDoesNotReadThenDrains) {
    std::atomic<bool> startReading{false};
    std::string peerGot;
    Peer peer([&](tcp::socket& socket) {
        while (!startReading) {
            std::this_thread::yield();
        }
        peerGot = readAll(socket);
    });
    auto stream = TcpStream::connect("127.0.0.1", peer.port(), RunLoop::main(), rec_);
    ASSERT_TRUE(pump([&] { return rec_->saw("space"); }));

    // Patterned bytes so order and completeness can be checked at the peer.
    auto pattern = [](size_t i) { return static_cast<char>('a' + (i * 7 + i / 251) % 26); };
    std::string written;
    bool stuck = false;
    while (!stuck && written.size() < 64u * 1024 * 1024) {
        std::string piece(48 * 1024, '\0');
        for (size_t i = 0; i < piece.size(); ++i) {
            piece[i] = pattern(written.size() + i);
        }
        size_t before = rec_->count("space");
        size_t taken = stream->write(bytesOf(piece));
        written.append(piece, 0, taken);
        if (taken < piece.size()) {
            EXPECT_FALSE(stream->hasSpaceAvailable());
            EXPECT_EQ(stream->write(bytesOf("more")), 0u); // full: nothing more is taken
            // Stuck for good once no drain arrives for a while and the buffer is still full.
            stuck = !RunLoop::main().pumpUntil([&] { return rec_->count("space") > before; }, 0.3) &&
                    !stream->hasSpaceAvailable();
        }
    }
    ASSERT_TRUE(stuck) << "the send buffer never filled";
    EXPECT_GT(written.size(), TcpStream::kSendBufferCapacity);

    size_t spacesBefore = rec_->count("space");
    startReading = true;
    ASSERT_TRUE(pump([&] { return rec_->count("space") > spacesBefore; }));
    EXPECT_TRUE(stream->hasSpaceAvailable());
    stream->close();
    peer.join();
    ASSERT_EQ(peerGot.size(), written.size());
    EXPECT_TRUE(peerGot == written);
    EXPECT_FALSE(rec_->saw("error"));
}

TEST_F(TcpStreamTest, PeerCloseMidStreamGivesTheBytesThenTheEnd) {
    Peer peer([](tcp::socket& socket) {
        asio::write(socket, asio::buffer(std::string(1000, 'z')));
        socket.shutdown(tcp::socket::shutdown_both);
    });
    std::string received;
    rec_->onBytes = [&](TcpStream& s) {
        uint8_t buffer[64];
        received.append(reinterpret_cast<char*>(buffer), s.read(buffer, sizeof buffer));
    };
    auto stream = TcpStream::connect("127.0.0.1", peer.port(), RunLoop::main(), rec_);
    ASSERT_TRUE(pump([&] { return rec_->saw("end") || rec_->saw("error"); }));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(received, std::string(1000, 'z'));
    EXPECT_EQ(rec_->events.back(), "end");
    EXPECT_EQ(rec_->count("end"), 1u);
    EXPECT_FALSE(rec_->saw("error"));
    EXPECT_EQ(stream->status(), TcpStream::Status::AtEnd);
    EXPECT_EQ(stream->write(bytesOf("late")), 0u);
    EXPECT_FALSE(stream->hasSpaceAvailable());
}

TEST_F(TcpStreamTest, RefusedPortAndUnknownHostReportErrors) {
    const uint16_t closedPort = testing::refusedPort();
    auto refused = TcpStream::connect("127.0.0.1", closedPort, RunLoop::main(), rec_);
    ASSERT_TRUE(pump([&] { return rec_->saw("error"); }));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(rec_->events, std::vector<std::string>{"error"});
    ASSERT_TRUE(rec_->error.has_value());
    EXPECT_EQ(rec_->error->domain(), "fnd.stream");
    EXPECT_EQ(rec_->error->code(), ECONNREFUSED);
    EXPECT_NE(rec_->error->localizedDescription().find(std::to_string(closedPort)), std::string::npos);
    EXPECT_EQ(refused->status(), TcpStream::Status::Error);
    EXPECT_EQ(refused->error()->code(), ECONNREFUSED);
    // No server (of this or another test process) can take the refused port, even one that reuses
    // addresses as servers do: the next test that connects to it is refused too.
    asio::io_context io;
    tcp::acceptor taker(io);
    taker.open(tcp::v4());
    taker.set_option(tcp::acceptor::reuse_address(true));
    std::error_code taken;
    taker.bind({asio::ip::make_address("127.0.0.1"), closedPort}, taken);
    EXPECT_EQ(taken, asio::error::address_in_use);

    auto other = std::make_shared<Recorder>();
    auto unknown = TcpStream::connect("", 80, RunLoop::main(), other);
    ASSERT_TRUE(pump([&] { return other->saw("error"); }));
    EXPECT_EQ(other->error->code(), TcpStream::kHostNotFound);
    EXPECT_EQ(unknown->status(), TcpStream::Status::Error);
}

TEST_F(TcpStreamTest, ConnectDeadlineRunsOnTheManualClock) {
    Peer peer([](tcp::socket& socket) { readAll(socket); });
    // Time passes before the loop has serviced any of the connect: the deadline wins.
    auto late = TcpStream::connect("127.0.0.1", peer.port(), RunLoop::main(), rec_, 5.0);
    clock_->advance(5.0);
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(rec_->events, std::vector<std::string>{"error"});
    EXPECT_EQ(rec_->error->code(), ETIMEDOUT);
    EXPECT_EQ(rec_->error->localizedDescription(),
              "Could not connect to 127.0.0.1 port " + std::to_string(peer.port()) + ": timed out after 5 s");
    EXPECT_EQ(late->status(), TcpStream::Status::Error);

    // Once open, the deadline is gone: advancing past it changes nothing.
    Peer second([](tcp::socket& socket) { readAll(socket); });
    auto other = std::make_shared<Recorder>();
    auto stream = TcpStream::connect("127.0.0.1", second.port(), RunLoop::main(), other);
    ASSERT_TRUE(pump([&] { return other->saw("open"); }));
    RunLoop::main().advance(TcpStream::kDefaultConnectTimeout + 1);
    EXPECT_FALSE(other->saw("error"));
    EXPECT_EQ(stream->status(), TcpStream::Status::Open);
    stream->close();
}

TEST_F(TcpStreamTest, CloseMutesEventsAlreadyQueued) {
    std::atomic<bool> send{false};
    Peer peer([&](tcp::socket& socket) {
        while (!send) {
            std::this_thread::yield();
        }
        asio::write(socket, asio::buffer(std::string("hello")));
        readAll(socket);
    });
    auto stream = TcpStream::connect("127.0.0.1", peer.port(), RunLoop::main(), rec_);
    ASSERT_TRUE(pump([&] { return rec_->saw("open"); }));
    send = true;
    // pumpUntil stops right after the pass whose socket completion queued the bytes event.
    ASSERT_TRUE(pump([&] { return stream->hasBytesAvailable(); }));
    EXPECT_FALSE(rec_->saw("bytes"));
    stream->close();
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(rec_->saw("bytes"));
    uint8_t buffer[16];
    EXPECT_EQ(stream->read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(stream->write(bytesOf("x")), 0u);
    stream->close(); // twice is harmless
    peer.join();     // the peer saw our close

    // A queued error is muted the same way.
    auto muted = std::make_shared<Recorder>();
    auto closing = TcpStream::connect("127.0.0.1", 9, RunLoop::main(), muted, 1.0);
    clock_->advance(1.0);
    // One pass fires the deadline, which queues the error event.
    RunLoop::main().pumpUntil([&] { return closing->status() == TcpStream::Status::Error; }, 0.0);
    ASSERT_EQ(closing->status(), TcpStream::Status::Error);
    closing->close();
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(muted->events.empty());
}

TEST_F(TcpStreamTest, OpenStreamIsTornDownWhenItsLoopsThreadEnds) {
    Peer peer([](tcp::socket& socket) { readAll(socket); });
    std::weak_ptr<TcpStream> weak;
    std::atomic<bool> opened{false};
    Thread worker([&] {
        auto delegate = std::make_shared<Recorder>();
        auto stream = TcpStream::connect("127.0.0.1", peer.port(), RunLoop::current(), delegate);
        weak = stream;
        opened = RunLoop::current().pumpUntil([&] { return delegate->saw("open"); }, 10.0);
        // Returns with the stream open: the thread's end closes the loop and the socket.
    });
    worker.start();
    worker.join();
    EXPECT_TRUE(opened);
    peer.join(); // the peer reads to its end: our socket was closed
    EXPECT_TRUE(weak.expired());
}

} // namespace
} // namespace fnd
