// The offer network's context in the registry and its log front: what class-level operations find with
// and without a delegate, the service addresses, and ORVLog's threshold, levels and failure lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_registry.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::orvane {
namespace {

TEST(OrvaneContextTest, TheRegistryHandsOutOneContext) {
    EXPECT_FALSE(context());
    EXPECT_FALSE(ORVParser::sharedParserInstance());
    EXPECT_FALSE(ORVShadow::sharedInstance());
    EXPECT_FALSE(OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr));

    AppRegistry registry;
    int made = 0;
    registry.orvane.factory = [&made](zelvanAppDelegate&) {
        ++made;
        return makeOrvane(NetworkEndpoint("http://127.0.0.1:9/ads", "/orvane"), "/skin");
    };
    ScopedAppDelegate delegate(std::move(registry));
    auto shared = context();
    ASSERT_TRUE(shared);
    EXPECT_EQ(context(), shared);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(ORVParser::sharedParserInstance(), shared->parser());
    ASSERT_TRUE(shared->shadow());
    EXPECT_EQ(ORVShadow::sharedInstance(), shared->shadow());
    EXPECT_FALSE(OrvaneConnect::sharedOrvaneConnect()); // made by the first connect request
    EXPECT_EQ(shared->serviceBase(), "http://127.0.0.1:9/ads/orvane");
    EXPECT_EQ(shared->serviceURL("GetPicture"), "http://127.0.0.1:9/ads/orvane/Service1.asmx/GetPicture");
    EXPECT_EQ(shared->skinFolder(), "/skin");
}

TEST(OrvaneContextTest, ORVLogWritesAtOrBelowItsThreshold) {
    EXPECT_EQ(ORVLog::logThreshold(), 3);
    fnd::setMinLogLevel(fnd::LogLevel::Debug);
    fnd::testing::LogCapture capture;
    ORVLog::logWithLevel(3, "shown %d", 1);
    ORVLog::logWithLevel(4, "traced %d", 2); // above the default threshold 3
    ORVLog::setLogThreshold(5);
    ORVLog::logWithLevel(4, "traced %d", 3);
    const int line = __LINE__ + 1;
    ORV_LOG_FAILURE(2, "Value for binding, %@, is empty.", std::string("key"));
    fnd::setMinLogLevel(fnd::LogLevel::Info);
    makeOrvane(NetworkEndpoint("", "/orvane"), "/skin"); // each new context starts from the default again
    EXPECT_EQ(ORVLog::logThreshold(), 3);
    // Only this test's lines: a thread another test left winding down may log meanwhile.
    std::vector<std::string> lines;
    for (auto& l : capture.lines()) {
        if (l.find("orvane_context_test.cpp") != std::string::npos) {
            lines.push_back(l);
        }
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with("WARN orvane_context_test.cpp:L")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with("\t[Log Level: 3]; shown 1")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("DEBUG ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with("\t[Log Level: 4]; traced 3")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with("\t[Log Level: 2]; orvane_context_test.cpp: " + std::to_string(line) +
                                   "; TestBody; Value for binding, key, is empty."))
        << lines[2];
}

} // namespace
} // namespace zelvan::orvane
