// zelvan-hostile-peer: runs one misbehaving game server on 127.0.0.1 for a bounded time. Prints
// "listening on 127.0.0.1:PORT" once it accepts connections (after "web on 127.0.0.1:PORT" for a mode
// that also serves pages) and a summary line when it stops.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "tools/hostile_peer/hostile_peer.h"

int main(int argc, char** argv) {
    using namespace zelvan::hostile;
    PeerOptions options;
    CLI::App cli{"One misbehaving game server on 127.0.0.1, for a bounded time.", "zelvan-hostile-peer"};
    cli.add_option("--mode", "how it misbehaves")
        ->required()
        ->check(CLI::IsMember(peerModeNames()))
        ->each([&options](const std::string& name) { options.mode = *parsePeerMode(name); });
    cli.add_option("--port", options.port, "port; 0 picks a free one")->default_val(0);
    cli.add_option("--seconds", options.seconds, "how long it runs")->default_val(10)->check(CLI::Range(0.1, 600.0));
    cli.add_option("--count", options.count, "frames each connection gets (the mode's default otherwise)")
        ->check(CLI::Range(1, 1000000));
    cli.add_option("--seed", options.seed, "seed of its random choices")->default_val(1);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
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
