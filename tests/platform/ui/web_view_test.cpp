// Tests of the web view stand-in: navigation policy and custom schemes, the load lifecycle for
// file, HTTP and inline pages, failures, delegate headers on the wire, history, scripts and what
// the view draws.
#include "platform/ui/web_view.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../foundation/http_test_server.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/backends.h"
#include "platform/ui/testing/web_view_driver.h"

namespace ui {
namespace {

// Records every callback as a line; refuses zelvan:// and hands it to "native code"; adds a header.
class RecordingDelegate : public WebViewDelegate {
public:
    bool webViewShouldStartLoadWithRequest(WebView&, fnd::UrlRequest& request, NavigationType type) override {
        events.push_back("should " + request.url().absoluteString() + " " + std::to_string(static_cast<int>(type)));
        userAgents.push_back(request.valueForHTTPHeaderField("User-Agent").value_or(""));
        if (request.url().scheme() == "zelvan") {
            handedToNative.push_back(request.url().absoluteString());
            return false;
        }
        request.setValue("from-delegate", "X-Custom");
        return true;
    }
    void webViewDidStartLoad(WebView&) override { events.push_back("start"); }
    void webViewDidFinishLoad(WebView&) override { events.push_back("finish"); }
    void webViewDidFailLoadWithError(WebView&, const fnd::Error& error) override {
        events.push_back("fail " + std::to_string(error.code()));
    }

    std::vector<std::string> events;
    std::vector<std::string> userAgents;
    std::vector<std::string> handedToNative;
};

class WebViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        webView_ = View::create<WebView>(gfx::Rect(0, 0, 320, 200));
        webView_->setDelegate(delegate_);
    }
    void TearDown() override {
        webView_.reset();
        installScriptHostFactory(nullptr);
        fnd::Clock::install(nullptr);
    }

    std::string writePage(const std::string& name, const std::string& text) {
        const std::string path = fnd::AppFolders::temporary() + "/" + name;
        std::filesystem::create_directories(fnd::AppFolders::temporary());
        EXPECT_TRUE(fnd::writeFile(path, fnd::Bytes(text.begin(), text.end())));
        return path;
    }
    fnd::Url fileUrl(const std::string& path) { return fnd::Url::fileUrl(path); }
    std::vector<std::string> takeEvents() { return std::exchange(delegate_->events, {}); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
    std::shared_ptr<WebView> webView_;
    testing::WebViewDriver driver() { return testing::WebViewDriver(webView_); }
};

TEST_F(WebViewTest, CustomSchemesReachNativeCodeAndAreRefused) {
    auto base = *fnd::Url::parse("http://lobby.test/app/");
    webView_->loadHTMLString("<title>Lobby</title><a href='zelvan://openchat?id=7'>chat</a><a href=rooms.html>r</a>"
                             "<iframe src='zelvan://frame?x=1'></iframe>",
                             base);
    EXPECT_TRUE(takeEvents().empty()) << "navigations wait for the next pass";
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should http://lobby.test/app/ 5", "start",
                                                      "should zelvan://frame?x=1 5", "finish"}));

    ASSERT_TRUE(driver().clickLink(size_t{0}));
    ASSERT_TRUE(driver().finishLoad());
    webView_->scriptHost(); // the page's host is still the same document's
    auto host = driver().recordingHost();
    ASSERT_TRUE(host);
    host->triggerNavigation("zelvan://gameover?score=3");
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(),
              (std::vector<std::string>{"should zelvan://openchat?id=7 0", "should zelvan://gameover?score=3 5"}));
    EXPECT_EQ(delegate_->handedToNative,
              (std::vector<std::string>{"zelvan://frame?x=1", "zelvan://openchat?id=7", "zelvan://gameover?score=3"}));
    // Refused navigations leave the page as it was.
    EXPECT_EQ(webView_->request()->url().absoluteString(), "http://lobby.test/app/");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("document.title"), "Lobby");
    EXPECT_FALSE(webView_->canGoBack());
    for (const std::string& agent : delegate_->userAgents) {
        EXPECT_EQ(agent, WebView::kDefaultUserAgent);
    }

    // A relative link resolves against the page and is asked about as a link click.
    ASSERT_TRUE(driver().clickLink(size_t{1}));
    webView_->stopLoading(); // dropped before it was asked about
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_FALSE(driver().clickLink(size_t{2}));
}

