// The application delegate end to end against the loopback dev server: signing in (accepted and
// refused), packets held until the session exists, routing to registered handlers and owners,
// signing in again after the server drops the connection, and the retry alert after refused connects.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log_repeats.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/thread.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/testing/alert_driver.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using fnd::Value;

// Records every packet it is handed, with whether it arrived off the main thread.
struct Recorder : CommandHandler {
    std::mutex mutex;
    std::vector<Value> packets;
    std::atomic<bool> offMain{true};
    void handleServerResponse(const Value& packet) override {
        offMain = offMain && !fnd::isMainThread();
        std::lock_guard lock(mutex);
        packets.push_back(packet);
    }
    size_t count() {
        std::lock_guard lock(mutex);
        return packets.size();
    }
};

// A Games tab whose controller brings its own title.
struct FakeGamesTab : GamesTabService {
    std::shared_ptr<ui::ViewController> root = [] {
        auto controller = std::make_shared<ui::ViewController>();
        controller->setTitle("Lobby");
        return controller;
    }();
    bool playingGame() override { return false; }
    void executeScript() override {}
    void gc(int) override {}
    void handleServerResponse(const Value&) override {}
    std::shared_ptr<ui::ViewController> rootViewController() override { return root; }
};

struct FakeMessenger : MessengerService {
    std::mutex mutex;
    std::vector<Value> packets;
    std::vector<std::string> logIns;
    int dataRevision() override { return 7; }
    void didLogIn(const LoginSession& session) override { logIns.push_back(session.displayName); }
    void handleServerResponse(const Value& packet) override {
        std::lock_guard lock(mutex);
        packets.push_back(packet);
    }
};

struct Listener : ConnectionListener {
    std::atomic<int> lost{0};
    std::atomic<int> resumed{0};
    void connectionLost() override { ++lost; }
    void connectionResumed() override { ++resumed; }
};

// Keeps the network thread inside its first report of a lost connection until the delegate has been
// released, so the rest of that report runs while the delegate's destructor waits for the thread.
struct StallingWebCache : WebCacheService {
    std::weak_ptr<zelvanAppDelegate> owner; // set before the network thread starts
    std::atomic<bool> entered{false};
    bool sawRelease = false; // read after the thread has been joined
    void handleServerResponse(const Value&) override {}
    void gameConnectionLost() override {
        if (entered.exchange(true)) {
            return;
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!owner.expired() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        sawRelease = owner.expired();
    }
};

// Takes a reference to the delegate on the network thread when the connection is lost and keeps it
// until the test has dropped its own, so the last reference goes on the network thread.
struct HoldingWebCache : WebCacheService {
    std::weak_ptr<zelvanAppDelegate> owner; // set before the network thread starts
    std::atomic<bool> entered{false};
    std::shared_ptr<std::atomic<int>> endedOnMain = std::make_shared<std::atomic<int>>(-1);
    ~HoldingWebCache() override { *endedOnMain = fnd::isMainThread() ? 1 : 0; }
    void handleServerResponse(const Value&) override {}
    void gameConnectionLost() override {
        std::shared_ptr<zelvanAppDelegate> keep = owner.lock();
        if (!keep || entered.exchange(true)) {
            return;
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (owner.use_count() > 1 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    }
};

using fnd::testing::refusedPort;

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest() {
        devserver::DevServerOptions options;
        options.accounts = {{"5550100", "secret", "Demo Player", 1001}};
        server_ = std::make_unique<devserver::DevServer>(options);
    }
    void TearDown() override {
        delegate_.reset();
        server_->stop();
        fnd::RunLoop::main().runUntilIdle();
        // Shown alerts keep themselves alive until dismissed.
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        fnd::RunLoop::main().pumpUntil([] { return ui::AlertPanel::visiblePanels().empty(); }, 5.0);
        deletefile(zelvanAppDelegate::kAccountFile);
    }
    void launch(uint16_t port, const std::optional<zelvanAppDelegate::Account>& account) {
        if (account) {
            writefile(zelvanAppDelegate::kAccountFile,
                      Value::dictionary({{"phone", account->phone}, {"password", account->password}}));
        }
        AppConfig config;
        config.serverHost = "127.0.0.1";
        config.serverPort = port;
        AppRegistry registry;
        registry.im.factory = ServiceSlot<MessengerService>::fixed(messenger_);
        registry.newgamerooms.factory = ServiceSlot<GamesTabService>::fixed(games_);
        registry.zelvanWebCache.factory = ServiceSlot<WebCacheService>::fixed(webCache_);
        delegate_ = zelvanAppDelegate::create(config, std::move(registry));
        delegate_->applicationDidFinishLaunching();
    }
    bool pump(const std::function<bool()>& pred) { return fnd::RunLoop::main().pumpUntil(pred, 10.0); }
    std::vector<Value> received() {
        std::vector<Value> out;
        for (const auto& r : server_->received()) {
            out.push_back(r.packet);
        }
        return out;
    }

    std::unique_ptr<devserver::DevServer> server_;
    std::shared_ptr<FakeMessenger> messenger_ = std::make_shared<FakeMessenger>();
    std::shared_ptr<FakeGamesTab> games_ = std::make_shared<FakeGamesTab>();
    std::shared_ptr<WebCacheService> webCache_;
    std::shared_ptr<zelvanAppDelegate> delegate_;
};

TEST_F(AppDelegateTest, SignsInReleasesHeldPacketsAndRoutesCommands) {
    ASSERT_TRUE(server_->start());
    launch(server_->port(), zelvanAppDelegate::Account{"5550100", "secret"});

    // Before any packet: a registration, two packets that need the session and one that does not.
    auto early = std::make_shared<Recorder>();
    delegate_->addCmdDelegate(700, early);
    ZelvanPacket first(41);
    first.addInt(1);
    first.requireLogin();
    ZelvanPacket second(42);
    second.addObject(Value("two"));
    second.requireLogin();
    delegate_->sendPacket(first);
    delegate_->sendPacket(second);
    delegate_->send(Value::array({5, "free"}));
    EXPECT_TRUE(delegate_->loggedout());
    EXPECT_FALSE(delegate_->sessionKey());

    ASSERT_TRUE(pump([&] { return !delegate_->loggedout(); }));
    EXPECT_EQ(delegate_->userId(), 1001);
    EXPECT_EQ(delegate_->displayName(), "Demo Player");
    EXPECT_EQ(delegate_->protocol(), Value::array({"local"}));
    ASSERT_TRUE(delegate_->sessionKey());
    EXPECT_EQ(delegate_->sessionKey()->size(), 16u);
    EXPECT_EQ(messenger_->logIns, std::vector<std::string>{"Demo Player"});
    std::optional<zelvanAppDelegate::Account> stored = zelvanAppDelegate::storedAccount();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->phone, "5550100");

