// zelvan-devserver: runs the loopback game server (and, with --web-port, its web server, with
// --voice-port an echoing voice relay) until interrupted. Prints "listening on 127.0.0.1:PORT", "web on
// 127.0.0.1:PORT" and "voice relay on 127.0.0.1:PORT" once they accept connections, so scripts can read the ports.
#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/log.h"
#include "tools/devserver/demo_game.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_voice_relay.h"
#include "tools/devserver/dev_web_server.h"

namespace {

bool parsePort(std::string_view value, uint16_t& port) {
    unsigned parsed = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size() || parsed > 65535) {
        std::fprintf(stderr, "zelvan-devserver: bad port \"%s\"\n", std::string(value).c_str());
        return false;
    }
    port = static_cast<uint16_t>(parsed);
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: zelvan-devserver [--port N] [--accounts phone:password[:name],...] [--log FILE]\n"
                 "                        [--web-port N] [--web-root DIR] [--game-root DIR] [--demo-messenger]\n"
                 "                        [--demo-silent-friend] [--demo-games] [--voice-port N]\n"
                 "  --port 0 (the default) picks a free port; so does --web-port 0\n"
                 "  --web-root defaults to the demo site %s\n"
                 "  --game-root (resources and download lists) defaults to %s\n"
                 "  --demo-messenger pushes the demo messenger world after each log-in\n"
                 "  --demo-silent-friend: the demo world's friend 2001 does not answer the user's lines\n"
                 "  --demo-games runs the demo game room (play alone starts the demo game)\n"
                 "  --voice-port N runs an echoing voice relay there (0 picks a free port); the demo\n"
                 "    world connects calls to its friends through it\n",
                 ZELVAN_DEVSERVER_SITE, zelvan::devserver::builtGameRoot().c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan::devserver;
    DevServerOptions options;
    std::string logPath;
    std::optional<uint16_t> webPort;
    std::string webRoot = ZELVAN_DEVSERVER_SITE;
    std::optional<uint16_t> voicePort;
    options.gameRoot = builtGameRoot();
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--demo-messenger") {
            options.demoMessenger = true;
            continue;
        }
        if (arg == "--demo-silent-friend") {
            options.demoFriendAnswers = false;
            continue;
        }
        if (arg == "--demo-games") {
            options.demoGames = true;
            continue;
        }
        if (i + 1 >= argc) {
            return usage();
        }
        std::string_view value = argv[++i];
        if (arg == "--port") {
            if (!parsePort(value, options.port)) {
                return 2;
            }
        } else if (arg == "--web-port") {
            webPort.emplace();
            if (!parsePort(value, *webPort)) {
                return 2;
            }
        } else if (arg == "--voice-port") {
            voicePort.emplace();
            if (!parsePort(value, *voicePort)) {
                return 2;
            }
        } else if (arg == "--game-root") {
            options.gameRoot = value;
        } else if (arg == "--web-root") {
            webRoot = value;
        } else if (arg == "--accounts") {
            auto accounts = parseAccounts(value);
            if (!accounts) {
                std::fprintf(stderr, "zelvan-devserver: bad account list\n");
                return 2;
            }
            options.accounts = std::move(*accounts);
        } else if (arg == "--log") {
            logPath = value;
        } else {
            return usage();
        }
    }

    // The log is the record of every packet received, and tests read it back: nothing is held back.
    fnd::setLogRepeatsLimited(false);
    std::ofstream logFile;
    std::mutex logMutex;
    if (!logPath.empty()) {
        logFile.open(logPath, std::ios::app);
        if (!logFile) {
            std::fprintf(stderr, "zelvan-devserver: cannot open log file %s\n", logPath.c_str());
            return 1;
        }
        fnd::addLogSink([&](const std::string& line) {
            std::lock_guard lock(logMutex);
            logFile << line << '\n';
            logFile.flush();
        });
    }

    // The signals are blocked before the server thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    options.webRoot = webRoot;
    // The relay starts first, so the demo world's rules know its port; it accepts the server's live
    // session keys once the server runs.
    std::atomic<DevServer*> live{nullptr};
    std::unique_ptr<DevVoiceRelay> relay;
    if (voicePort) {
        DevVoiceRelayOptions relayOptions{*voicePort,
                                          [&live](const std::string& key) {
                                              DevServer* s = live.load();
                                              return s != nullptr && s->hasLiveSessionKey(key);
                                          },
                                          true};
        relay = std::make_unique<DevVoiceRelay>(std::move(relayOptions));
        if (!relay->start()) {
            return 1;
        }
        options.voiceRelayPort = relay->port();
    }
    DevServer server(std::move(options));
    if (!server.start()) {
        return 1;
    }
    live = &server;
    std::printf("listening on 127.0.0.1:%d\n", static_cast<int>(server.port()));
    if (relay) {
        std::printf("voice relay on 127.0.0.1:%d\n", static_cast<int>(relay->port()));
    }
    std::unique_ptr<DevWebServer> web;
    if (webPort) {
        web = std::make_unique<DevWebServer>(DevWebServerOptions{*webPort, webRoot}, [&server](const std::string& key) {
            return server.hasLiveSessionKey(key);
        });
        if (!web->start()) {
            server.stop();
            return 1;
        }
        std::printf("web on 127.0.0.1:%d\n", static_cast<int>(web->port()));
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    ZLOG(Info, "devserver: stopping on signal %d", received);
    if (web) {
        web->stop();
    }
    live = nullptr;
    if (relay) {
        relay->stop();
    }
    server.stop();
    return 0;
}