TEST_F(WebViewTest, FilePageLifecycleScriptsAndReload) {
    writePage("lib.js", "libraryLoaded();");
    const std::string page = writePage("page.html", "<html><head><title>File Page</title><script>first();</script>"
                                                    "<script src='lib.js'></script><script>third();</script></head>"
                                                    "<body onload='start();'><a href='other.html'>o</a></body></html>");
    webView_->loadRequest(fnd::UrlRequest(fileUrl(page)));
    ASSERT_TRUE(driver().finishLoad());
    const std::string url = fileUrl(page).absoluteString();
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should " + url + " 5", "start", "finish"}));
    EXPECT_FALSE(webView_->isLoading());
    const std::vector<RecordingScriptHost::RecordedScript> scripts = {
        {"first();", url},
        {"libraryLoaded();", fileUrl(fnd::AppFolders::temporary() + "/lib.js").absoluteString()},
        {"third();", url},
        {"start();", url},
    };
    EXPECT_EQ(driver().scripts(), scripts);
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("document.title"), "File Page");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("window.location.href"), url);

    // What the view draws: the title on its background.
    auto shot = webView_->screenshot();
    int ink = 0;
    for (int y = 0; y < shot->height(); ++y) {
        for (int x = 0; x < shot->width(); ++x) {
            ink += shot->pixelAt(x, y).r < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(shot->pixelAt(300, 190), (gfx::Rgba8{255, 255, 255, 255}));

    webView_->reload();
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should " + url + " 3", "start", "finish"}));
    EXPECT_EQ(webView_->historyUrls(), std::vector<std::string>{url});
    EXPECT_EQ(driver().scripts().size(), 4u) << "a new document has a new host";
}

TEST_F(WebViewTest, HttpPageCarriesDelegateHeaders) {
    fnd::testing::HttpTestServer server;
    server.server().Get("/page", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("<title>" + req.get_header_value("X-Custom") + " " + req.get_header_value("User-Agent") +
                            "</title><script src='/app.js'></script>",
                        "text/html; charset=utf-8");
    });
    server.server().Get("/app.js", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("ua('" + req.get_header_value("User-Agent") + "');", "application/javascript");
    });
    const fnd::Url url = server.url("/page");
    webView_->loadRequest(fnd::UrlRequest(url));
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should " + url.absoluteString() + " 5", "start", "finish"}));
    EXPECT_EQ(webView_->document().title(), std::string("from-delegate ") + WebView::kDefaultUserAgent);
    ASSERT_EQ(driver().scripts().size(), 1u);
    EXPECT_EQ(driver().scripts()[0].source, std::string("ua('") + WebView::kDefaultUserAgent + "');");
    EXPECT_EQ(webView_->request()->valueForHTTPHeaderField("X-Custom"), "from-delegate");

    // An error status still shows its page.
    server.server().Get("/gone", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<title>Not here</title>", "text/html");
    });
    webView_->loadRequest(fnd::UrlRequest(server.url("/gone")));
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents().back(), "finish");
    EXPECT_EQ(webView_->document().title(), "Not here");
}

TEST_F(WebViewTest, LoadFailures) {
    fnd::testing::HttpTestServer server;
    struct Case {
        fnd::Url url;
        int64_t code;
    };
    const std::vector<Case> cases = {
        {fileUrl(fnd::AppFolders::temporary() + "/missing.html"), fnd::UrlError::FileDoesNotExist},
        {*fnd::Url::parse("nowhere://page"), fnd::UrlError::UnsupportedUrl},
        {*fnd::Url::parse(fnd::testing::refusedUrl()), fnd::UrlError::CannotConnectToHost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.absoluteString());
        webView_->loadRequest(fnd::UrlRequest(c.url));
        ASSERT_TRUE(driver().finishLoad());
        EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should " + c.url.absoluteString() + " 5", "start",
                                                          "fail " + std::to_string(c.code)}));
    }
    EXPECT_FALSE(webView_->canGoBack());
    EXPECT_EQ(webView_->historyIndex(), -1) << "failed loads add no history";

    // Injected failure, without touching the network.
    driver().failNextLoad(fnd::UrlError::NotConnectedToInternet);
    webView_->loadRequest(fnd::UrlRequest(server.url("/echo")));
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents().back(), "fail -1009");

    // A new load cancels a running one; stopLoading cancels too.
    webView_->loadRequest(fnd::UrlRequest(server.url("/stall")));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return webView_->isLoading(); }));
    webView_->loadHTMLString("<title>next</title>");
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should " + server.url("/stall").absoluteString() + " 5", "start",
                                                      "should about:blank 5", "fail -999", "start", "finish"}));
    webView_->loadRequest(fnd::UrlRequest(server.url("/stall")));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return webView_->isLoading(); }));
    webView_->stopLoading();
    EXPECT_FALSE(webView_->isLoading());
    EXPECT_EQ(takeEvents().back(), "fail -999");
    EXPECT_EQ(webView_->document().title(), "next");
}