    ASSERT_TRUE(server_->waitForReceived(5, std::chrono::seconds(10)));
    std::vector<Value> wire = received();
    ASSERT_EQ(wire.size(), 5u);
    EXPECT_EQ(wire[0], Value::array({5, "free"}));
    EXPECT_EQ(wire[1], Value::array({0, zelvanAppDelegate::kLoginProtocolVersion,
                                     zelvanAppDelegate::kLoginProtocolRevision, "5550100", "secret", 7,
                                     zelvanAppDelegate::kDistributionChannel, "1.0.0", zelvanAppDelegate::kLanguage}));
    EXPECT_EQ(wire[2], first.array());
    EXPECT_EQ(wire[3], second.array());
    EXPECT_EQ(wire[4], Value::array({cmd::kAdFeatures})); // asked for after the log-in reply

    // The early registration, a messenger command and a removal attempt by another object.
    auto stranger = std::make_shared<Recorder>();
    delegate_->removeCmdDelegate(700, stranger.get());
    ASSERT_TRUE(server_->push(0, Value::array({700, "hello"})));
    ASSERT_TRUE(server_->push(0, Value::array({1, "card"})));
    ASSERT_TRUE(pump([&] {
        std::lock_guard lock(messenger_->mutex);
        return early->count() == 1 && messenger_->packets.size() == 1;
    }));
    EXPECT_TRUE(early->offMain);
    EXPECT_EQ(early->packets[0], Value::array({700, "hello"}));
    EXPECT_EQ(messenger_->packets[0], Value::array({1, "card"}));
    EXPECT_EQ(delegate_->networkLoop().packetsReceived(), 3u);
}

TEST_F(AppDelegateTest, PacketsRightBehindTheLoginReplyReachTheSession) {
    ASSERT_TRUE(server_->start());
    launch(server_->port(), zelvanAppDelegate::Account{"5550100", "secret"});
    auto recorder = std::make_shared<Recorder>();
    delegate_->addCmdDelegate(700, recorder);
    // Start the threads now and keep the main thread away from its loop, so the log-in reply is
    // still waiting there when the server's next packet reaches the network thread.
    delegate_->applicationDidFinishLaunchingLater();
    auto waitOffMain = [](const std::function<bool()>& pred) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!pred() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        return pred();
    };
    ASSERT_TRUE(waitOffMain([&] { return server_->loggedInSessions() == 1; }));
    ASSERT_TRUE(server_->push(0, Value::array({700, "welcome"})));
    ASSERT_TRUE(waitOffMain([&] { return delegate_->networkLoop().packetsReceived() >= 2; }));
    EXPECT_TRUE(delegate_->loggedout());

