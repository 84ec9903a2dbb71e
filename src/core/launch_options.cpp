// Parsing of the headless client's command line.
#include "core/launch_options.h"

#include <charconv>
#include <cmath>

#include "platform/foundation/format.h"

namespace zelvan {

namespace {

constexpr const char* kDomain = "LaunchOptions";

fnd::Error usageError(const std::string& message) {
    return fnd::Error(kDomain, 1, std::string_view(message));
}

template <class T>
std::optional<T> parseNumber(const std::string& text) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "host:port" with a port from 1 to 65535; the host may not be empty.
std::optional<std::pair<std::string, uint16_t>> parseHostPort(const std::string& text) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return std::nullopt;
    }
    std::optional<int> port = parseNumber<int>(text.substr(colon + 1));
    if (!port || *port < 1 || *port > 65535) {
        return std::nullopt;
    }
    return std::pair{text.substr(0, colon), static_cast<uint16_t>(*port)};
}

} // namespace

std::string LaunchOptions::usage() {
    return "usage: zelvan [options]\n"
           "  --server HOST:PORT        game server (default game.zelvan.net:1237)\n"
           "  --web HOST[:PORT]         web host of the pages (default www.zelvan.net)\n"
           "  --account PHONE:PASSWORD  sign in with this account instead of the stored one\n"
           "  --home DIR                application data folder (default $ZELVAN_HOME)\n"
           "  --run-seconds N           stop after N seconds (default: run until interrupted)\n"
           "  --screenshots DIR         write a PNG of every window there when stopping\n"
           "  --audio-out FILE          write every sound played to this WAV file\n"
           "  --idle-turns N            empty network turns (0.1 s each) before a keep-alive (default 600)\n"
           "  --tab N                   select tab N (0 games, 1 home, 2 messenger, 3 circle, 4 more) once launched\n"
           "  --help                    print this text\n";
}

fnd::Result<LaunchOptions> LaunchOptions::parse(std::span<const std::string> args) {
    LaunchOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return usageError(name.starts_with("--") ? fnd::format("%s needs a value", name.c_str())
                                                     : fnd::format("unexpected argument %s", name.c_str()));
        }
        const std::string& value = args[++i];
        if (name == "--server") {
            auto hostPort = parseHostPort(value);
            if (!hostPort) {
                return usageError(fnd::format("--server wants HOST:PORT, not %s", value.c_str()));
            }
            options.config.serverHost = hostPort->first;
            options.config.serverPort = hostPort->second;
        } else if (name == "--web") {
            if (value.empty() || value.find_first_of("/ ") != std::string::npos) {
                return usageError(fnd::format("--web wants HOST[:PORT], not %s", value.c_str()));
            }
            options.config.webHost = value;
        } else if (name == "--account") {
            size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0) {
                return usageError("--account wants PHONE:PASSWORD");
            }
            options.account = zelvanAppDelegate::Account{value.substr(0, colon), value.substr(colon + 1)};
        } else if (name == "--home") {
            if (value.empty()) {
                return usageError("--home wants a folder");
            }
            options.home = value;
        } else if (name == "--run-seconds") {
            std::optional<double> seconds = parseNumber<double>(value);
            if (!seconds || !std::isfinite(*seconds) || *seconds < 0) {
                return usageError(fnd::format("--run-seconds wants a number of seconds, not %s", value.c_str()));
            }
            options.runSeconds = *seconds;
        } else if (name == "--screenshots") {
            if (value.empty()) {
                return usageError("--screenshots wants a folder");
            }
            options.screenshotFolder = value;
        } else if (name == "--audio-out") {
            if (value.empty()) {
                return usageError("--audio-out wants a file");
            }
            options.audioOut = value;
        } else if (name == "--idle-turns") {
            std::optional<int> turns = parseNumber<int>(value);
            if (!turns || *turns < 1) {
                return usageError(fnd::format("--idle-turns wants a positive count, not %s", value.c_str()));
            }
            options.config.keepAliveTurns = *turns;
        } else if (name == "--tab") {
            std::optional<int> tab = parseNumber<int>(value);
            if (!tab || *tab < zelvanAppDelegate::TabGames || *tab > zelvanAppDelegate::TabMore) {
                return usageError(fnd::format("--tab wants a tab from 0 to 4, not %s", value.c_str()));
            }
            options.tab = *tab;
        } else {
            return usageError(fnd::format("unknown option %s", name.c_str()));
        }
    }
    return options;
}

} // namespace zelvan
