// The built-in resources: the boot script's whole road run in the page's JavaScript engine against a
// recording BridgeLib (request URL and keys, limits, the hand-over rule, the growing waits between attempts
// and the failure path), the client stub, the video template's four conversions and the four arrows.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ads/marlin/mn_resources.h"
#include "platform/foundation/date.h"
#include "platform/foundation/format.h"
#include "platform/ui/duktape_script_host.h"

namespace zelvan::marlin {
namespace {

// Keeps the page's timers for the test to fire.
class TimerClient final : public ui::ScriptHostClient {
public:
    void navigate(const std::string&, ui::NavigationType) override {}
    uint64_t scheduleTimer(double delay, fnd::Repeats, std::function<void()> fire) override {
        timers[++lastId] = {delay, std::move(fire)};
        return lastId;
    }
    void cancelTimer(uint64_t id) override { timers.erase(id); }
    fnd::Date now() const override { return fnd::Date(0); }

    std::map<uint64_t, std::pair<double, std::function<void()>>> timers;
    uint64_t lastId = 0;
};

// A BridgeLib that records each command as name(JSON args).
const char* kRecordingBridge = R"(
var g_calls = [];
function takeCalls() { var text = g_calls.join("\n"); g_calls = []; return text; }
function record(name) {
    return function() { g_calls.push(name + JSON.stringify(Array.prototype.slice.call(arguments))); };
}
var BridgeLib = { getServerURL: function() { return "http://ads.test/AdBridgeServer"; } };
["getContentControllerPropertyWithCallback", "getNetworkReachabilityWithCallback", "installScriptFromURL",
 "loadScript", "displayContent", "setContentControllerProperty", "notifyDelegateConnectionFailed", "log"]
    .forEach(function(name) { BridgeLib[name] = record(name); });
)";

class BootPage {
public:
    BootPage(const std::string& script) : host_(std::make_shared<ui::DuktapeScriptHost>()) {
        host_->setClient(client_);
        host_->beginDocument(ui::ScriptDocumentInfo{"about:blank", "Advertisement", ""});
        host_->runScript(kRecordingBridge, "bridge.js");
        host_->runScript(script, "script.js");
    }
    ~BootPage() { host_->endDocument(); }
    std::string run(const std::string& expression) {
        host_->evaluate(expression);
        return host_->evaluate("takeCalls()").toString();
    }
    TimerClient& client() { return *client_; }

private:
    std::shared_ptr<TimerClient> client_ = std::make_shared<TimerClient>();
    std::shared_ptr<ui::DuktapeScriptHost> host_;
};

const std::string kAskState = R"(getContentControllerPropertyWithCallback["clientState","bootWithState(%s);"])";
const std::string kAskHandOver =
    R"(getContentControllerPropertyWithCallback["clientState","bootHandOverInState(%s);"])";
const std::string kAskReach =
    R"(getNetworkReachabilityWithCallback["http://ads.test/AdBridgeServer/test.htm","bootReachability(%d);"])";

TEST(MNResourcesTest, BootScriptInstallsAndStartsANewerClient) {
    BootPage page(MNResources::bootJS());
    EXPECT_EQ(page.run("boot(42, 'Phone - 3.1', 'UID&1', '2.3.1', '0.0')"), kAskState);
    EXPECT_EQ(page.run("bootWithState(\"1\")"), ""); // only a client in state 0 boots
    EXPECT_EQ(page.run("bootWithState(\"0\")"), kAskReach);
    EXPECT_EQ(page.run("bootReachability(2)"),
              R"(installScriptFromURL["client.js","http://ads.test/AdBridgeServer/req_js.htm?pubappid=42)"
              R"(&deviceid=Phone%20-%203.1&userid=UID%261&hostversion=2.3.1&clientversion=0.0",)"
              R"("bootInstalled(%d, %s);","10","bootTimedOut();"])");
    EXPECT_EQ(page.run("bootInstalled(1, \"1.00.001\")"), kAskHandOver);
    EXPECT_EQ(page.run("bootHandOverInState(\"0\")"),
              R"(loadScript["client.js","clientInit(42, \"Phone - 3.1\", \"UID&1\", \"2.3.1\", \"1.00.001\");"])");

