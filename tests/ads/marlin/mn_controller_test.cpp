// The interstitial client's entry points, controller and content controller with a real script engine
// and a scripted client under the manual clock: creation and its stored settings, the display states
// and the pre-roll check-in, the visibility relays, the Menu button, the page URL policy, shutdown
// against a client that never idles, and the message box.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ads/marlin/base64.h"
#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/marlin_context.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "ads/marlin/mn_database.h"
#include "ads/marlin/mn_message_box.h"
#include "core/app_registry.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/button.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::marlin {
namespace {

class Recorder : public MarlinDelegate {
public:
    void marlinDisplayWillOpen() override { heard.push_back("WillOpen"); }
    void marlinDisplayWillClose() override { heard.push_back("WillClose"); }
    void marlinConnectionFailed() override { heard.push_back("ConnectionFailed"); }
    void marlinAdDisplayFailed() override { heard.push_back("AdDisplayFailed"); }
    std::vector<std::string> heard;
};

// A boot script that records its arguments, and a client that records what it is asked.
constexpr const char* kBootScript = "var bootArgs = '';\n"
                                    "function boot(a, b, c, d, e) { bootArgs = [a, b, c, d, e].join('|'); }\n";
constexpr const char* kClientScript = "var shown = '', prefetches = 0;\n"
                                      "function displayAd(reach, preRoll) { shown = reach + ',' + preRoll; }\n"
                                      "function prefetchAd() { prefetches++; }\n"
                                      "function shutdown() {}\n";

AppRegistry registryWith(std::shared_ptr<MarlinContext> context) {
    AppRegistry registry;
    registry.marlin.factory = ServiceSlot<MarlinContext>::fixed(std::move(context));
    return registry;
}

class MarlinControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        reachability_ = fnd::testing::FakeReachability::install();
        ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
        appWindow_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        appWindow_->makeKeyAndVisible();
        context_ = std::make_shared<MarlinContext>(NetworkEndpoint("http://127.0.0.1:9", "/marlin"));
        app_ = std::make_unique<ScopedAppDelegate>(registryWith(context_));
        storeScripts(kBootScript, kClientScript);
    }
    void TearDown() override {
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        MNDealloc();
        app_.reset();
        appWindow_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        ui::installScriptHostFactory(nullptr);
        fnd::installReachabilityProvider(nullptr);
        fnd::Clock::install(nullptr);
    }

    static void storeScripts(const std::string& boot, const std::string& client) {
        MNDatabase db;
        for (const auto& [name, script] : {std::pair{"boot.js", boot}, std::pair{"client.js", client}}) {
            db.execute("DELETE FROM javascript WHERE filename=?", {fnd::Value(name)});
            db.execute("INSERT INTO javascript (filename, script) VALUES(?, ?)",
                       {fnd::Value(name), fnd::Value(Base64::base64StringWithString(script))});
        }
    }
    std::shared_ptr<MNContentController> content() { return MNControllerInstance()->contentController(); }
    std::string eval(const std::string& js) { return content()->webView()->stringByEvaluatingJavaScriptFromString(js); }
    void finishLoad() { ASSERT_TRUE(ui::testing::WebViewDriver(content()->webView()).finishLoad()); }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<ui::Window> appWindow_;
    std::shared_ptr<MarlinContext> context_;
    std::unique_ptr<ScopedAppDelegate> app_;
};

TEST(MarlinEntryPointsTest, WithoutContextOrServerNothingIsMade) {
    fnd::testing::ScopedAppRoot root;
    EXPECT_FALSE(MNInit(5));
    EXPECT_FALSE(MNDisplayAd());
    MNDealloc();

    auto context = std::make_shared<MarlinContext>();
    ScopedAppDelegate app(registryWith(context));
    fnd::testing::LogCapture log;
    EXPECT_FALSE(MNInit(5));
    EXPECT_FALSE(MNDisplayAd());
    EXPECT_EQ(log.count("no --ads-base and no custom server"), 1u);
    EXPECT_FALSE(context->controller);
}

