// The hostile peer's listener and the script each mode plays on a connection. Everything runs as
// coroutines on one io context, so the modes read top to bottom; the run ends when its time is up.
#include "tools/hostile_peer/hostile_peer.h"

#include <chrono>
#include <csignal>
#include <cstdio>

#include "platform/foundation/log.h"
#include "protocol/frame_codec.h"
#include "tools/hostile_peer/hostile_payloads.h"

namespace zelvan::hostile {

namespace {

using asio::ip::tcp;

constexpr std::string_view kModeNames[] = {
    "random-frames", "accept-close", "refuse-flood",   "huge-arrays",      "stall-login",          "big-packet",
    "endless-game",  "file-flood",   "alert-flood",    "login-then-close", "login-then-bad-frame", "empty-frames",
    "unasked-call",  "huge-chat",    "presence-flood", "unknown-packets"};

// The refusal code the flood opens with, and how many small frames go out per write.
constexpr int kRefusalCode = 5;
constexpr int kFloodBatch = 100;
// The size of the data in each big-packet packet.
constexpr size_t kBigPacketBytes = size_t{2} * 1024 * 1024;
// Frames per write of the empty-frames and unknown-packets floods, and the party and channel of the
// unasked call.
constexpr int kBadFrameBatch = 1000;
constexpr int32_t kUnaskedCaller = 2001;
constexpr int32_t kUnaskedChannel = 7;
// How long the log-in-then modes let the client take in its log-in before they misbehave: long
// enough for its reply to be handled while the connection is still up.
constexpr auto kLoginSettle = std::chrono::milliseconds(300);
// The wire size of each huge-chat line's text (UTF-16: half as many characters), and the friend ids in
// each presence notice of the flood.
constexpr size_t kHugeChatBytes = size_t{10} * 1024 * 1024;
constexpr int kPresenceBatch = 100;

auto withError(asio::error_code& ec) {
    return asio::redirect_error(asio::use_awaitable, ec);
}

} // namespace

std::optional<PeerMode> parsePeerMode(std::string_view name) {
    for (size_t i = 0; i < std::size(kModeNames); ++i) {
        if (kModeNames[i] == name) {
            return static_cast<PeerMode>(i);
        }
    }
    return std::nullopt;
}

std::vector<std::string> peerModeNames() {
    return {std::begin(kModeNames), std::end(kModeNames)};
}

std::string_view peerModeName(PeerMode mode) {
    return kModeNames[static_cast<size_t>(mode)];
}

HostilePeer::HostilePeer(PeerOptions options)
    : options_(options), acceptor_(io_), webAcceptor_(io_), relay_(io_), rng_(options.seed) {}

uint16_t listenOnLoopback(tcp::acceptor& acceptor, uint16_t port, asio::error_code& ec) {
    tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    acceptor.open(endpoint.protocol(), ec);
    if (!ec) {
        acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    }
    if (!ec) {
        acceptor.bind(endpoint, ec);
    }
    if (!ec) {
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    return ec ? 0 : acceptor.local_endpoint(ec).port();
}

bool HostilePeer::listen() {
    asio::error_code ec;
    port_ = listenOnLoopback(acceptor_, options_.port, ec);
    if (!ec && options_.mode == PeerMode::UnaskedCall) {
        relayPort_ = listenOnLoopback(relay_, 0, ec);
    }
    if (ec) {
        std::fprintf(stderr, "zelvan-hostile-peer: cannot listen on 127.0.0.1:%d (%s)\n",
                     static_cast<int>(options_.port), ec.message().c_str());
        return false;
    }
    return true;
}

PeerStats HostilePeer::run() {
    asio::signal_set signals(io_, SIGINT, SIGTERM);
    signals.async_wait([this](const asio::error_code& ec, int) {
        if (!ec) {
            io_.stop();
        }
    });
    asio::co_spawn(io_, acceptLoop(), asio::detached);
    if (webAcceptor_.is_open()) {
        asio::co_spawn(io_, webLoop(), asio::detached);
    }
    if (relay_.is_open()) {
        asio::co_spawn(io_, relayAcceptLoop(), asio::detached);
    }
    const auto start = std::chrono::steady_clock::now();
    io_.run_for(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(options_.seconds)));
    stats_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return stats_;
}

int HostilePeer::frameCount() const {
    if (options_.count > 0) {
        return options_.count;
    }
    switch (options_.mode) {
    case PeerMode::RandomFrames:
        return 500;
    case PeerMode::RefuseFlood:
        return 3000;
    case PeerMode::HugeArrays:
        return 8; // two of each array kind
    case PeerMode::AlertFlood:
        return 1000; // invitations, with the other alerts in proportion
    case PeerMode::HugeChat:
        return 4; // two chat lines, a system line and a status line
    case PeerMode::PresenceFlood:
        return 20000; // friends
    default:
        return 1;
    }
}

asio::awaitable<void> HostilePeer::acceptLoop() {
    for (;;) {
        asio::error_code ec;
        tcp::socket socket = co_await acceptor_.async_accept(withError(ec));
        if (ec) {
            ZLOG(Warn, "hostile-peer: accept failed (%s); no more connections", ec.message().c_str());
            co_return;
        }
        const int id = ++stats_.connections;
        ZLOG(Info, "hostile-peer: connection #%d accepted", id);
        asio::co_spawn(io_, serve(std::move(socket), id), asio::detached);
    }
}

asio::awaitable<void> HostilePeer::serve(tcp::socket socket, int id) {
    const int count = frameCount();
    switch (options_.mode) {
    case PeerMode::AcceptClose: {
        asio::error_code ignored;
        socket.close(ignored);
        co_return;
    }
    case PeerMode::StallLogin:
        break; // the log-in is read below and never answered
    case PeerMode::RandomFrames:
        for (int i = 0; i < count; ++i) {
            if (!co_await send(socket, randomFrame(rng_), 1)) {
                co_return;
            }
        }
        break;
    case PeerMode::RefuseFlood: {
        if (!co_await readLogin(socket)) {
            co_return;
        }
        fnd::Bytes batch = framedPacket(fnd::Value::array({0, kRefusalCode}));
        int inBatch = 1;
        for (int n = 1; n <= count; ++n) {
            fnd::Bytes frame = framedPacket(fnd::Value::array({0, n}));
            batch.insert(batch.end(), frame.begin(), frame.end());
            if (++inBatch == kFloodBatch || n == count) {
                if (!co_await send(socket, batch, inBatch)) {
                    co_return;
                }
                batch.clear();
                inBatch = 0;
            }
        }
        break;
    }
    case PeerMode::HugeArrays:
    case PeerMode::BigPacket:
        if (!co_await readLogin(socket)) {
            co_return;
        }
        // A big malformed reply first, while the log-in waits for its answer, then the real one.
        if (options_.mode == PeerMode::BigPacket &&
            !co_await send(socket, bigMalformedLoginReply(kBigPacketBytes, rng_), 1)) {
            co_return;
        }
        if (!co_await send(socket, sessionReply(), 1)) {
            co_return;
        }
        for (int i = 0; i < count; ++i) {
            const bool sent = options_.mode == PeerMode::HugeArrays
                                  ? co_await send(socket, hugeArrayFrame(i), 1)
                                  : co_await send(socket, bigUnknownPacket(kBigPacketBytes, rng_), 1) &&
                                        co_await send(socket, bigResourcePacket(kBigPacketBytes, rng_), 1);
            if (!sent) {
                co_return;
            }
        }
        break;
    case PeerMode::EndlessGame:
        // Signed in, the client is told to play a game whose "execute" and "paint" never return.
        if (!co_await readLogin(socket) || !co_await send(socket, sessionReply(), 1) ||
            !co_await send(socket, endlessGameStart(), 1)) {
            co_return;
        }
        break;
    case PeerMode::FileFlood:
        co_await serveFileFlood(socket);
        break;
    case PeerMode::AlertFlood: {
        if (!co_await readLogin(socket) || !co_await send(socket, sessionReply(), 1)) {
            co_return;
        }
        if (!co_await send(socket, alertFloodFrames(count), count * 6)) {
            co_return;
        }
        break;
    }
    case PeerMode::HugeChat:
    case PeerMode::PresenceFlood: {
        if (!co_await readLogin(socket) || !co_await send(socket, sessionReply(), 1)) {
            co_return;
        }
        if (options_.mode == PeerMode::HugeChat) {
            // One friend to chat with, then its lines.
            if (!co_await send(socket, friendListFrame(1), 1)) {
                co_return;
            }
            for (int i = 0; i < count; ++i) {
                if (!co_await send(socket, hugeChatFrame(i, kHugeChatBytes), 1)) {
                    co_return;
                }
            }
            break;
        }
        // `count` friends and a quarter as many rooms and groups; then every friend comes online and goes
        // offline again, and the first friend says a line, which shows when the client got through.
        const int notices = (count + kPresenceBatch - 1) / kPresenceBatch;
        const fnd::Bytes closing = framedPacket(fnd::Value::array({3, kFirstFriendId, "that was all"}));
        if (!co_await send(socket, friendListFrame(count), 1) || !co_await send(socket, roomListFrame(count / 4), 1) ||
            !co_await send(socket, groupListFrame(count / 4), 1) ||
            !co_await send(socket, presenceFrames(13, count, kPresenceBatch), notices) ||
            !co_await send(socket, presenceFrames(14, count, kPresenceBatch), notices) ||
            !co_await send(socket, closing, 1)) {
            co_return;
        }
        break;
    }
    case PeerMode::LoginThenClose:
    case PeerMode::LoginThenBadFrame:
    case PeerMode::EmptyFrames:
    case PeerMode::UnknownPackets:
    case PeerMode::UnaskedCall:
        if (!co_await readLogin(socket) || !co_await send(socket, sessionReply(), 1)) {
            co_return;
        }
        if (options_.mode == PeerMode::LoginThenClose || options_.mode == PeerMode::LoginThenBadFrame) {
            asio::steady_timer settle(io_, kLoginSettle);
            asio::error_code ignored;
            co_await settle.async_wait(withError(ignored));
        }
        if (options_.mode == PeerMode::LoginThenClose) {
            asio::error_code ignored;
            socket.close(ignored);
            co_return;
        }
        if (options_.mode == PeerMode::LoginThenBadFrame && !co_await send(socket, oversizeFrameHeader(), 1)) {
            co_return;
        }
        if (options_.mode == PeerMode::EmptyFrames || options_.mode == PeerMode::UnknownPackets) {
            co_await floodBadFrames(socket);
            co_return;
        }
        if (options_.mode == PeerMode::UnaskedCall &&
            !co_await send(socket, unaskedCallPacket(kUnaskedCaller, relayPort_, kUnaskedChannel), 1)) {
            co_return;
        }
        break;
    }
    ZLOG(Info, "hostile-peer: connection #%d: done sending; holding it open", id);
    co_await drain(socket);
}

asio::awaitable<bool> HostilePeer::readLogin(tcp::socket& socket) {
    FrameReader reader;
    std::vector<fnd::Bytes> payloads;
    std::array<uint8_t, 4096> buffer{};
    while (payloads.empty()) {
        asio::error_code ec;
        size_t n = co_await socket.async_read_some(asio::buffer(buffer), withError(ec));
        if (ec || !reader.feed(std::span<const uint8_t>(buffer.data(), n), payloads)) {
            co_return false;
        }
    }
    co_return true;
}

asio::awaitable<bool> HostilePeer::send(tcp::socket& socket, const fnd::Bytes& frames, int count) {
    asio::error_code ec;
    co_await asio::async_write(socket, asio::buffer(frames), withError(ec));
    if (ec) {
        ZLOG(Info, "hostile-peer: the client went away (%s)", ec.message().c_str());
        co_return false;
    }
    stats_.frames += count;
    co_return true;
}

asio::awaitable<void> HostilePeer::drain(tcp::socket& socket) {
    std::array<uint8_t, 4096> buffer{};
    for (;;) {
        asio::error_code ec;
        co_await socket.async_read_some(asio::buffer(buffer), withError(ec));
        if (ec) {
            co_return;
        }
    }
}

asio::awaitable<void> HostilePeer::floodBadFrames(tcp::socket& socket) {
    const fnd::Bytes batch = options_.mode == PeerMode::UnknownPackets ? unknownPackets(kBadFrameBatch)
                                                                       : emptyAndUnreadableFrames(kBadFrameBatch);
    while (co_await send(socket, batch, kBadFrameBatch)) {
    }
}

asio::awaitable<void> HostilePeer::relayAcceptLoop() {
    for (;;) {
        asio::error_code ec;
        tcp::socket socket = co_await relay_.async_accept(withError(ec));
        if (ec) {
            co_return;
        }
        const int id = ++stats_.relayConnections;
        ZLOG(Info, "hostile-peer: relay connection #%d accepted; closing it", id);
        socket.close(ec);
    }
}

} // namespace zelvan::hostile
