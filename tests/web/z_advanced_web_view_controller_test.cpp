// The page controller: page keys loaded from the web host through the web cache, a page that failed
// loaded again when its view appears, a page's slidenewpage and back actions on a navigation controller, the
// dispatcher's fallback under a subclass that adds its own action, alerts answering the page, and callJS from a worker
// thread.
#include <gtest/gtest.h>

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/bridge_targets.h"
#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/thread.h"
#include "platform/ui/control.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/recording_script_host.h"
#include "web/js_escape.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"
#include "web/zlv_web_dialog.h"

namespace zelvan {
namespace {

std::shared_ptr<ui::RecordingScriptHost> recordingHost(const ZAdvancedWebViewController& controller) {
    return std::dynamic_pointer_cast<ui::RecordingScriptHost>(controller.webView()->scriptHost());
}

class ZAdvancedWebViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
        http_.Get(homePath_, [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard lock(mutex_);
                paths_.push_back(request.path + "?uid=" + request.get_param_value("uid"));
            }
            response.set_content("<html><head><title>Home " + request.get_param_value("uid") +
                                     "</title></head><body></body></html>",
                                 "text/html");
        });
        // Refused while the test says so (a page asked for before log-in), then served.
        http_.Get("/iphone/lobby.html", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            ++lobbyRequests_;
            if (refuseLobby_) {
                response.status = 401;
                return;
            }
            response.set_content("<html><head><title>Lobby</title></head><body></body></html>", "text/html");
        });
        http_.set_keep_alive_max_count(1); // every response closes, so stop() never waits on idle clients
        const int port = http_.bind_to_any_port("127.0.0.1");
        server_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) {
            std::this_thread::yield();
        }
        webHost_ = "127.0.0.1:" + std::to_string(port);
        WebCacheEnvironment environment;
        environment.webHost = [host = webHost_] { return host; };
        cache_ = std::make_shared<ZelvanWebCache>(environment);
        AppConfig config;
        config.webHost = webHost_;
        AppRegistry registry;
        registry.zelvanWebCache.factory = ServiceSlot<WebCacheService>::fixed(cache_);
        registry.webDialogController = [](zelvanAppDelegate&) -> std::shared_ptr<WebDialogController> {
            return ZAdvancedWebViewController::create();
        };
        zelvanAppDelegate::setInstance(zelvanAppDelegate::create(config, std::move(registry)));
    }
    void TearDown() override {
        http_.stop();
        server_.join();
        zelvanAppDelegate::setInstance(nullptr);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }

    // Plays the network thread for the cache until the controller shows a page titled `title`.
    bool showsPage(const ZAdvancedWebViewController& controller, const std::string& title) {
        return fnd::RunLoop::main().pumpUntil(
            [&] {
                cache_->startQueuedFetches();
                return !controller.webView()->isLoadingPage() && controller.webView()->document().title() == title;
            },
            10.0);
    }
    std::vector<std::string> paths() {
        std::lock_guard lock(mutex_);
        return paths_;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    httplib::Server http_;
    std::thread server_;
    std::mutex mutex_;
    std::vector<std::string> paths_;
    bool refuseLobby_ = true;
    int lobbyRequests_ = 0;
    std::string webHost_;
    // The path of the "static_home" page key on the web host.
    const std::string homePath_ = "/iphone/" + ZLS("static_home");
    std::shared_ptr<ZelvanWebCache> cache_;
};

