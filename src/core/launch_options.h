// The command line of the headless client: where to connect, which account to sign in with, where
// the application's data lives, how long to run and where to leave screenshots.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>

#include "core/zelvan_app_delegate.h"
#include "platform/foundation/error.h"
#include "platform/foundation/log.h"

namespace zelvan {

struct LaunchOptions {
    AppConfig config;
    // Signs in with this account (and stores it) instead of the stored one.
    std::optional<zelvanAppDelegate::Account> account;
    // The application root ($ZELVAN_HOME) to use instead of the default.
    std::optional<std::string> home;
    // Seconds to run before stopping; none runs until SIGINT or SIGTERM.
    std::optional<double> runSeconds;
    // Folder that receives a PNG of every window when the client stops.
    std::optional<std::string> screenshotFolder;
    // WAV file that receives every sound the client plays (calls, message sounds, games).
    std::optional<std::string> audioOut;
    // The log's global minimum level; none keeps Info.
    std::optional<fnd::LogLevel> logLevel;
    // Minimum levels named for log channels (`--log-level orvane=debug`), by channel name.
    std::map<std::string, fnd::LogLevel> channelLogLevels;
    // The tab (0 games ... 4 more) selected once the client has launched; none keeps the first.
    std::optional<int> tab;
    bool help = false;

    // The text --help prints.
    static std::string usage();
    // Reads `--server HOST:PORT`, `--web HOST[:PORT]`, `--account PHONE:PASSWORD`, `--home DIR`,
    // `--run-seconds N`, `--screenshots DIR`, `--audio-out FILE`, `--idle-turns N`, `--ads-base URL`,
    // `--log-level [CHANNEL=]LEVEL` (repeatable), `--tab N` and `--help` (arguments without the program name). An
    // unknown option, a missing value or a malformed one is an error.
    static fnd::Result<LaunchOptions> parse(std::span<const std::string> args);
};

} // namespace zelvan