    ASSERT_TRUE(pump([&] { return recorder->count() == 1; }));
    EXPECT_FALSE(delegate_->loggedout());
    EXPECT_EQ(recorder->packets[0], Value::array({700, "welcome"}));
    EXPECT_TRUE(recorder->offMain.load());
}

TEST_F(AppDelegateTest, RefusedSignInDeletesTheAccountAndKeepsPacketsHeld) {
    ASSERT_TRUE(server_->start());
    launch(server_->port(), zelvanAppDelegate::Account{"5550100", "wrong"});
    ZelvanPacket held(41);
    held.requireLogin();
    delegate_->sendPacket(held);

    ASSERT_TRUE(pump([&] { return delegate_->lastLoginFailure().has_value(); }));
    EXPECT_EQ(*delegate_->lastLoginFailure(), devserver::kLoginFailedBadCredentials);
    EXPECT_TRUE(delegate_->loggedout());
    EXPECT_FALSE(zelvanAppDelegate::storedAccount());
    EXPECT_FALSE(existfile(zelvanAppDelegate::kAccountFile));
    auto alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_NE(alert->message().find("code 1"), std::string::npos);
    EXPECT_EQ(delegate_->packetQueue().heldCount(), 1u);

    // Another refusal while the alert is up updates it instead of stacking a second one.
    const size_t received = server_->received().size();
    delegate_->trylogin("5550100", "still wrong");
    ASSERT_TRUE(server_->waitForReceived(received + 1, std::chrono::seconds(10)));
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.3);
    EXPECT_EQ(ui::AlertPanel::visiblePanels().size(), 1u);
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert(), alert);

    // When the connections then keep failing, the retry alert takes the refusal's place.
    delegate_->networkLoop().setServer("127.0.0.1", refusedPort());
    server_->closeAll();
    ASSERT_TRUE(pump([&] { return delegate_->networkLoop().waitingForRetry(); }));
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(ui::AlertPanel::visiblePanels().size(), 1u);
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert()->title(), "Network error");
}

