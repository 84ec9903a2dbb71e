// zelvan-devserver: runs the loopback game server until interrupted. Prints
// "listening on 127.0.0.1:PORT" once it accepts connections, so scripts can read the port.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/log.h"
#include "tools/devserver/dev_server.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: zelvan-devserver [--port N] [--accounts phone:password[:name],...] [--log FILE]\n"
                         "  --port 0 (the default) picks a free port\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan::devserver;
    DevServerOptions options;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        std::string_view value = argv[++i];
        if (arg == "--port") {
            unsigned port = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || port > 65535) {
                std::fprintf(stderr, "zelvan-devserver: bad port \"%s\"\n", std::string(value).c_str());
                return 2;
            }
            options.port = static_cast<uint16_t>(port);
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

    DevServer server(std::move(options));
    if (!server.start()) {
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", static_cast<int>(server.port()));
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    fnd::log("devserver: stopping on signal %d", received);
    server.stop();
    return 0;
}