TEST_F(MarlinControllerTest, CreationAppliesStoredValuesAndClearsLeftovers) {
    EXPECT_FALSE(MNDisplayAd());
    EXPECT_FALSE(MNInit(0));
    EXPECT_FALSE(MNDisplayAd());
    EXPECT_FALSE(context_->controller);

    const std::string tmp = fnd::AppFolders::temporary();
    fnd::FileManager::createDirectoryAtPath(tmp);
    for (const char* name : {"marlin-3.zip", "marlinX", "marlin", "other.zip"}) {
        fnd::writeFile(fnd::appendingPathComponent(tmp, name), fnd::Bytes{'x'});
    }
    auto recorder = std::make_shared<Recorder>();
    MNSetDelegate(recorder);
    MNSetRelativeRotation(90);
    auto controller = MNInit(5);
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->delegate(), recorder);
    EXPECT_EQ(controller->serverURL(), "http://127.0.0.1:9/marlin/AdBridgeServer");
    EXPECT_NEAR(controller->contentController()->transform().b, 1.0, 1e-9);
    auto left = fnd::FileManager::contentsOfDirectoryAtPath(tmp).value_or(std::vector<std::string>{});
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"marlin", "other.zip"}));
    EXPECT_EQ(controller->mnWindow()->windowLevel(), ui::kWindowLevelAlert);
    EXPECT_TRUE(controller->mnWindow()->isHidden());
    EXPECT_EQ(MNController::sharedController(), controller);

    // The boot expression: the id as 64 bits, the device string without blanks, the SDK version.
    finishLoad();
    EXPECT_EQ(eval("bootArgs").substr(0, 2), "5|");
    EXPECT_NE(eval("bootArgs").find("|LinuxDevice-3.1|"), std::string::npos);
    EXPECT_NE(eval("bootArgs").find("|2.3.1|0.0"), std::string::npos);
    EXPECT_EQ(content()->bootExpression(5000000000).substr(0, 17), "boot(5000000000, ");
    EXPECT_GT(content()->sessionStart(), 0);

    // A custom server replaces the default one.
    MNDealloc();
    EXPECT_EQ(MNInitWithCustomServer(6, "http://127.0.0.1:9/custom")->serverURL(), "http://127.0.0.1:9/custom");
}

TEST_F(MarlinControllerTest, DisplayStatesPreRollCheckInAndDismissal) {
    auto recorder = std::make_shared<Recorder>();
    MNSetDelegate(recorder);
    auto controller = MNInit(5);
    finishLoad();
    MNDatabase& db = controller->database();
    db.execute("CREATE TABLE nextAd (id TEXT)", {});
    db.execute("INSERT INTO nextAd (id) VALUES('a')", {});
    ASSERT_EQ(db.sqlExecute("SELECT id FROM nextAd").asArray()->count(), 1u);
    db.setRecordIDTableValue("isAdPrefetched", MNDatabase::kSettingsTable, 1);

    // No prefetched ad: no display.
    EXPECT_FALSE(MNDisplayAd());
    // A pre-roll display from state 0 becomes 4 with the check-in timer and starts the client.
    content()->setAdPrefetched(true);
    EXPECT_TRUE(MNDisplayAd());
    EXPECT_EQ(content()->clientState(), 4);
    EXPECT_TRUE(content()->hasPreRollCheckInTimer());
    EXPECT_FALSE(MNDisplayAd());
    finishLoad();
    EXPECT_EQ(eval("shown"), "2,1");
    EXPECT_EQ(content()->markedVisibilityFlags(), MNContentController::kVisibleLoadingScreen);
    EXPECT_EQ(recorder->heard, (std::vector<std::string>{"WillOpen"}));

    // No check-in within 10 s: the client is rebooted and the prefetched ad dropped.
    fnd::RunLoop::main().advance(9.9);
    EXPECT_EQ(content()->clientState(), 4);
    fnd::RunLoop::main().advance(0.2);
    EXPECT_EQ(content()->clientState(), 0);
    EXPECT_FALSE(content()->isAdPrefetched());
    EXPECT_EQ(db.valueForRecordID("isAdPrefetched", MNDatabase::kSettingsTable, 7), 0);
    EXPECT_EQ(db.sqlExecute("SELECT id FROM nextAd").asArray()->count(), 0u);
    EXPECT_EQ(recorder->heard, (std::vector<std::string>{"WillOpen", "WillClose"}));

    // A check-in drops the timer.
    finishLoad();
    content()->setAdPrefetched(true);
    ASSERT_TRUE(MNDisplayAd());
    content()->setHasClientCheckedInOnPreRoll(true);
    EXPECT_FALSE(content()->hasPreRollCheckInTimer());
    fnd::RunLoop::main().advance(11);
    EXPECT_EQ(content()->clientState(), 4);
    content()->dismiss();
    EXPECT_EQ(content()->clientState(), 0);

    // An ordinary display from state 1 becomes 3; its dismissal asks the running client for the next ad.
    finishLoad();
    content()->setClientState(1);
    content()->setAdPrefetched(true);
    ASSERT_TRUE(MNDisplayAd());
    EXPECT_EQ(content()->clientState(), 3);
    EXPECT_FALSE(content()->hasPreRollCheckInTimer());
    finishLoad();
    EXPECT_EQ(eval("shown"), "2,0");
    content()->dismiss();
    EXPECT_EQ(eval("prefetches"), "1");

    // Without a prefetched ad the display waits for the client's "prefetch" flag.
    content()->setClientState(1);
    content()->setAdPrefetched(false);
    EXPECT_FALSE(controller->displayAdView());
    EXPECT_EQ(content()->clientState(), 1);
    content()->setAdPrefetched(true);
    content()->jsBridge()->setFlag("prefetch");
    EXPECT_EQ(content()->clientState(), 3);
}

