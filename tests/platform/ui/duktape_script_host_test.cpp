// Tests of the Duktape script host behind a web view: a polled ad page end to end, the page
// environment, budgets and the memory cap on runaway scripts, and bound native objects.
#include "platform/ui/duktape_script_host.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/foundation/clock.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/backends.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/web_view.h"

namespace ui {
namespace {

class AskingDelegate : public WebViewDelegate {
public:
    bool webViewShouldStartLoadWithRequest(WebView&, fnd::UrlRequest& request, NavigationType type) override {
        asked.push_back(request.url().absoluteString() + " " + std::to_string(static_cast<int>(type)));
        return request.url().scheme() != "marlin";
    }
    std::vector<std::string> asked;
};

// The budget is wall time, which a busy machine spends on other processes too: a script that must finish
// runs under a budget no machine reaches first, however busy; a runaway runs alone under a short one.
constexpr double kNoMachineReaches = 600;
constexpr double kRunaway = 0.1;

class DuktapeScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        installBudget(kNoMachineReaches);
        webView_ = View::create<WebView>(gfx::Rect(0, 0, 320, 200));
        webView_->setDelegate(delegate_);
    }
    // The budget of the hosts made from now on.
    void installBudget(double seconds) {
        DuktapeScriptHost::Options options;
        options.budget = seconds;
        installScriptHostFactory(DuktapeScriptHost::factory(options));
    }
    void TearDown() override {
        webView_.reset();
        installScriptHostFactory(nullptr);
        fnd::Clock::install(nullptr);
    }
    void load(const std::string& html) {
        webView_->loadHTMLString(html, fnd::Url::parse("http://ads.test/page/"));
        ASSERT_TRUE(testing::WebViewDriver(webView_).finishLoad());
        delegate_->asked.clear();
    }
    std::string eval(const std::string& js) { return webView_->stringByEvaluatingJavaScriptFromString(js); }
    std::shared_ptr<DuktapeScriptHost> host() {
        return std::dynamic_pointer_cast<DuktapeScriptHost>(webView_->scriptHost());
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<AskingDelegate> delegate_ = std::make_shared<AskingDelegate>();
    std::shared_ptr<WebView> webView_;
};

TEST_F(DuktapeScriptHostTest, PolledAdPageRunsEndToEnd) {
    fnd::Cookie secret;
    secret.name = "secret";
    secret.value = "1";
    secret.domain = "ads.test";
    secret.httpOnly = true;
    fnd::CookieStorage::shared().setCookie(secret);

    load("<html><head><title>Ad</title>"
         "<script>var queue = []; function commandList() { var out = JSON.stringify(queue); queue = []; "
         "return out; }</script>"
         "<script>var ticks = 0; function tick() { queue.push({cmd: 'tick', n: ++ticks}); }</script>"
         "<script>function start() { setInterval(tick, 90); setTimeout('queue.push({cmd: \"later\"})', 50);"
         " var gone = setTimeout(tick, 10); clearTimeout(gone);"
         " queue.push({cmd: 'ready', ua: navigator.userAgent, now: new Date().getTime()}); }</script>"
         "</head><body onload=\"start();\"></body></html>");
    ASSERT_TRUE(host());

    const double startMs = fnd::Clock::now().since1970() * 1000;
    EXPECT_EQ(eval("commandList();"), "[{\"cmd\":\"ready\",\"ua\":\"" + std::string(WebView::kDefaultUserAgent) +
                                          "\",\"now\":" + ScriptResult::numberToString(startMs) + "}]");
    std::vector<std::string> polled;
    for (int frame = 0; frame < 6; ++frame) {
        fnd::RunLoop::main().advance(1.0 / 30);
        polled.push_back(eval("commandList();"));
    }
    EXPECT_EQ(polled, (std::vector<std::string>{"[]", "[{\"cmd\":\"later\"}]", "[{\"cmd\":\"tick\",\"n\":1}]", "[]",
                                                "[]", "[{\"cmd\":\"tick\",\"n\":2}]"}));
    EXPECT_EQ(eval("Math.round(Date.now() - " + ScriptResult::numberToString(startMs) + ")"), "200");

    // The environment and result conversions.
    EXPECT_EQ(eval("try { x; } catch(e) {}"), "");
    EXPECT_EQ(eval("document.title + ' ' + location.href + ' ' + window.document.location.href"),
              "Ad http://ads.test/page/ http://ads.test/page/");
    EXPECT_EQ(eval("[1/3, true, null, [1, 2], {}, 1e21].join('|')"),
              "0.3333333333333333|true||1,2|[object Object]|1e+21");
    EXPECT_EQ(eval("1/3"), "0.3333333333333333");
    EXPECT_EQ(eval("({})"), "[object Object]");
    EXPECT_EQ(eval("null"), "");
    EXPECT_EQ(eval("false"), "false");
    EXPECT_EQ(eval("document.cookie = 'seen=1; path=/'; document.cookie"), "seen=1");

    // A script navigation is asked about only after the evaluation has returned.
    EXPECT_EQ(eval("location = 'marlin://command/dbWrite?id=a'; 'assigned'"), "assigned");
    EXPECT_TRUE(delegate_->asked.empty());
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(delegate_->asked, (std::vector<std::string>{"marlin://command/dbWrite?id=a 5"}));
}

TEST_F(DuktapeScriptHostTest, BudgetStopsRunawayScriptsEverywhere) {
    fnd::testing::LogCapture log;
    // One budget serves every block of the page: the short block after the runaway one must finish under
    // it, so it is far past any stall of a busy machine.
    installBudget(1);
    load("<script>var ok = 1; while (true) {}</script>"
         "<script>ok = 2;</script>"
         "<body onload='for (;;) { try { while (true) {} } catch (e) {} }'>");
    EXPECT_EQ(log.count("ran past its 1 s budget"), 2u);
    EXPECT_EQ(eval("ok"), "2") << "the next block runs";

    eval("setTimeout(function () { while (true) {} }, 10)");
    host()->setBudget(kRunaway);
    fnd::RunLoop::main().advance(0.02);
    host()->setBudget(kNoMachineReaches);
    EXPECT_EQ(log.count("ran past its 0.1 s budget"), 1u);

    const std::vector<std::string> runaways = {
        "while (true) {}",
        "var big = new Array(100000); for (;;) { big.join('x'); }",
        "for (;;) { try { for (;;) {} } finally { for (;;) {} } }",
    };
    for (const std::string& script : runaways) {
        log.clear();
        host()->setBudget(kRunaway);
        EXPECT_EQ(eval(script + "; 'finished'"), "") << script;
        host()->setBudget(kNoMachineReaches);
        EXPECT_EQ(log.count("ran past its 0.1 s budget"), 1u) << script;
        EXPECT_EQ(eval("ok + 1"), "3") << "the page works after " << script;
    }

    // Catastrophic backtracking stops at the step limit (an error the script may catch), or at the budget
    // on a slow machine.
    log.clear();
    host()->setBudget(kRunaway);
    EXPECT_EQ(eval("/(a+)+b/.test('aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac')"), "");
    host()->setBudget(kNoMachineReaches);
    EXPECT_EQ(log.count("DuktapeScriptHost"), 1u);
    EXPECT_EQ(eval("ok + 1"), "3");
}

TEST_F(DuktapeScriptHostTest, MemoryBombsEndUnderTheCap) {
    fnd::testing::LogCapture log;
    const std::vector<std::string> bombs = {
        "(function () { var s = 'x'; for (;;) { s = s + s; } })()",
        "(function () { var keep = []; for (;;) { keep.push(new Array(4096)); } })()",
    };
    for (const std::string& bomb : bombs) {
        log.clear();
        // The default cap with a time budget no machine reaches first: this is about memory.
        DuktapeScriptHost::Options options;
        options.budget = kNoMachineReaches;
        auto page = std::make_shared<DuktapeScriptHost>(options);
        page->beginDocument(ScriptDocumentInfo{"about:blank", "", "", ""});
        EXPECT_EQ(page->evaluate(bomb).toString(), "") << bomb;
        EXPECT_EQ(log.count("DuktapeScriptHost"), 1u) << bomb;
        EXPECT_LE(page->peakHeapBytes(), DuktapeScriptHost::kDefaultMemoryCap);
        EXPECT_GT(page->peakHeapBytes(), DuktapeScriptHost::kDefaultMemoryCap / 4) << "the bomb really grew";
        EXPECT_EQ(page->evaluate("[1, 2].join('+')").toString(), "1+2") << "the heap works afterwards";
    }
}

TEST_F(DuktapeScriptHostTest, BoundObjectsConvertValuesErrorsAndReleases) {
    auto probe = std::make_shared<ScriptObject>();
    std::vector<fnd::Value> received;
    probe->addMethod("echo", [&](const std::vector<fnd::Value>& args) {
        received = args;
        return args.empty() ? fnd::Value() : args[0];
    });
    probe->addMethod("emoji", [](const std::vector<fnd::Value>&) { return fnd::Value("\xF0\x9F\x98\x80"); });
    probe->addMethod("fail", [](const std::vector<fnd::Value>&) -> fnd::Value { throw std::runtime_error("boom"); });
    probe->addMethod("nested", [&](const std::vector<fnd::Value>&) { return fnd::Value(eval("1 + 1")); });
    probe->addMethod("nestedHost", [&](const std::vector<fnd::Value>&) {
        return fnd::Value(host()->evaluate("1 + 1").toString() + "|");
    });
    probe->addMethod("close", [&](const std::vector<fnd::Value>&) {
        webView_.reset();
        return fnd::Value(true);
    });
    load("<title>Bound</title>");
    webView_->bindObject("Probe", probe);

    EXPECT_EQ(eval("var o = {a: [1, {b: null}], big: 9007199254740992, past: 9007199254740994, half: 0.5,"
                   " f: function () {}, u: undefined}; o.self = o; JSON.stringify(Probe.echo(o))"),
              "{\"a\":[1,{\"b\":null}],\"big\":9007199254740992,\"past\":9007199254740994,\"half\":0.5,"
              "\"f\":null,\"u\":null,\"self\":null}");
    ASSERT_EQ(received.size(), 1u);
    const auto dict = received[0].asDictionary();
    ASSERT_TRUE(dict);
    EXPECT_EQ(dict->objectForKey("big"), fnd::Value(int64_t{9007199254740992}));
    EXPECT_TRUE(dict->objectForKey("past").isDouble());
    EXPECT_TRUE(dict->objectForKey("self").isNull());

    EXPECT_EQ(eval("var e = Probe.emoji(); e.length + ' ' + (e === '\\ud83d\\ude00')"), "2 true");
    EXPECT_EQ(eval("Probe.echo('a\\u0000b\\u2028c\\ud83d\\ude00').length"), "7");
    EXPECT_EQ(received[0], fnd::Value(std::string("a\0b\xE2\x80\xA8"
                                                  "c\xF0\x9F\x98\x80",
                                                  11)));
    EXPECT_EQ(eval("Probe.echo('\\ud800x') === '\\ufffdx'"), "true");

    // Deep nesting becomes null at the cap instead of exhausting the stack.
    eval("var deep = []; for (var i = 0; i < 200; i++) { deep = [deep]; } Probe.echo(deep); 0");
    int depth = 0;
    for (fnd::Value v = received[0]; v.isArray(); v = v.asArray()->objectAtIndex(0)) {
        ++depth;
    }
    EXPECT_EQ(depth, 64);
    // A huge array is refused instead of being copied element by element past any budget
    // (a RangeError, or the budget when copying the first million parts already takes that long).
    host()->setBudget(kRunaway);
    EXPECT_NE(eval("try { Probe.echo(new Array(4294967295)); 'copied' } catch (e) { 'refused' }"), "copied");
    host()->setBudget(kNoMachineReaches);
    EXPECT_EQ(eval("Probe.echo([1, 2]).length"), "2");

    EXPECT_EQ(eval("try { Probe.fail(); 'no' } catch (e) { e.message }"), "Probe.fail: boom");
    EXPECT_EQ(eval("Probe.nested()"), "");
    EXPECT_EQ(eval("Probe.nestedHost()"), "|");

    // Releasing the web view from inside a timer's call: the callback finishes, then host and heap go.
    std::weak_ptr<ScriptHost> timerHost = webView_->scriptHost();
    eval("setTimeout(function () { Probe.close(); window.after = [1, 2].map(function (x) { return x; }); }, 10)");
    fnd::RunLoop::main().advance(0.02);
    EXPECT_FALSE(webView_);
    EXPECT_TRUE(timerHost.expired());

    // The same from an evaluation.
    webView_ = View::create<WebView>(gfx::Rect(0, 0, 320, 200));
    webView_->setDelegate(delegate_);
    load("<title>Again</title>");
    webView_->bindObject("Probe", probe);
    auto page = host();
    EXPECT_EQ(eval("Probe.close() + ' ' + [1, 2].map(function (x) { return x * 2; })"), "true 2,4");
    EXPECT_FALSE(webView_);
    EXPECT_EQ(page->heapBytes(), 0u);

    // The same for a host whose document ends and whose last owner lets go during the call.
    auto solo = std::make_shared<DuktapeScriptHost>();
    std::weak_ptr<DuktapeScriptHost> watch = solo;
    solo->beginDocument(ScriptDocumentInfo{"about:blank", "", "", ""});
    auto owner = std::make_shared<ScriptObject>();
    owner->addMethod("end", [&solo](const std::vector<fnd::Value>&) {
        solo->endDocument();
        solo.reset();
        return fnd::Value(1);
    });
    solo->bindObject("Owner", owner);
    DuktapeScriptHost* raw = solo.get();
    EXPECT_EQ(raw->evaluate("Owner.end() + [1, 2].map(function (x) { return x * 2; }).length").toString(), "3");
    EXPECT_TRUE(watch.expired());
}

} // namespace
} // namespace ui
