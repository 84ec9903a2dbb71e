// The advertising feature list (command 109) against the loopback dev server: asked for after log-in, each
// named starter run once per signed-in user on the main thread, and lists of any shape read with bounded
// log lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/thread.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using fnd::Value;

struct Starts {
    std::vector<int32_t> users;
    bool offMain = false;
    AppRegistry::AdFeatureStarter starter() {
        return [this](zelvanAppDelegate&, const LoginSession& session) {
            offMain |= !fnd::isMainThread();
            users.push_back(session.userId);
        };
    }
};

TEST(AdFeaturesTest, EachNamedFeatureStartsOncePerSignedInUser) {
    devserver::DevServerOptions options;
    options.accounts = {{"5550100", "secret", "Ada", 1001}, {"5550101", "other", "Bo", 1002}};
    options.rules[devserver::kAdFeaturesCommand] = devserver::adFeaturesRule({"orvane", "orvane", "kavlo"});
    devserver::DevServer server(options);
    ASSERT_TRUE(server.start());
    writefile(zelvanAppDelegate::kAccountFile, Value::dictionary({{"phone", "5550100"}, {"password", "secret"}}));

    Starts orvane, marker;
    AppConfig config;
    config.serverHost = "127.0.0.1";
    config.serverPort = server.port();
    AppRegistry registry;
    registry.adFeatureStarters["orvane"] = orvane.starter();
    registry.adFeatureStarters["marker"] = marker.starter();
    auto delegate = zelvanAppDelegate::create(config, std::move(registry));
    fnd::testing::LogCapture capture(fnd::testing::LogCapture::Repeats::All);
    delegate->applicationDidFinishLaunching();
    auto pump = [](const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 10.0); };

    ASSERT_TRUE(pump([&] { return orvane.users.size() == 1; }));
    EXPECT_EQ(orvane.users[0], 1001);
    EXPECT_EQ(capture.count("unknown advertising feature kavlo"), 1u);
    // [109] goes out only after the log-in request.
    std::vector<int64_t> commands;
    for (const auto& r : server.received()) {
        commands.push_back(r.packet.asArray()->objectAtIndex(0).intValue());
    }
    auto login = std::find(commands.begin(), commands.end(), 0);
    auto features = std::find(commands.begin(), commands.end(), cmd::kAdFeatures);
    ASSERT_NE(features, commands.end());
    EXPECT_LT(login, features);

    // Lists of every shape: none starts "orvane" again for this user.
    Value many = Value::array({cmd::kAdFeatures});
    for (int i = 0; i < 10000; ++i) {
        many.asArray()->addObject("n" + std::to_string(i));
    }
    capture.clear();
    for (const Value& packet :
         {Value::array({cmd::kAdFeatures}), many,
          Value::array({cmd::kAdFeatures, 5, Value::array({"orvane"}), Value::dictionary({{"orvane", 1}})}),
          Value::array({cmd::kAdFeatures, "orvane", "marker"})}) {
        ASSERT_TRUE(server.push(0, packet));
    }
    ASSERT_TRUE(pump([&] { return marker.users.size() == 1; }));
    EXPECT_EQ(orvane.users.size(), 1u);
    EXPECT_LE(capture.count("unknown advertising feature"), 35u);
    EXPECT_EQ(capture.count("only the first 32 are read"), 1u);

    // Another user signs in: the list starts its features anew.
    delegate->trylogin("5550101", "other");
    ASSERT_TRUE(pump([&] { return orvane.users.size() == 2; }));
    EXPECT_EQ(orvane.users[1], 1002);
    EXPECT_FALSE(orvane.offMain || marker.offMain);

    delegate.reset();
    server.stop();
    fnd::RunLoop::main().runUntilIdle();
    deletefile(zelvanAppDelegate::kAccountFile);
}

} // namespace
} // namespace zelvan