    // A stored client newer than "0.00.000" starts even when the server is out of reach.
    EXPECT_EQ(page.run("boot(7, 'd', 'u', '2.3.1', '0.10.000')"), kAskState);
    page.run("bootWithState(\"0\")");
    EXPECT_EQ(page.run("bootReachability(0)"), kAskHandOver);
    EXPECT_EQ(page.run("bootHandOverInState(\"0\")"),
              R"(loadScript["client.js","clientInit(7, \"d\", \"u\", \"2.3.1\", \"0.10.000\");"])");
}

TEST(MNResourcesTest, BootScriptBacksOffThenGivesUpAfterTenAttempts) {
    BootPage page(MNResources::bootJS());
    auto takeTimer = [&] {
        auto timer = page.client().timers.extract(page.client().timers.begin());
        return timer.mapped();
    };
    // A new boot drops the retry still waiting from the one before.
    page.run("boot(1, 'd', 'u', '2.3.1', '0.0')");
    page.run("bootWithState(\"0\")");
    page.run("bootTimedOut()");
    EXPECT_EQ(page.run("bootHandOverInState(\"0\")"), "");
    EXPECT_EQ(page.client().timers.size(), 1U);
    page.run("boot(1, 'd', 'u', '2.3.1', '0.0')");
    EXPECT_TRUE(page.client().timers.empty());

    EXPECT_EQ(page.run("bootWithState(\"0\")"), kAskReach);
    // Each failed attempt waits twice as long as the one before it for the next, at most 16 s.
    for (double wait : {1, 2, 4, 8, 16, 16, 16, 16, 16}) {
        EXPECT_EQ(page.run("bootTimedOut()"), kAskHandOver);
        EXPECT_EQ(page.run("bootHandOverInState(\"0\")"), "") << wait;
        ASSERT_EQ(page.client().timers.size(), 1U);
        auto [delay, fire] = takeTimer();
        EXPECT_EQ(delay, wait);
        fire();
        EXPECT_EQ(page.run(""), kAskReach) << wait;
    }
    page.run("bootInstalled(0, \"\")");
    EXPECT_EQ(page.run("bootHandOverInState(\"0\")"), "");
    ASSERT_EQ(page.client().timers.size(), 1U);
    auto [delay, fire] = page.client().timers.begin()->second;
    EXPECT_EQ(delay, 1.0);
    fire();
    EXPECT_EQ(page.run(""), R"(displayContent[false])"
                            "\n"
                            R"(setContentControllerProperty["clientState","1"])"
                            "\n"
                            R"(notifyDelegateConnectionFailed[])");
}

TEST(MNResourcesTest, StubTemplateAndArrows) {
    BootPage stub(MNResources::clientJS());
    EXPECT_EQ(stub.run("clientInit(1, 'd', 'u', '2.3.1', '0.0')"), R"(log["Stub client, no initialization."])");
    EXPECT_EQ(stub.run("displayAd(2, 1)"), R"(log["Stub client, no ads displayed."])"
                                           "\n"
                                           R"(displayContent[false])");
    EXPECT_FALSE(MNResources::debuggerJS().empty());

    std::string page = fnd::format(MNResources::youtubeTemplateHTML(), 320, "Clip", "http://v.test/x", 320.0, 416.4);
    EXPECT_NE(page.find("width=320\""), std::string::npos) << page;
    EXPECT_NE(page.find("<title>Clip</title>"), std::string::npos);
    EXPECT_NE(page.find("src=\"http://v.test/x\" type=\"application/x-shockwave-flash\" width=\"320\" height=\"416\""),
              std::string::npos);
    EXPECT_NE(page.find("width:100%;"), std::string::npos);

    struct Arrow {
        gfx::ImagePtr image;
        bool back;
        bool enabled;
    };
    for (const Arrow& arrow :
         {Arrow{MNResources::backButton(), true, true}, Arrow{MNResources::backButtonDisabled(), true, false},
          Arrow{MNResources::forwardButton(), false, true},
          Arrow{MNResources::forwardButtonDisabled(), false, false}}) {
        ASSERT_TRUE(arrow.image);
        EXPECT_EQ(arrow.image->size().width, 8);
        EXPECT_EQ(arrow.image->size().height, 10);
        auto tip = arrow.image->pixelAt(arrow.back ? 3 : 4, 5);
        auto openCorner = arrow.image->pixelAt(arrow.back ? 0 : 7, 0);
        EXPECT_GT(tip.a, 100) << arrow.back;
        EXPECT_LT(openCorner.a, 60) << arrow.back;
        EXPECT_EQ(tip.r > 200, arrow.enabled);
    }
}

} // namespace
} // namespace zelvan::marlin
