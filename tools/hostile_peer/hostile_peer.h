// HostilePeer: a game server on 127.0.0.1 that misbehaves in one chosen way (random frames, closing
// every connection, floods of refusals, huge arrays, a log-in never answered, multi-megabyte
// packets, a game that never returns, files nobody asked for, floods of packets that each raise an alert, a
// log-in followed by a close or a bad frame, floods of empty frames or of packets nobody handles, a call
// nobody placed, huge chat lines, floods of presence notices) for a bounded time, counting the connections it accepted
// and the frames it sent.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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
    EndlessGame,
    FileFlood,
    AlertFlood,
    LoginThenClose,
    LoginThenBadFrame,
    EmptyFrames,
    UnaskedCall,
    HugeChat,
    PresenceFlood,
    UnknownPackets
};

// "random-frames", "accept-close", ... ; nullopt for any other name.
std::optional<PeerMode> parsePeerMode(std::string_view name);
std::string_view peerModeName(PeerMode mode);
// Every mode's name, in the order of PeerMode.
std::vector<std::string> peerModeNames();

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
    // Connections to the voice relay the unasked-call mode points the client at.
    int relayConnections = 0;
};

// Opens `acceptor` on 127.0.0.1:`port` (0 picks a free port) and listens; the port it got, or the error.
uint16_t listenOnLoopback(asio::ip::tcp::acceptor& acceptor, uint16_t port, asio::error_code& ec);

class HostilePeer {
public:
    explicit HostilePeer(PeerOptions options);

    // Binds 127.0.0.1:port and listens (and, for a mode that names a voice relay, a free port for
    // it); false (with a line on stderr) when it cannot.
    bool listen();
    uint16_t port() const { return port_; }
    // Binds a second port on 127.0.0.1 for the web host's pages (file-flood); false when it cannot.
    bool listenWeb();
    uint16_t webPort() const { return webPort_; }
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
    // file-flood (hostile_file_flood.cpp): after an honest log-in, files nobody asked for.
    asio::awaitable<void> serveFileFlood(asio::ip::tcp::socket& socket);
    asio::awaitable<void> webLoop();
    asio::awaitable<void> servePage(asio::ip::tcp::socket socket);
    // Sends empty and unreadable frames (or, in unknown-packets, packets nobody handles) in batches until
    // the client goes away.
    asio::awaitable<void> floodBadFrames(asio::ip::tcp::socket& socket);
    // Counts (and closes) every connection to the relay port.
    asio::awaitable<void> relayAcceptLoop();

    PeerOptions options_;
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    uint16_t port_ = 0;
    asio::ip::tcp::acceptor webAcceptor_;
    uint16_t webPort_ = 0;
    asio::ip::tcp::acceptor relay_;
    uint16_t relayPort_ = 0;
    std::mt19937 rng_;
    PeerStats stats_;
};

} // namespace zelvan::hostile