TEST_F(AppDelegateTest, LogInRepliesNobodyAskedForChangeNothing) {
    ASSERT_TRUE(server_->start());
    launch(server_->port(), zelvanAppDelegate::Account{"5550100", "secret"});
    ASSERT_TRUE(pump([&] { return !delegate_->loggedout(); }));
    const std::string key = *delegate_->sessionKey();
    fnd::testing::LogCapture log;
    // As many as the log writes of one site at a time, so each shows that its reply was handled.
    const size_t replies = fnd::LogRepeatLimiter::kLinesPerWindow;
    for (size_t i = 0; i < replies; ++i) {
        ASSERT_TRUE(server_->push(0, Value::array({0, devserver::kLoginFailedBadCredentials})));
    }
    ASSERT_TRUE(pump([&] { return log.count("ignored a log-in reply") == replies; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(ui::AlertPanel::visiblePanels().empty());
    EXPECT_FALSE(delegate_->loggedout());
    EXPECT_EQ(delegate_->sessionKey(), key);
    EXPECT_TRUE(zelvanAppDelegate::storedAccount());
}

TEST_F(AppDelegateTest, SignsInAgainAfterTheServerDropsTheConnection) {
    ASSERT_TRUE(server_->start());
    launch(server_->port(), zelvanAppDelegate::Account{"5550100", "secret"});
    auto listener = std::make_shared<Listener>();
    delegate_->addConnectionDelegate(listener);
    ASSERT_TRUE(pump([&] { return !delegate_->loggedout(); }));
    std::string firstKey = *delegate_->sessionKey();

    server_->closeAll();
    ASSERT_TRUE(pump([&] { return listener->resumed.load() == 1 && server_->loggedInSessions() == 1; }));
    EXPECT_EQ(listener->lost.load(), 1);
    ASSERT_TRUE(pump([&] { return delegate_->sessionKey() != firstKey; }));
    std::vector<devserver::ReceivedPacket> all = server_->received();
    ASSERT_GE(all.size(), 2u);
    // The log-in on the new connection (the advertising feature request may follow it).
    auto login = std::find_if(all.begin(), all.end(), [](const devserver::ReceivedPacket& r) {
        return r.connection == 2 && r.packet.asArray()->objectAtIndex(0) == Value(0);
    });
    EXPECT_NE(login, all.end());

    // A listener that unregisters hears nothing more.
    delegate_->removeConnectionDelegate(listener.get());
    server_->closeAll();
    ASSERT_TRUE(pump([&] { return server_->loggedInSessions() == 1 && server_->openConnections() == 1; }));
    EXPECT_EQ(listener->lost.load(), 1);
}

TEST_F(AppDelegateTest, RetryAlertWaitsForTheTapAfterRepeatedRefusals) {
    launch(refusedPort(), std::nullopt);
    ASSERT_TRUE(pump([&] { return delegate_->networkLoop().waitingForRetry(); }));
    std::shared_ptr<ui::AlertView> alert;
    ASSERT_TRUE(pump([&] {
        alert = ui::testing::AlertDriver::visibleAlert();
        return alert && alert->title() == "Network error";
    }));
    EXPECT_EQ(delegate_->networkLoop().consecutiveFailures(), NetworkLoop::kRetryAlertFailures + 1);

    ASSERT_TRUE(server_->start());
    delegate_->networkLoop().setServer("127.0.0.1", server_->port());
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Retry"));
    // The client can see its socket open before the server's accept loop has counted it.
    ASSERT_TRUE(pump([&] { return delegate_->networkLoop().isConnected() && server_->openConnections() == 1u; }));
}

TEST_F(AppDelegateTest, ReleasingTheDelegateWhileTheConnectionIsLostEndsCleanly) {
    auto cache = std::make_shared<StallingWebCache>();
    webCache_ = cache;
    launch(refusedPort(), std::nullopt);
    cache->owner = delegate_;
    ASSERT_TRUE(pump([&] { return cache->entered.load(); }));
    // The destructor joins the network thread, which goes on to ask for the reconnecting message:
    // that request does nothing now, rather than throwing through the thread's connection events.
    fnd::testing::LogCapture log;
    delegate_.reset();
    EXPECT_TRUE(cache->sawRelease);
    EXPECT_TRUE(log.contains("lost; reconnecting"));
    EXPECT_FALSE(log.contains("exception"));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert(), nullptr);
}

TEST_F(AppDelegateTest, TheLastReferenceDroppedOnTheNetworkThreadEndsTheDelegateOnMain) {
    auto cache = std::make_shared<HoldingWebCache>();
    std::shared_ptr<std::atomic<int>> endedOnMain = cache->endedOnMain;
    webCache_ = cache;
    launch(refusedPort(), std::nullopt);
    cache->owner = delegate_;
    std::weak_ptr<zelvanAppDelegate> weak = delegate_;
    ASSERT_TRUE(pump([&] { return cache->entered.load(); }));
    cache.reset();
    webCache_.reset();
    delegate_.reset(); // the network thread still holds it
    ASSERT_TRUE(pump([&] { return weak.expired() && endedOnMain->load() >= 0; }));
    EXPECT_EQ(endedOnMain->load(), 1);
}

TEST_F(AppDelegateTest, UserInterfaceActionsHopToTheMainThread) {
    launch(refusedPort(), std::nullopt);
    auto tabs = delegate_->tabBarController();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->viewControllers().size(), 5u);
    // The Games tab shows its controller under the controller's own title.
    auto games = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[0]);
    ASSERT_TRUE(games);
    EXPECT_EQ(games->topViewController(), games_->root);
    EXPECT_EQ(games->title(), "Lobby");

    auto pushed = std::make_shared<ui::ViewController>();
    auto home = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[1]);
    ASSERT_TRUE(home);
    home->pushViewController(pushed, ui::Animated::No);
    delegate_->switchTab(zelvanAppDelegate::TabHome, ui::Animated::No);
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(home->viewControllers().size(), 1u); // popped to its root

    fnd::Thread worker([&] { delegate_->showAlert(std::string("Title"), "from a worker"); });
    worker.start();
    worker.join();
    ASSERT_TRUE(pump([] { return ui::testing::AlertDriver::visibleAlert() != nullptr; }));
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert()->message(), "from a worker");
}

} // namespace
} // namespace zelvan