TEST_F(ZAdvancedWebViewControllerTest, PageKeysLoadFromTheWebHostAndSlideToNewPages) {
    auto home = ZAdvancedWebViewController::initWithUrl("static_home?uid=1");
    auto navigation = ui::NavigationController::initWithRootViewController(home);
    home->view();
    EXPECT_TRUE(home->isShowingLoading());
    ASSERT_TRUE(showsPage(*home, "Home 1"));
    const std::string pageUrl = "http://" + webHost_ + homePath_ + "?uid=1";
    EXPECT_EQ(home->webView()->pageUrl(), pageUrl);
    EXPECT_GT(cache_->fileSize(pageUrl), 0); // the page came through the cache
    EXPECT_FALSE(home->isShowingLoading());

    // A bar the page asks for gets the page's parameters, the query of its URL, as its context.
    struct Bar : AvatarItemBarTarget {
        fnd::Value context;
        std::shared_ptr<ui::View> view() override { return nullptr; }
        void setWebView(const std::shared_ptr<ui::View>&) override {}
        void refreshWithCtx(const fnd::Value& ctx, const std::string&) override { context = ctx; }
        void selectButton(int32_t, bool) override {}
        void scrollToItem(int32_t, bool) override {}
        void flashScrollIndicators() override {}
    };
    auto bar = std::make_shared<Bar>();
    zelvanAppDelegate::current()->installBridgeTargets(
        [&](BridgeTargets& t) { t.avatarItemBarFactory = [bar](const gfx::Rect&) { return bar; }; });
    recordingHost(*home)->invokeBinding("Zelvan", "showAvatarItemBar", {0, 0, 320, 60});
    EXPECT_EQ(bar->context, fnd::Value::dictionary({{"uid", "1"}}));

    // The page opens a user's home page: a new controller is pushed with that page.
    recordingHost(*home)->triggerNavigation("zelvan://slidenewpage?static_home?uid=42");
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(navigation->viewControllers().size(), 2u);
    auto friendPage = std::dynamic_pointer_cast<ZAdvancedWebViewController>(navigation->topViewController());
    ASSERT_TRUE(friendPage);
    EXPECT_EQ(friendPage->initUrl(), "static_home?uid=42");
    friendPage->view();
    ASSERT_TRUE(showsPage(*friendPage, "Home 42"));
    EXPECT_EQ(home->webView()->document().title(), "Home 1");

    // openUrl of a page key loads the next page in place; back leaves the pushed controller.
    friendPage->openUrl("static_home?uid=7");
    ASSERT_TRUE(showsPage(*friendPage, "Home 7"));
    EXPECT_EQ(friendPage->webView()->historyUrls().size(), 2u);
    recordingHost(*friendPage)->triggerNavigation("zelvan://back");
    fnd::RunLoop::main().runUntilIdle();
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(paths(), (std::vector<std::string>{homePath_ + "?uid=1", homePath_ + "?uid=42", homePath_ + "?uid=7"}));
}

TEST_F(ZAdvancedWebViewControllerTest, PageThatFailedLoadsAgainWhenItsViewAppears) {
    auto lobby = ZAdvancedWebViewController::initWithUrl("http://" + webHost_ + "/iphone/lobby.html");
    lobby->view();
    auto requests = [this] {
        std::lock_guard lock(mutex_);
        return lobbyRequests_;
    };
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            cache_->startQueuedFetches();
            return requests() == 1 && !lobby->webView()->isLoadingPage();
        },
        10.0));
    EXPECT_NE(lobby->webView()->document().title(), "Lobby");
    EXPECT_FALSE(lobby->isShowingLoading());

    {
        std::lock_guard lock(mutex_);
        refuseLobby_ = false;
    }
    lobby->viewWillAppear(ui::Animated::No);
    ASSERT_TRUE(showsPage(*lobby, "Lobby"));
    EXPECT_EQ(requests(), 2);
    // A page that loaded stays as it is when the view appears again.
    lobby->viewWillAppear(ui::Animated::No);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(lobby->webView()->isLoadingPage());
    EXPECT_EQ(requests(), 2);
}

// A page controller of a game list that adds its own action and leaves the rest to the base.
class GamesPageController : public ZAdvancedWebViewController {
public:
    std::vector<int64_t> started;
    std::vector<bool> baseAnswers;

    bool handleZelvanUrl(const std::string& url, const std::string& action, const fnd::Value& jsonVar,
                         const std::string& relativeUrlString, const std::string& baseURL) override {
        if (action == "startgame") {
            auto dictionary = jsonVar.asDictionary();
            started.push_back(dictionary ? dictionary->objectForKey("gid").longLongValue() : -1);
            return true;
        }
        baseAnswers.push_back(
            ZAdvancedWebViewController::handleZelvanUrl(url, action, jsonVar, relativeUrlString, baseURL));
        return baseAnswers.back();
    }
};

std::string actionUrl(const std::string& action, const std::string& json) {
    return "zelvan://" + action + "?" + fnd::escapeUnreserved(json);
}