TEST_F(MarlinControllerTest, CancelVisibilityAndMenuTimer) {
    auto recorder = std::make_shared<Recorder>();
    MNSetDelegate(recorder);
    MNInit(5);
    finishLoad();
    auto c = content();

    // Bits 1 and 2: WillOpen when the first is set, WillClose when the last is cleared.
    c->mark(1, true);
    c->mark(2, true);
    c->mark(1, false);
    EXPECT_EQ(recorder->heard, (std::vector<std::string>{"WillOpen"}));
    c->mark(2, false);
    EXPECT_EQ(recorder->heard, (std::vector<std::string>{"WillOpen", "WillClose"}));

    // A cancel outside a display tells the delegate, and the next display of a prefetched ad is skipped.
    recorder->heard.clear();
    c->cancelAdDisplay();
    EXPECT_EQ(recorder->heard, (std::vector<std::string>{"AdDisplayFailed"}));
    c->setAdPrefetched(true);
    EXPECT_FALSE(MNDisplayAd());
    EXPECT_EQ(c->clientState(), 0);
    EXPECT_TRUE(MNDisplayAd());
    c->setHasClientCheckedInOnPreRoll(true);
    c->setClientState(3);
    recorder->heard.clear();
    c->cancelAdDisplay();
    EXPECT_TRUE(recorder->heard.empty());

    // The Menu button: 0 keeps it hidden, a negative value shows it at once, 10 after 10 s.
    c->setMenuTimerValue(0);
    c->placeMenuButton();
    c->scheduleMenuButtonAppearance();
    EXPECT_TRUE(c->menuButton()->isHidden());
    c->setMenuTimerValue(-1);
    c->scheduleMenuButtonAppearance();
    EXPECT_FALSE(c->menuButton()->isHidden());
    c->setMenuTimerValue(10);
    c->hideMenuButton();
    c->scheduleMenuButtonAppearance();
    fnd::RunLoop::main().advance(9.5);
    EXPECT_TRUE(c->menuButton()->isHidden());
    fnd::RunLoop::main().advance(1);
    EXPECT_FALSE(c->menuButton()->isHidden());
    EXPECT_EQ(c->menuButton()->frame(), gfx::Rect(8, c->transformationViewSize().height - 32, 64, 24));

    // A loading page the client names is loaded only from inside Documents.
    fnd::testing::LogCapture log;
    c->setAdPrefetched(true);
    c->setLoadingMessage("@../../outside.html");
    c->showLoadingScreen();
    EXPECT_TRUE(log.contains("is not inside Documents"));
    log.clear();
    c->setLoadingMessage("@MNContent/loading.html");
    c->showLoadingScreen();
    EXPECT_FALSE(log.contains("is not inside Documents"));
    c->dismissLoadingScreen();
}

