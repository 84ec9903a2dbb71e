// Parsing of the headless client's command line.
#include "core/launch_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/format.h"
#include "platform/foundation/url.h"

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

// "debug", "info", "warn" or "error".
std::optional<fnd::LogLevel> parseLogLevel(const std::string& text) {
    static const std::pair<const char*, fnd::LogLevel> kLevels[] = {{"debug", fnd::LogLevel::Debug},
                                                                    {"info", fnd::LogLevel::Info},
                                                                    {"warn", fnd::LogLevel::Warn},
                                                                    {"error", fnd::LogLevel::Error}};
    for (const auto& [name, level] : kLevels) {
        if (text == name) {
            return level;
        }
    }
    return std::nullopt;
}

// The client's options on `cli`, read into `options`. Values are checked as they are read; a bad one
// throws CLI11's ValidationError with the option's own message.
void addOptions(CLI::App& cli, LaunchOptions& options) {
    cli.add_option("--server", "game server (default game.zelvan.net:1237)")
        ->type_name("HOST:PORT")
        ->each([&options](const std::string& value) {
            auto hostPort = parseHostPort(value);
            if (!hostPort) {
                throw CLI::ValidationError("--server wants HOST:PORT, not " + value);
            }
            options.config.serverHost = hostPort->first;
            options.config.serverPort = hostPort->second;
        });
    cli.add_option("--web", options.config.webHost, "web host of the pages (default www.zelvan.net)")
        ->type_name("HOST[:PORT]")
        ->check([](const std::string& value) {
            return value.empty() || value.find_first_of("/ ") != std::string::npos ? "wants HOST[:PORT], not " + value
                                                                                   : std::string();
        });
    cli.add_option("--account", "sign in with this account instead of the stored one")
        ->type_name("PHONE:PASSWORD")
        ->each([&options](const std::string& value) {
            const size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0) {
                throw CLI::ValidationError("--account wants PHONE:PASSWORD");
            }
            options.account = zelvanAppDelegate::Account{value.substr(0, colon), value.substr(colon + 1)};
        });
    const auto notEmpty = [](const std::string& value) { return value.empty() ? "must not be empty" : ""; };
    cli.add_option("--home", options.home, "application data folder (default $ZELVAN_HOME)")
        ->type_name("DIR")
        ->check(notEmpty);
    cli.add_option("--run-seconds", options.runSeconds, "stop after N seconds (default: run until interrupted)")
        ->type_name("N")
        ->check([](const std::string& value) {
            const std::optional<double> seconds = parseNumber<double>(value);
            return seconds && std::isfinite(*seconds) && *seconds >= 0 ? std::string()
                                                                       : "wants a number of seconds, not " + value;
        });
    cli.add_option("--screenshots", options.screenshotFolder, "write a PNG of every window there when stopping")
        ->type_name("DIR")
        ->check(notEmpty);
    cli.add_option("--audio-out", options.audioOut, "write every sound played to this WAV file")
        ->type_name("FILE")
        ->check(notEmpty);
    cli.add_option("--idle-turns", options.config.keepAliveTurns,
                   "tenths of a second without sending before a keep-alive (default 600)")
        ->type_name("N")
        ->check([](const std::string& value) {
            const std::optional<int> turns = parseNumber<int>(value);
            return turns && *turns >= 1 ? std::string() : "wants a positive count, not " + value;
        });
    cli.add_option("--ads-base",
                   "base URL of the ad, offer, analytics and store networks (default: none, nothing sent)")
        ->type_name("URL")
        ->each([&options](const std::string& value) {
            auto url = fnd::Url::parse(value);
            if (!url || (url->scheme() != "http" && url->scheme() != "https") || url->host().empty() ||
                !url->query().empty() || !url->fragment().empty()) {
                throw CLI::ValidationError("--ads-base wants an http(s) URL without query, not " + value);
            }
            std::string base = value;
            while (base.ends_with('/')) {
                base.pop_back();
            }
            options.config.adsBase = base;
        });
    cli.add_option("--log-level", "lowest level logged: debug, info, warn or error (default info); CHANNEL=LEVEL "
                                  "sets it for one log channel only, e.g. orvane=debug (repeatable)")
        ->type_name("[CHANNEL=]LEVEL")
        ->take_all()
        ->each([&options](const std::string& value) {
            const size_t equals = value.find('=');
            const std::string channel = equals == std::string::npos ? std::string() : value.substr(0, equals);
            const std::optional<fnd::LogLevel> level =
                parseLogLevel(equals == std::string::npos ? value : value.substr(equals + 1));
            if (!level || (equals != std::string::npos && channel.empty())) {
                throw CLI::ValidationError("--log-level wants debug, info, warn or error, or CHANNEL=LEVEL, not " +
                                           value);
            }
            if (equals == std::string::npos) {
                options.logLevel = level;
            } else {
                options.channelLogLevels[channel] = *level;
            }
        });
    cli.add_option("--tab", options.tab, "select tab N (0 games, 1 home, 2 messenger, 3 circle, 4 more) once launched")
        ->type_name("N")
        ->check(
            CLI::Range(static_cast<int>(zelvanAppDelegate::TabGames), static_cast<int>(zelvanAppDelegate::TabMore)));
}

} // namespace

std::string LaunchOptions::usage() {
    LaunchOptions ignored;
    CLI::App cli{"The headless Zelvan client.", "zelvan"};
    addOptions(cli, ignored);
    return cli.help();
}

fnd::Result<LaunchOptions> LaunchOptions::parse(std::span<const std::string> args) {
    LaunchOptions options;
    CLI::App cli{"The headless Zelvan client.", "zelvan"};
    addOptions(cli, options);
    // CLI11 reads a vector of arguments from its back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        cli.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }
    return options;
}

} // namespace zelvan