TEST_F(ZAdvancedWebViewControllerTest, DispatcherFallsBackForUnknownActionsUnderASubclass) {
    auto games = std::make_shared<GamesPageController>();
    games->view();
    auto host = recordingHost(*games);
    fnd::testing::LogCapture log;

    games->openUrl(actionUrl("startgame", R"({"gid":1600})"));
    EXPECT_EQ(games->started, (std::vector<int64_t>{1600}));
    EXPECT_TRUE(games->baseAnswers.empty());

    games->openUrl("zelvan://mystery?x");
    EXPECT_EQ(games->baseAnswers, (std::vector<bool>{false}));
    EXPECT_TRUE(log.contains("unknown action \"mystery\""));

    // A malformed action URL is dropped with one line naming the fault and the URL.
    log.clear();
    games->openUrl("zelvan://a/b?x");
    EXPECT_EQ(log.count("zelvan action refused: bad action name at offset 10 in zelvan://a/b?x"), 1u);
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(games->baseAnswers, (std::vector<bool>{false}));

    games->openUrl("zelvan://loading?Wait");
    EXPECT_TRUE(games->isShowingLoading());
    games->openUrl("zelvan://hideloading");
    EXPECT_FALSE(games->isShowingLoading());

    // A callback gets its arguments as literals; a "name" that is a script is refused.
    games->openUrl(actionUrl("callback", R"({"callback":"page.onData","args":["</script>\"",2]})"));
    ASSERT_FALSE(host->evaluations().empty());
    EXPECT_EQ(host->evaluations().back(), R"(page.onData("<\/script>\"",2))");
    games->openUrl(actionUrl("callback", R"("alert(1);x")"));
    EXPECT_TRUE(log.contains("is not a function name"));
    EXPECT_EQ(games->baseAnswers, (std::vector<bool>{false, true, true, true, false}));

    // An alert's tapped button answers the page's callback with its index.
    games->openUrl(actionUrl("alert", R"({"text":"Leave?","buttons":["No","Yes"],"callback":"onLeave"})"));
    std::shared_ptr<ZSimpleAlertView> alert;
    for (const auto& subview : games->view()->subviews()) {
        if (auto found = std::dynamic_pointer_cast<ZSimpleAlertView>(subview)) {
            alert = found;
        }
    }
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->label()->text(), "Leave?");
    ASSERT_EQ(alert->numberOfButtons(), 2);
    alert->buttonViews()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(host->evaluations().back(), "onLeave(1)");
    EXPECT_FALSE(alert->isShowing());
}

TEST_F(ZAdvancedWebViewControllerTest, CallJSFromAWorkerRunsOnTheMainThread) {
    auto dialog = ZLVWebDialog::create(); // the registry names the page controller
    auto controller = std::dynamic_pointer_cast<ZAdvancedWebViewController>(dialog->controller());
    ASSERT_TRUE(controller);
    controller->view();
    auto host = recordingHost(*controller);
    auto bridge = std::make_shared<ui::ScriptObject>();
    controller->setScriptObject(bridge);
    EXPECT_EQ(host->boundObject("Zelvan"), bridge);
    std::vector<bool> onMainThread;
    host->setAnswerer([&](const std::string&) -> std::optional<ui::ScriptResult> {
        onMainThread.push_back(fnd::isMainThread());
        return std::nullopt;
    });

    std::thread worker([&] { controller->callJS("refresh(" + jsStringLiteral("it's\u2028done") + ")"); });
    worker.join();
    EXPECT_TRUE(host->evaluations().empty());
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(host->evaluations(), (std::vector<std::string>{R"(refresh("it\'s\u2028done"))"}));
    EXPECT_EQ(onMainThread, (std::vector<bool>{true}));
}

TEST_F(ZAdvancedWebViewControllerTest, PagesCallTheBridgeOfTheirController) {
    struct GameScreen : ui::ViewController, GameScreenTarget {
        std::vector<std::string> calls;
        void engineCall(const std::string& name, const fnd::Value& args) override {
            calls.push_back(name + " " + std::to_string(args.isArray() ? args.asArray()->count() : 0));
        }
    };
    auto screen = std::make_shared<GameScreen>();
    auto controller = ZAdvancedWebViewController::create();
    controller->setParentController(screen);
    controller->view();
    auto host = recordingHost(*controller);
    ASSERT_TRUE(host->boundObject("Zelvan"));
    host->invokeBinding("Zelvan", "gameScriptCall", {"start", "[1, \"two\"]"});
    EXPECT_EQ(screen->calls, (std::vector<std::string>{"start 2"}));
}

} // namespace
} // namespace zelvan