TEST_F(MarlinControllerTest, PageUrlPolicy) {
    auto controller = MNInit(5);
    finishLoad();
    auto c = content();
    auto url = [](const std::string& text) { return *fnd::Url::parse(text); };
    auto& app = ui::Application::shared();
    app.clearOpenedUrls();

    EXPECT_TRUE(c->shouldStartLoad(url("file:///x.html"), ui::NavigationType::LinkClicked));
    EXPECT_FALSE(c->shouldStartLoad(url("about:blank"), ui::NavigationType::Other));
    EXPECT_TRUE(c->shouldStartLoad(url("http://h.test/a"), ui::NavigationType::Other));
    // Store and maps addresses and other schemes leave the application.
    EXPECT_FALSE(c->shouldStartLoad(url("http://127.0.0.1:9/marlin/store/app?id=1"), ui::NavigationType::Other));
    EXPECT_FALSE(c->shouldStartLoad(url("tel:123"), ui::NavigationType::LinkClicked));
    EXPECT_EQ(app.openedUrls(), (std::vector<std::string>{"http://127.0.0.1:9/marlin/store/app?id=1", "tel:123"}));

    // Records through dbWrite; a table name that is no identifier is refused.
    controller->database().createTable("t1");
    const std::string data = Base64::base64StringWithString("hello?");
    EXPECT_FALSE(c->shouldStartLoad(url("marlin://command/dbWrite?id=r1&table=t1&data=" + data),
                                    ui::NavigationType::LinkClicked));
    EXPECT_EQ(controller->database().dataForRecordID("r1", "t1"), (fnd::Bytes{'h', 'e', 'l', 'l', 'o', '?'}));
    fnd::testing::LogCapture log;
    c->shouldStartLoad(url("marlin://command/dbWrite?id=r2&table=t1%3BDROP&data=" + data), ui::NavigationType::Other);
    EXPECT_TRUE(log.contains("dbWrite page load was refused"));
    EXPECT_TRUE(controller->database().recordIDsForTable("t1") == std::vector<std::string>{"r1"});

    // performCommand runs an unescaped bridge command.
    c->shouldStartLoad(url("marlin://command/performCommand?method=setSetting%3A%22k%22%20string%3A%22v%22"),
                       ui::NavigationType::Other);
    EXPECT_EQ(controller->database().stringForRecordID("k", MNDatabase::kSettingsTable), "v");

    // The client may veto loads; it sees the address as it stands.
    eval("var seen = ''; function shouldStartLoadWithRequest(u) { seen = u; return u.indexOf('ok') >= 0; }");
    c->setJavascriptRequestPassthrough(true);
    EXPECT_FALSE(c->shouldStartLoad(url("http://h.test/it's"), ui::NavigationType::Other));
    EXPECT_EQ(eval("seen"), "http://h.test/it's");
    EXPECT_TRUE(c->shouldStartLoad(url("http://h.test/ok"), ui::NavigationType::Other));
    c->setJavascriptRequestPassthrough(false);

    // A clicked link opens the in-ad browser; there, failures other than -999 and 204 show an alert.
    EXPECT_FALSE(c->shouldStartLoad(url("http://h.test/page"), ui::NavigationType::LinkClicked));
    EXPECT_TRUE(c->isBrowserMode());
    EXPECT_FALSE(c->navigationBar()->isHidden());
    c->presentContent();
    for (int code : {-999, 204}) {
        c->webViewDidFailLoadWithError(*c->webView(), fnd::Error("fnd.url", code, std::string_view("cancelled")));
    }
    EXPECT_TRUE(ui::AlertPanel::visiblePanels().empty());
    c->webViewDidFailLoadWithError(*c->webView(), fnd::Error("fnd.url", -1004, std::string_view("could not connect")));
    EXPECT_EQ(ui::AlertPanel::visiblePanels().size(), 1u);
    // In browser mode other "marlin" loads are refused without running.
    c->shouldStartLoad(url("marlin://command/dbWrite?id=r3&table=t1&data=" + data), ui::NavigationType::Other);
    EXPECT_FALSE(controller->database().dataForRecordID("r3", "t1"));
}

