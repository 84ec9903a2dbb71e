// zelvan-hostile-peer: runs one misbehaving game server on 127.0.0.1 for a bounded time. Prints
// "listening on 127.0.0.1:PORT" once it accepts connections (after "web on 127.0.0.1:PORT" for a mode
// that also serves pages) and a summary line when it stops.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/hostile_peer/hostile_peer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zelvan-hostile-peer --mode MODE [--port N] [--seconds N] [--count N] [--seed N]\n"
                 "  MODE: random-frames, accept-close, refuse-flood, huge-arrays, stall-login, big-packet,\n"
                 "  endless-game, file-flood, alert-flood, login-then-close, login-then-bad-frame, empty-frames\n"
                 "  unasked-call, huge-chat or presence-flood\n"
                 "  --port 0 (the default) picks a free port; --seconds (default 10, at most 600) bounds the run;\n"
                 "  --count sets the frames each connection gets (the mode's default otherwise)\n");
    return 2;
}

template <class T>
bool parseNumber(std::string_view text, T& out, T low, T high) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        std::fprintf(stderr, "zelvan-hostile-peer: bad number \"%s\"\n", std::string(text).c_str());
        return false;
    }
    out = value;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan::hostile;
    PeerOptions options;
    bool haveMode = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        std::string_view value = argv[++i];
        bool ok = true;
        if (arg == "--mode") {
            auto mode = parsePeerMode(value);
            ok = mode.has_value();
            options.mode = mode.value_or(PeerMode::AcceptClose);
            haveMode = ok;
        } else if (arg == "--port") {
            ok = parseNumber<uint16_t>(value, options.port, 0, 65535);
        } else if (arg == "--seconds") {
            ok = parseNumber<double>(value, options.seconds, 0.1, 600);
        } else if (arg == "--count") {
            ok = parseNumber<int>(value, options.count, 1, 1000000);
        } else if (arg == "--seed") {
            ok = parseNumber<uint32_t>(value, options.seed, 0, UINT32_MAX);
        } else {
            ok = false;
        }
        if (!ok) {
            return usage();
        }
    }
    if (!haveMode) {
        return usage();
    }

    HostilePeer peer(options);
    if (!peer.listen()) {
        return 1;
    }
    // file-flood also serves the pages of the client's web host (--web), announced before the game port.
    if (options.mode == PeerMode::FileFlood) {
        if (!peer.listenWeb()) {
            return 1;
        }
        std::printf("web on 127.0.0.1:%d\n", static_cast<int>(peer.webPort()));
    }
    std::printf("listening on 127.0.0.1:%d\n", static_cast<int>(peer.port()));
    std::fflush(stdout);
    PeerStats stats = peer.run();
    std::printf("summary: mode %s, connections %d, frames %lld, seconds %.1f, connections/s %.2f\n",
                std::string(peerModeName(options.mode)).c_str(), stats.connections, stats.frames, stats.seconds,
                stats.seconds > 0 ? stats.connections / stats.seconds : 0.0);
    if (options.mode == PeerMode::UnaskedCall) {
        std::printf("relay: connections %d\n", stats.relayConnections);
    }
    return 0;
}
