// zelvan-devserver: runs the loopback game server (and, with --web-port, its web server, with
// --voice-port an echoing voice relay) until interrupted. Prints "listening on 127.0.0.1:PORT", "web on
// 127.0.0.1:PORT", "voice relay on 127.0.0.1:PORT" and (with --ads-port, the ad networks' host) "ads on
// 127.0.0.1:PORT" once they accept connections, so scripts can read the ports.
#include <CLI/CLI.hpp>

#include <atomic>
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
#include "tools/devserver/dev_ads_kavlo.h"
#include "tools/devserver/dev_ads_marlin.h"
#include "tools/devserver/dev_ads_server.h"
#include "tools/devserver/dev_ads_tallio.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_voice_relay.h"
#include "tools/devserver/dev_web_server.h"

int main(int argc, char** argv) {
    using namespace zelvan::devserver;
    DevServerOptions options;
    std::string logPath;
    std::optional<uint16_t> webPort;
    std::string webRoot = ZELVAN_DEVSERVER_SITE;
    std::optional<uint16_t> voicePort;
    std::optional<uint16_t> adsPort;
    std::vector<std::vector<std::string>> adFeatures;
    options.gameRoot = builtGameRoot();

    CLI::App cli{"The loopback game server (with --web-port its web server, with --voice-port an echoing voice relay); "
                 "runs until interrupted.",
                 "zelvan-devserver"};
    cli.add_option("--port", options.port, "game server port; 0 picks a free one")->default_val(0);
    cli.add_option("--accounts", "accounts that may sign in, phone:password[:name],...")
        ->type_name("LIST")
        ->each([&options](const std::string& text) {
            auto accounts = parseAccounts(text);
            if (!accounts) {
                throw CLI::ValidationError("bad account list \"" + text + "\"");
            }
            options.accounts = std::move(*accounts);
        });
    cli.add_option("--log", logPath, "also append the log to this file");
    cli.add_option("--web-port", webPort, "run the web server there; 0 picks a free port");
    cli.add_option("--web-root", webRoot, "the web server's site")->default_str(ZELVAN_DEVSERVER_SITE);
    cli.add_option("--game-root", options.gameRoot, "game resources and download lists")->default_str(options.gameRoot);
    cli.add_flag("--demo-messenger", options.demoMessenger, "push the demo messenger world after each log-in");
    cli.add_flag_callback(
        "--demo-silent-friend", [&options] { options.demoFriendAnswers = false; },
        "the demo world's friend 2001 does not answer the user's lines");
    cli.add_flag("--demo-games", options.demoGames, "run the demo game room (play alone starts the demo game)");
    cli.add_option("--voice-port", voicePort,
                   "run an echoing voice relay there (0 picks a free port); the demo world connects calls to its "
                   "friends through it");
    cli.add_option("--ads-port", adsPort,
                   "run the ad networks' host there (0 picks a free port); the client's --ads-base points at it");
    cli.add_option("--ad-features", adFeatures,
                   "advertising networks named in the feature list (command 109) of a logged-in client; given "
                   "again, a further list for the next request")
        ->type_name("LIST")
        ->delimiter(',');
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
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
    options.rules[kAdFeaturesCommand] = adFeatureListsRule(adFeatures);
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
    std::unique_ptr<DevAdsServer> ads;
    if (adsPort) {
        ads = std::make_unique<DevAdsServer>(*adsPort);
        addAdwickRoutes(*ads);
        addBrightpointRoutes(*ads);
        addOrvaneRoutes(*ads, std::make_shared<DevOrvaneService>());
        addSelvoRoutes(*ads);
        addTallioRoutes(*ads);
        addKavloRoutes(*ads);
        addOstromRoutes(*ads);
        addReelboxRoutes(*ads);
        addMarlinRoutes(*ads);
        if (!ads->start()) {
            if (web) {
                web->stop();
            }
            server.stop();
            return 1;
        }
        std::printf("ads on 127.0.0.1:%d\n", static_cast<int>(ads->port()));
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    ZLOG(Info, "devserver: stopping on signal %d", received);
    if (ads) {
        ads->stop();
    }
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
