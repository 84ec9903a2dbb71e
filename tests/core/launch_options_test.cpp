// The headless client's command line: every option read into its setting, and the malformed
// lines refused with a message rather than half-applied.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/launch_options.h"

namespace zelvan {
namespace {

fnd::Result<LaunchOptions> parse(std::vector<std::string> args) {
    return LaunchOptions::parse(args);
}

TEST(LaunchOptionsTest, ReadsEveryOption) {
    auto parsed = parse({"--server",      "127.0.0.1:4001",
                         "--web",         "localhost:8080",
                         "--account",     "555:pa:ss",
                         "--home",        "/tmp/h",
                         "--run-seconds", "2.5",
                         "--screenshots", "shots",
                         "--audio-out",   "out.wav",
                         "--idle-turns",  "20",
                         "--tab",         "2",
                         "--ads-base",    "http://127.0.0.1:9/ads/",
                         "--log-level",   "orvane=warn",
                         "--log-level",   "debug",
                         "--log-level",   "adwick=error",
                         "--log-level",   "orvane=debug"});
    ASSERT_TRUE(parsed.ok()) << parsed.error().localizedDescription();
    const LaunchOptions& o = parsed.value();
    EXPECT_EQ(o.config.serverHost, "127.0.0.1");
    EXPECT_EQ(o.config.serverPort, 4001);
    EXPECT_EQ(o.config.webHost, "localhost:8080");
    ASSERT_TRUE(o.account);
    EXPECT_EQ(o.account->phone, "555");
    EXPECT_EQ(o.account->password, "pa:ss"); // only the first colon separates
    EXPECT_EQ(o.home, "/tmp/h");
    EXPECT_EQ(o.runSeconds, 2.5);
    EXPECT_EQ(o.screenshotFolder, "shots");
    EXPECT_EQ(o.audioOut, "out.wav");
    EXPECT_EQ(o.config.keepAliveTurns, 20);
    EXPECT_EQ(o.tab, 2);
    EXPECT_EQ(o.config.adsBase, "http://127.0.0.1:9/ads"); // networks append "/<network>/..."
    // A plain level is the global one; a named one is its channel's, the last naming winning.
    EXPECT_EQ(o.logLevel, fnd::LogLevel::Debug);
    EXPECT_EQ(o.channelLogLevels, (std::map<std::string, fnd::LogLevel>{{"adwick", fnd::LogLevel::Error},
                                                                        {"orvane", fnd::LogLevel::Debug}}));
    EXPECT_FALSE(o.help);

    auto defaults = parse({});
    ASSERT_TRUE(defaults.ok());
    EXPECT_EQ(defaults.value().config.serverPort, AppConfig::kDefaultServerPort);
    EXPECT_FALSE(defaults.value().runSeconds);
    EXPECT_EQ(defaults.value().config.adsBase, "");
    EXPECT_FALSE(defaults.value().logLevel);
    EXPECT_TRUE(defaults.value().channelLogLevels.empty());
    EXPECT_TRUE(parse({"--help"}).value().help);
}

TEST(LaunchOptionsTest, RefusesMalformedLines) {
    const std::vector<std::vector<std::string>> bad = {
        {"--server", "localhost"},
        {"--server", "host:0"},
        {"--server", "host:70000"},
        {"--server", ":80"},
        {"--server", "host:12x"},
        {"--web", "a/b"},
        {"--account", "nopassword"},
        {"--account", ":pw"},
        {"--run-seconds", "-1"},
        {"--run-seconds", "nan"},
        {"--idle-turns", "0"},
        {"--tab", "5"},
        {"--ads-base", "ftp://host"},
        {"--ads-base", "http://host/?a=1"},
        {"--log-level", "verbose"},
        {"--log-level", "orvane=loud"},
        {"--log-level", "=debug"},
        {"--log-level", "orvane="},
        {"--log-level", "debug", "--log-level", "orvane=verbose"},
        {"--home", ""},
        {"--server"},
        {"--bogus", "1"},
        {"stray"},
    };
    for (const auto& args : bad) {
        auto parsed = parse(args);
        EXPECT_FALSE(parsed.ok()) << args[0] << (args.size() > 1 ? " " + args[1] : "");
        if (!parsed.ok()) {
            EXPECT_NE(parsed.error().localizedDescription().find(args[0]), std::string::npos)
                << parsed.error().localizedDescription();
        }
    }
}

} // namespace
} // namespace zelvan
