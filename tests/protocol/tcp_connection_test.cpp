// TCPConnection against loopback peers on their own threads: frames written a byte at a time,
// bad frame lengths closing the connection with an ERROR, a peer closing mid-frame, raw chunks,
// a refused port, and invalidate reporting one close.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/testing/loopback_peer.h"
#include "protocol/frame_codec.h"
#include "protocol/tcp_connection.h"

namespace zelvan {
namespace {

using asio::ip::tcp;

using Peer = fnd::testing::LoopbackPeer;

void writeBytes(tcp::socket& socket, const fnd::Bytes& bytes) {
    std::error_code ec;
    asio::write(socket, asio::buffer(bytes), ec);
}

// Reads until the other side closes.
fnd::Bytes readAll(tcp::socket& socket) {
    fnd::Bytes all;
    uint8_t buffer[4096];
    std::error_code ec;
    for (;;) {
        size_t n = socket.read_some(asio::buffer(buffer), ec);
        if (ec) {
            return all;
        }
        all.insert(all.end(), buffer, buffer + n);
    }
}

fnd::Bytes text(std::string_view s) {
    return fnd::Bytes(s.begin(), s.end());
}

struct Recorder : TCPConnectionDelegate {
    std::vector<std::string> events;
    std::vector<fnd::Bytes> payloads;
    fnd::Bytes raw;
    size_t largestChunk = 0;
    std::function<void(TCPConnection&)> onOpen;
    std::function<void(TCPConnection&)> onPayload;