TEST_F(WebViewTest, HtmlStringWithBaseUrlAndHistory) {
    fnd::testing::HttpTestServer server;
    server.server().Get("/dir/lib.js", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("fromBase();", "application/javascript");
    });
    const fnd::Url base = server.url("/dir/");
    webView_->loadHTMLString("<title>one</title><script src='lib.js'></script><a href='two.html'>2</a>", base);
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(webView_->request()->url(), base);
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("document.location.href"), base.absoluteString());
    ASSERT_EQ(driver().scripts().size(), 1u);
    EXPECT_EQ(driver().scripts()[0],
              (RecordingScriptHost::RecordedScript{"fromBase();", base.absoluteString() + "lib.js"}));

    webView_->loadHTMLString("<title>two</title>", *fnd::Url::parse("http://two.test/"));
    ASSERT_TRUE(driver().finishLoad());
    webView_->loadHTMLString("<title>three</title>");
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(webView_->historyUrls(),
              (std::vector<std::string>{base.absoluteString(), "http://two.test/", "about:blank"}));
    EXPECT_TRUE(webView_->canGoBack());
    EXPECT_FALSE(webView_->canGoForward());
    takeEvents();

    webView_->goBack();
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(takeEvents(), (std::vector<std::string>{"should http://two.test/ 2", "start", "finish"}));
    EXPECT_EQ(webView_->document().title(), "two");
    webView_->goBack();
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(webView_->document().title(), "one");
    EXPECT_FALSE(webView_->canGoBack());
    EXPECT_TRUE(webView_->canGoForward());
    webView_->goBack(); // nothing further back
    webView_->goForward();
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(webView_->document().title(), "two");
    EXPECT_EQ(webView_->historyIndex(), 1);

    // A new page drops the forward entries.
    webView_->loadHTMLString("<title>four</title>");
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_EQ(webView_->historyUrls(),
              (std::vector<std::string>{base.absoluteString(), "http://two.test/", "about:blank"}));
    EXPECT_EQ(webView_->document().title(), "four");
    EXPECT_FALSE(webView_->canGoForward());
}

// A host with an engine's answers: numbers, booleans and null, plus a call back into native code.
class AnsweringHost : public RecordingScriptHost {
public:
    AnsweringHost() {
        answer("1 + 1", ScriptResult::number(2));
        answer("ready", ScriptResult::boolean(true));
        answer("nothing", ScriptResult::null());
    }
};

TEST_F(WebViewTest, ScriptsBindingsTimersAndNesting) {
    // Before any load: an empty document, recorded.
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("document.title"), "");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("window.location.href"), "about:blank");
    EXPECT_EQ(driver().recordingHost()->evaluations().size(), 2u);

    installScriptHostFactory([] { return std::make_shared<AnsweringHost>(); });
    auto zelvan = std::make_shared<ScriptObject>();
    std::string nested = "unset";
    zelvan->addMethod("gameScriptCall", [&](const std::vector<fnd::Value>&) {
        nested = webView_->stringByEvaluatingJavaScriptFromString("1 + 1");
        return fnd::Value(true);
    });
    webView_->bindObject("Zelvan", zelvan);
    webView_->loadHTMLString("<title>game</title><body onload='Zelvan.gameScriptCall()'>");
    ASSERT_TRUE(driver().finishLoad());
    auto host = driver().recordingHost();
    ASSERT_TRUE(std::dynamic_pointer_cast<AnsweringHost>(host));
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("1 + 1"), "2");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("ready"), "true");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("nothing"), "");

    // The page calls the bound object: outside an evaluation, native code may evaluate.
    EXPECT_TRUE(host->invokeBinding("Zelvan", "gameScriptCall", {}).has_value());
    EXPECT_EQ(nested, "2");
    // Inside one (a host answering through native code), a nested evaluation gets "".
    host->setAnswerer([&](const std::string&) -> std::optional<ScriptResult> {
        host->invokeBinding("Zelvan", "gameScriptCall", {});
        return ScriptResult("outer");
    });
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("callIntoNative()"), "outer");
    EXPECT_EQ(nested, "");

    // Page timers run on the main loop under the manual clock and end with the document.
    const uint64_t poll = host->setTimer("commandList();", 1.0 / 30, fnd::Repeats::Yes);
    ASSERT_NE(poll, 0u);
    fnd::RunLoop::main().advance(0.1);
    size_t polls = 0;
    for (const auto& s : host->scripts()) {
        polls += s.source == "commandList();" ? 1 : 0;
    }
    EXPECT_EQ(polls, 3u);
    webView_->loadHTMLString("<title>next</title>");
    ASSERT_TRUE(driver().finishLoad());
    EXPECT_TRUE(host->documentEnded());
    const size_t before = host->scripts().size();
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(host->scripts().size(), before);
    // The binding reaches the new document too.
    EXPECT_TRUE(driver().recordingHost()->boundObject("Zelvan"));
}

} // namespace
} // namespace ui