TEST_F(MarlinControllerTest, VideoPagesAndClickthroughsCarryTextsAsText) {
    MNInit(5);
    finishLoad();
    auto c = content();
    eval("var clicked = ''; function handleClickthrough(u) { clicked = u; }");
    c->shouldStartLoad(*fnd::Url::parse("marlin://ct/go?x='+(hacked=1)+'"), ui::NavigationType::Other);
    EXPECT_EQ(eval("clicked"), "marlin://ct/go?x='+(hacked=1)+'");
    EXPECT_EQ(eval("typeof hacked"), "undefined");

    c->setWebViewTitle("</title><script>hacked = 1;</script>");
    c->requestPage("http://127.0.0.1:9/marlin/video/v?id=\"<b>", false);
    finishLoad();
    EXPECT_EQ(eval("document.title"), "</title><script>hacked = 1;</script>");
    EXPECT_EQ(eval("typeof hacked"), "undefined");
    EXPECT_EQ(eval("document.getElementById('video').getAttribute('src')"),
              "http://127.0.0.1:9/marlin/video/v?id=\"<b>");
}

TEST_F(MarlinControllerTest, DeallocReturnsAgainstAClientThatNeverIdles) {
    // Every poll queues another command.
    storeScripts(std::string(kBootScript) + "var polls = 0; var inner = null;\n"
                                            "function shutdown() { inner = commandList;\n"
                                            "  commandList = function() { polls++; sendCommand('hideMenuButton;'); "
                                            "return inner(); }; }\n",
                 kClientScript);
    std::weak_ptr<MNController> controller = MNInit(5);
    std::weak_ptr<MNContentController> content = controller.lock()->contentController();
    finishLoad();
    fnd::testing::LogCapture log;
    MNDealloc();
    EXPECT_TRUE(log.contains("kept queuing commands through 100 polls"));
    EXPECT_TRUE(controller.expired());
    EXPECT_TRUE(content.expired());
    EXPECT_FALSE(MNController::sharedController());
    fnd::RunLoop::main().advance(60);
}

TEST(MarlinMessageBoxTest, StackingCapTitleAndPopIn) {
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    auto box = MNMessageBox::messageBox();
    auto view = box->boxView();
    EXPECT_EQ(view->frame(), gfx::Rect(32, 112, 256, 256));
    EXPECT_EQ(view->cornerRadius(), 16);

    box->setTitle("First");
    auto block = ui::View::create<ui::View>(gfx::Rect(0, 0, 100, 200));
    box->addView(block);
    box->setTitle("Second");
    const auto& stacked = view->contentView()->subviews();
    ASSERT_EQ(stacked.size(), 2u);
    EXPECT_EQ(stacked[0], block);
    EXPECT_EQ(stacked[1], box->titleView());
    EXPECT_EQ(box->titleView()->text(), "Second");
    const double before = view->contentSize().height;
    box->removeView(ui::View::create<ui::View>(gfx::Rect(0, 0, 10, 50)));
    EXPECT_EQ(view->contentSize().height, before);

    box->addView(ui::View::create<ui::View>(gfx::Rect(0, 0, 100, 200)));
    ui::AnimationLog::clear();
    box->show();
    EXPECT_EQ(view->bounds().size.height, MNMessageBoxView::kMaximumHeight);
    EXPECT_GT(view->contentSize().height, view->contentView()->bounds().size.height);
    EXPECT_EQ(view->contentView()->contentSize().height, view->contentSize().height);
    EXPECT_EQ(view->superview(), window);
    auto entries = ui::AnimationLog::entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name, "MNMessageBox");
    EXPECT_DOUBLE_EQ(entries.back().duration, 0.5);
    EXPECT_EQ(view->alpha(), 1.0);
    ASSERT_TRUE(view->bgLayer());
    EXPECT_EQ(view->bgLayer()->size(), view->bounds().size);

    box->hide();
    fnd::RunLoop::main().runUntilIdle();
    window->setHidden(true);
}

} // namespace
} // namespace zelvan::marlin