    void connectionDidOpen(TCPConnection& c) override {
        events.push_back("open");
        if (onOpen) {
            onOpen(c);
        }
    }
    void connectionDidFailOpening(TCPConnection&) override { events.push_back("fail"); }
    void connectionDidClose(TCPConnection&) override { events.push_back("close"); }
    void connectionDidReceiveData(TCPConnection& c, const fnd::Bytes& payload) override {
        payloads.push_back(payload);
        if (onPayload) {
            onPayload(c);
        }
    }
    void connectionDidReceiveRawData(TCPConnection&, const uint8_t* data, size_t length) override {
        raw.insert(raw.end(), data, data + length);
        largestChunk = std::max(largestChunk, length);
    }
    bool ended() const { return !events.empty() && (events.back() == "close" || events.back() == "fail"); }
};

class TCPConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = fnd::ManualClock::install(); }
    void TearDown() override {
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    bool pump(const std::function<bool()>& pred) { return fnd::RunLoop::main().pumpUntil(pred, 10.0); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Recorder> rec_ = std::make_shared<Recorder>();
};

TEST_F(TCPConnectionTest, FramesBothWaysWithOneByteWrites) {
    fnd::Bytes fromClient;
    const std::vector<fnd::Bytes> served = {text("hello"), fnd::Bytes{}, fnd::Bytes(20000, 0xab)};
    Peer peer([&](tcp::socket& socket) {
        fnd::Bytes header(4);
        std::error_code ec;
        asio::read(socket, asio::buffer(header), ec);
        size_t length = (size_t{header[2]} << 8) | header[3];
        fromClient = header;
        fromClient.resize(4 + length);
        asio::read(socket, asio::buffer(fromClient.data() + 4, length), ec);
        fnd::Bytes stream;
        for (const auto& p : served) {
            fnd::append(stream, encodeFrame(p));
        }
        for (size_t i = 0; i < 64; ++i) { // the first frames a byte at a time
            asio::write(socket, asio::buffer(&stream[i], 1), ec);
        }
        asio::write(socket, asio::buffer(stream.data() + 64, stream.size() - 64), ec);
        readAll(socket);
    });
    TCPConnection conn("127.0.0.1", peer.port(), TCPConnection::kFormatFramed);
    conn.setDelegate(rec_);
    EXPECT_TRUE(conn.isValid());
    EXPECT_TRUE(conn.sendData(text("ping"))); // queued before the open, flushed after it
    ASSERT_TRUE(pump([&] { return rec_->payloads.size() >= served.size() || rec_->ended(); }));
    EXPECT_EQ(rec_->payloads, served);
    EXPECT_EQ(rec_->events, std::vector<std::string>{"open"});
    EXPECT_EQ(conn.queuedBytes(), 0u);
    conn.invalidate();
    EXPECT_FALSE(conn.endedOnProtocolError());
    peer.join();
    EXPECT_EQ(fromClient, encodeFrame(text("ping")));
}

TEST_F(TCPConnectionTest, BadLengthsAndMidFrameCloseEndTheConnection) {
    struct Case {
        const char* name;
        fnd::Bytes tail;     // written after one good frame
        bool peerCloses;     // the peer closes after the tail instead of waiting
        const char* logLine; // expected in the log
    };
    const Case cases[] = {
        {"huge length", {0x7f, 0xff, 0xff, 0xff, 1, 2}, false, "ERROR"},
        {"above the cap", {0x01, 0x00, 0x00, 0x01}, false, "ERROR"},
        {"negative length", {0xff, 0xff, 0xff, 0xfe}, false, "ERROR"},
        {"peer closes mid-frame", {0, 0, 0, 9, 1, 2, 3}, true, "in the middle of a frame"},
    };
    for (const Case& c : cases) {
        fnd::testing::LogCapture log;
        auto rec = std::make_shared<Recorder>();
        Peer peer([&](tcp::socket& socket) {
            fnd::Bytes stream = encodeFrame(text("ok"));
            fnd::append(stream, c.tail);
            writeBytes(socket, stream);
            if (!c.peerCloses) {
                readAll(socket); // the client is the one to close
            }
        });
        TCPConnection conn("127.0.0.1", peer.port(), TCPConnection::kFormatFramed);
        conn.setDelegate(rec);
        ASSERT_TRUE(pump([&] { return rec->ended(); })) << c.name;
        EXPECT_EQ(rec->events, (std::vector<std::string>{"open", "close"})) << c.name;
        EXPECT_EQ(rec->payloads, std::vector<fnd::Bytes>{text("ok")}) << c.name;
        EXPECT_TRUE(log.contains(c.logLine)) << c.name;
        EXPECT_TRUE(conn.endedOnProtocolError()) << c.name;
        EXPECT_FALSE(conn.isValid()) << c.name;
        EXPECT_FALSE(conn.sendData(text("late"))) << c.name;
    }
}

TEST_F(TCPConnectionTest, RawModeChunksAndUnframedSends) {
    fnd::Bytes served(50000);
    for (size_t i = 0; i < served.size(); ++i) {
        served[i] = static_cast<uint8_t>(i * 7);
    }
    fnd::Bytes fromClient;
    Peer peer([&](tcp::socket& socket) {
        writeBytes(socket, served);
        socket.shutdown(tcp::socket::shutdown_send);
        fromClient = readAll(socket);
    });
    {
        TCPConnection conn("127.0.0.1", peer.port(), TCPConnection::kFormatRaw);
        conn.setDelegate(rec_);
        EXPECT_FALSE(conn.sendRawData(fnd::Bytes{}));
        rec_->onOpen = [](TCPConnection& c) { EXPECT_TRUE(c.sendRawData(text("abc"))); };
        ASSERT_TRUE(pump([&] { return rec_->ended(); }));
        EXPECT_EQ(rec_->raw, served);
        EXPECT_LE(rec_->largestChunk, TCPConnection::kRawChunkBytes);
        EXPECT_GT(rec_->largestChunk, 0u);
        EXPECT_EQ(rec_->events, (std::vector<std::string>{"open", "close"}));
    }
    // The peer's read ends when the client's socket closes; it got the bytes without a prefix.
    peer.join();
    EXPECT_EQ(fromClient, text("abc"));
}

TEST_F(TCPConnectionTest, RefusedPortFailsOpeningAndInvalidateClosesOnce) {
    uint16_t refused;
    {
        asio::io_context io;
        tcp::acceptor probe(io, {asio::ip::make_address("127.0.0.1"), 0});
        refused = probe.local_endpoint().port();
    }
    {
        TCPConnection conn("127.0.0.1", refused, TCPConnection::kFormatFramed);
        conn.setDelegate(rec_);
        ASSERT_TRUE(pump([&] { return rec_->ended(); }));
        EXPECT_EQ(rec_->events, std::vector<std::string>{"fail"});
        EXPECT_FALSE(conn.isValid());
    }

    auto rec = std::make_shared<Recorder>();
    Peer peer([](tcp::socket& socket) { readAll(socket); });
    TCPConnection conn("127.0.0.1", peer.port(), TCPConnection::kFormatFramed);
    conn.setDelegate(rec);
    ASSERT_TRUE(pump([&] { return !rec->events.empty(); }));
    ASSERT_TRUE(conn.isOpen());
    {
        fnd::testing::LogCapture log;
        EXPECT_FALSE(conn.sendData(fnd::Bytes(kMaxFrameBytes + 1)));
        EXPECT_TRUE(log.contains("above the frame limit"));
        EXPECT_TRUE(conn.isValid());
        EXPECT_EQ(conn.queuedBytes(), 0u);
    }
    conn.invalidate();
    conn.invalidate();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(rec->events, (std::vector<std::string>{"open", "close"}));
    EXPECT_FALSE(conn.sendRawData(text("x")));
}

TEST_F(TCPConnectionTest, DelegateMayReleaseTheConnectionWhileItDelivers) {
    Peer peer([](tcp::socket& socket) {
        fnd::Bytes stream = encodeFrame(text("first"));
        fnd::append(stream, encodeFrame(text("second")));
        writeBytes(socket, stream);
        readAll(socket);
    });
    auto conn = std::make_unique<TCPConnection>("127.0.0.1", peer.port(), TCPConnection::kFormatFramed);
    conn->setDelegate(rec_);
    rec_->onPayload = [&](TCPConnection&) { conn.reset(); };
    ASSERT_TRUE(pump([&] { return conn == nullptr; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(rec_->payloads, std::vector<fnd::Bytes>{text("first")});
    EXPECT_EQ(rec_->events, std::vector<std::string>{"open"});
}

} // namespace
} // namespace zelvan
