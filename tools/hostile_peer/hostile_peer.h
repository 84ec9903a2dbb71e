// HostilePeer: a game server on 127.0.0.1 that misbehaves in one chosen way (random frames, closing
// every connection, floods of refusals, huge arrays, a log-in never answered, multi-megabyte
// packets, huge chat lines, floods of presence notices) for a bounded time, counting the connections
// it accepted and the frames it sent.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

#include <asio.hpp>

#include "platform/foundation/bytes.h"

namespace zelvan::hostile {

enum class PeerMode {
    RandomFrames,
    AcceptClose,
    RefuseFlood,
    HugeArrays,
    StallLogin,
    BigPacket,
    HugeChat,
    PresenceFlood
};

// "random-frames", "accept-close", ... ; nullopt for any other name.
std::optional<PeerMode> parsePeerMode(std::string_view name);
std::string_view peerModeName(PeerMode mode);

struct PeerOptions {
    PeerMode mode = PeerMode::AcceptClose;
    uint16_t port = 0;
    // The peer stops by itself after this long.
    double seconds = 10;
    // Frames a mode sends per connection (after any log-in reply); 0 picks the mode's default.
    int count = 0;
    uint32_t seed = 1;
};

struct PeerStats {
    int connections = 0;
    long long frames = 0;
    double seconds = 0;
};

class HostilePeer {
public:
    explicit HostilePeer(PeerOptions options);

    // Binds 127.0.0.1:port and listens; false (with a line on stderr) when it cannot.
    bool listen();
    uint16_t port() const { return port_; }
    // Serves until the time is up or SIGINT/SIGTERM arrives, then returns what happened.
    PeerStats run();

private:
    asio::awaitable<void> acceptLoop();
    asio::awaitable<void> serve(asio::ip::tcp::socket socket, int id);
    // Reads until the client's first frame (its log-in) is complete; false when the connection ends first.
    asio::awaitable<bool> readLogin(asio::ip::tcp::socket& socket);
    // Writes `frames` in one go and counts them as `count` frames; false when the write fails.
    asio::awaitable<bool> send(asio::ip::tcp::socket& socket, const fnd::Bytes& frames, int count);
    // Reads and drops whatever the client sends until it closes the connection.
    asio::awaitable<void> drain(asio::ip::tcp::socket& socket);
    int frameCount() const;

    PeerOptions options_;
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    uint16_t port_ = 0;
    std::mt19937 rng_;
    PeerStats stats_;
};

} // namespace zelvan::hostile
