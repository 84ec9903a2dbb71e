// Tests of script results' conversion to text and of the recording script host: records, answers,
// bound objects and page timers.
#include "platform/ui/recording_script_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace ui {
namespace {

TEST(ScriptHostTest, ResultsConvertAsJavaScriptToStringDoes) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<ScriptResult, std::string>> cases = {
        {ScriptResult(), ""},
        {ScriptResult::null(), ""},
        {ScriptResult::boolean(true), "true"},
        {ScriptResult::boolean(false), "false"},
        {ScriptResult("text"), "text"},
        {ScriptResult::object("[object Object]"), "[object Object]"},
        {ScriptResult::number(0), "0"},
        {ScriptResult::number(-0.0), "0"},
        {ScriptResult::number(42), "42"},
        {ScriptResult::number(-7), "-7"},
        {ScriptResult::number(0.5), "0.5"},
        {ScriptResult::number(0.1 + 0.2), "0.30000000000000004"},
        {ScriptResult::number(123.456), "123.456"},
        {ScriptResult::number(1e20), "100000000000000000000"},
        {ScriptResult::number(1e21), "1e+21"},
        {ScriptResult::number(1.5e300), "1.5e+300"},
        {ScriptResult::number(0.000001), "0.000001"},
        {ScriptResult::number(1e-7), "1e-7"},
        {ScriptResult::number(-2.5e-10), "-2.5e-10"},
        {ScriptResult::number(std::nan("")), "NaN"},
        {ScriptResult::number(inf), "Infinity"},
        {ScriptResult::number(-inf), "-Infinity"},
        {ScriptResult::number(9007199254740993.0), "9007199254740992"},
    };
    for (const auto& [result, text] : cases) {
        EXPECT_EQ(result.toString(), text);
    }
}

// A client that records navigations and hands out timers the test fires by hand.
class FakeClient : public ScriptHostClient {
public:
    void navigate(const std::string& url, NavigationType type) override { navigations.emplace_back(url, type); }
    uint64_t scheduleTimer(double, fnd::Repeats, std::function<void()> fire) override {
        timers[next] = std::move(fire);
        return next++;
    }
    void cancelTimer(uint64_t id) override { timers.erase(id); }
    fnd::Date now() const override { return fnd::Date(); }

    std::vector<std::pair<std::string, NavigationType>> navigations;
    std::map<uint64_t, std::function<void()>> timers;
    uint64_t next = 100;
};

TEST(ScriptHostTest, RecordingHostRecordsAnswersAndActsAsThePage) {
    auto client = std::make_shared<FakeClient>();
    RecordingScriptHost host;
    host.setClient(client);
    host.beginDocument({"http://x.test/p", "The Title", "<title>The Title</title>"});
    host.runScript("init();", "http://x.test/p");

    // Document expressions, with white space and semicolons around them.
    EXPECT_EQ(host.evaluate("document.title").toString(), "The Title");
    EXPECT_EQ(host.evaluate(" window.location.href; ").toString(), "http://x.test/p");
    EXPECT_EQ(host.evaluate("document.location.href").toString(), "http://x.test/p");
    EXPECT_EQ(host.evaluate("document.documentElement.innerHTML").toString(), "<title>The Title</title>");

    // Tables, patterns, the answerer, then nothing.
    host.answer("commandList();", ScriptResult("[1,2]"));
    host.answerMatching(R"(getScore\(\d+\))", ScriptResult::number(12.5));
    host.answerMatching("(unclosed", ScriptResult("never")); // logged and ignored
    host.setAnswerer([](const std::string& e) -> std::optional<ScriptResult> {
        if (e.starts_with("typeof ")) {
            return ScriptResult("function");
        }
        return std::nullopt;
    });
    EXPECT_EQ(host.evaluate("commandList()").toString(), "[1,2]");
    EXPECT_EQ(host.evaluate("getScore(17);").toString(), "12.5");
    EXPECT_EQ(host.evaluate("getScore(x)").toString(), "");
    EXPECT_EQ(host.evaluate("typeof Zelvan").toString(), "function");
    EXPECT_EQ(host.evaluate("(unclosed").toString(), "");
    EXPECT_EQ(host.evaluations().size(), 9u);
    EXPECT_EQ(host.evaluations()[1], " window.location.href; ");

    // Bound objects.
    auto zelvan = std::make_shared<ScriptObject>();
    std::vector<fnd::Value> received;
    zelvan->addMethod("gameScriptCall", [&](const std::vector<fnd::Value>& args) {
        received = args;
        return fnd::Value("ok");
    });
    host.bindObject("Zelvan", zelvan);
    auto answer = host.invokeBinding("Zelvan", "gameScriptCall", {fnd::Value("move"), fnd::Value(int64_t{3})});
    ASSERT_TRUE(answer.has_value());
    ASSERT_NE(answer->asString(), nullptr);
    EXPECT_EQ(*answer->asString(), "ok");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].asInt(), 3);
    EXPECT_FALSE(host.invokeBinding("Zelvan", "missing", {}).has_value());
    EXPECT_FALSE(host.invokeBinding("Nobody", "gameScriptCall", {}).has_value());

    // Navigation and timers go through the client.
    EXPECT_TRUE(host.triggerNavigation("zelvan://done"));
    ASSERT_EQ(client->navigations.size(), 1u);
    EXPECT_EQ(client->navigations[0].second, NavigationType::Other);
    const uint64_t once = host.setTimer("tick();", 0.5, fnd::Repeats::No);
    const uint64_t every = host.setTimer("poll();", 1.0 / 30, fnd::Repeats::Yes);
    ASSERT_EQ(client->timers.size(), 2u);
    // The one-shot's time comes: the client drops it and fires it.
    auto fire = client->timers.begin()->second;
    client->timers.erase(client->timers.begin());
    fire();
    EXPECT_FALSE(host.fireTimer(once));
    EXPECT_TRUE(host.fireTimer(every));
    EXPECT_TRUE(host.fireTimer(every));
    const std::vector<RecordingScriptHost::RecordedScript> expected = {
        {"init();", "http://x.test/p"},
        {"tick();", "timer:" + std::to_string(once)},
        {"poll();", "timer:" + std::to_string(every)},
        {"poll();", "timer:" + std::to_string(every)},
    };
    EXPECT_EQ(host.scripts(), expected);
    host.endDocument();
    EXPECT_TRUE(host.documentEnded());
    EXPECT_TRUE(client->timers.empty());
    EXPECT_FALSE(host.fireTimer(every));
}

} // namespace
} // namespace ui
