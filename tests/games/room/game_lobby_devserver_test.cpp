// The lobby's two panels in a client launched against the dev server and its demo site, reached from
// a page through the bridge object bound into its web view: the chips panel answering the page, the
// demo friends listed and invited with command 43, and the invite row leading to the More tab's
// invitation page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "games/room/game_lobby_panels.h"
#include "games/room/zlv_game_invite_dialog.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/button.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"
#include "web/zelvan_web_view.h"

namespace zelvan {
namespace {

using fnd::IndexPath;
using fnd::Value;

fnd::RunLoop& main() {
    return fnd::RunLoop::main();
}

class GameLobbyDevServer : public ::testing::Test {
protected:
    void SetUp() override {
        devserver::DevServerOptions options;
        options.accounts = {{"5550100", "secret", "Demo Player", 1001}};
        options.demoMessenger = true;
        options.webRoot = std::string(std::getenv("ZELVAN_SOURCE_DIR")) + "/tools/devserver/site";
        server_.emplace(options);
        ASSERT_TRUE(server_->start());
        web_.emplace(devserver::DevWebServerOptions{0, options.webRoot},
                     [this](const std::string& key) { return server_->hasLiveSessionKey(key); });
        ASSERT_TRUE(web_->start());

        writefile(zelvanAppDelegate::kAccountFile, Value::dictionary({{"phone", "5550100"}, {"password", "secret"}}));
        AppConfig config;
        config.serverHost = "127.0.0.1";
        config.serverPort = server_->port();
        config.webHost = "127.0.0.1:" + std::to_string(web_->port());
        delegate_ = zelvanAppDelegate::create(config, registry());
        zelvanAppDelegate::setInstance(delegate_);
        delegate_->installBridgeTargets([panels = GameLobbyPanels::create(delegate_)](BridgeTargets& targets) {
            targets.chipsExchange = panels;
            targets.gameInvite = panels;
        });
        delegate_->applicationDidFinishLaunching();
        ASSERT_TRUE(main().pumpUntil([&] { return !delegate_->loggedout(); }, 10.0));
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        if (messenger_) {
            messenger_->waitForSync();
        }
        zelvanAppDelegate::setInstance(nullptr);
        messenger_.reset();
        delegate_.reset();
        if (web_) {
            web_->stop();
        }
        if (server_) {
            server_->stop();
        }
        main().runUntilIdle();
        deletefile(zelvanAppDelegate::kAccountFile);
        deletefile(ContactManage::kContactFile);
        deletefile(ContactManage::kIMFile);
    }

    // The services of the composition root that the two panels reach.
    AppRegistry registry() {
        AppRegistry r;
        r.zelvanWebCache.factory = [](zelvanAppDelegate& delegate) {
            return ZelvanWebCache::makeForDelegate(delegate);
        };
        r.im.factory = [this](zelvanAppDelegate& delegate) -> std::shared_ptr<MessengerService> {
            messenger_ = IMController::create(delegate.shared_from_this());
            return messenger_;
        };
        r.avatarManager.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<AvatarService> {
            auto manager = ZelvanAvatarManager::makeForDelegate(delegate);
            manager->initCache();
            return manager;
        };
        r.homes.factory = [](zelvanAppDelegate&) { return ZAdvancedWebViewController::initWithUrl("static_home"); };
        r.moreController.factory = [](zelvanAppDelegate&) {
            return ZAdvancedWebViewController::initWithUrl("static_more");
        };
        return r;
    }

    // The page controller on top of tab `index`.
    std::shared_ptr<ZAdvancedWebViewController> pageOnTab(size_t index) const {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(
            delegate_->tabBarController()->viewControllers().at(index));
        return nav ? std::dynamic_pointer_cast<ZAdvancedWebViewController>(nav->topViewController()) : nullptr;
    }
    // The page is in and its loading overlay gone (the overlay would take the taps).
    static bool loaded(const ZAdvancedWebViewController& page) {
        return page.webView() && !page.webView()->isLoadingPage() && !page.webView()->pageUrl().empty() &&
               !page.isShowingLoading();
    }
    // The home page, shown, as the lobby page that calls the bridge.
    std::shared_ptr<ZAdvancedWebViewController> lobbyPage() {
        delegate_->switchTab(zelvanAppDelegate::TabHome, ui::Animated::No);
        auto page = pageOnTab(zelvanAppDelegate::TabHome);
        EXPECT_TRUE(page);
        if (page) {
            page->view();
            EXPECT_TRUE(main().pumpUntil([&] { return loaded(*page); }, 10.0));
        }
        return page;
    }
    std::optional<Value> callBridge(ZAdvancedWebViewController& page, const std::string& method,
                                    const std::vector<Value>& args) {
        auto host = ui::testing::WebViewDriver(page.webView()).recordingHost();
        return host ? host->invokeBinding("Zelvan", method, args) : std::nullopt;
    }
    void tap(const ui::View& view) {
        ui::testing::TouchDriver::tap(delegate_->window(),
                                      view.convertPointToView({view.bounds().midX(), view.bounds().midY()}, nullptr));
    }
    template <class T>
    static std::shared_ptr<T> shownIn(const ui::View& view) {
        for (const auto& subview : view.subviews()) {
            if (auto found = std::dynamic_pointer_cast<T>(subview)) {
                return found;
            }
        }
        return nullptr;
    }
    bool received(const Value& packet) {
        for (const auto& item : server_->received()) {
            if (item.packet == packet) {
                return true;
            }
        }
        return false;
    }

    std::optional<devserver::DevServer> server_;
    std::optional<devserver::DevWebServer> web_;
    std::shared_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<IMController> messenger_;
};

TEST_F(GameLobbyDevServer, ChipsPanelAnswersThePageThroughTheBridge) {
    auto page = lobbyPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(callBridge(*page, "openChipsExchange", {Value(12), Value("lobby.chipsChosen")}));
    auto panel = shownIn<ExchangeChipsView>(*page->webView());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->maxzelvan(), 12);
    tap(*panel->addButton());
    tap(*panel->addButton());
    tap(*panel->confirmButton());
    EXPECT_EQ(panel->superview(), nullptr);
    const auto& evaluations = ui::testing::WebViewDriver(page->webView()).recordingHost()->evaluations();
    ASSERT_FALSE(evaluations.empty());
    EXPECT_EQ(evaluations.back(), "lobby.chipsChosen(2)");

    // A callback that is no function name opens nothing.
    ASSERT_TRUE(callBridge(*page, "openChipsExchange", {Value(12), Value("x;alert(1)")}));
    EXPECT_FALSE(shownIn<ExchangeChipsView>(*page->webView()));
}

TEST_F(GameLobbyDevServer, InvitationReachesTheServerAndTheInviteRowTheMoreTab) {
    // The demo friends: 2001 and 2002 come online, 2003 takes offline games once its options arrive.
    ASSERT_TRUE(main().pumpUntil(
        [&] {
            int online = 0;
            bool offline = false;
            for (const auto& info : delegate_->im()->zelvanFriendInfos()) {
                online += info.state != 0;
                offline = offline || (info.userid == 2003 && info.supportOfflineGame);
            }
            return online == 2 && offline;
        },
        10.0));
    auto page = lobbyPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(callBridge(*page, "openGameInvite", {Value(1600)}));
    auto dialog = shownIn<ZLVGameInviteDialog>(*page->webView());
    ASSERT_TRUE(dialog);
    ASSERT_EQ(dialog->onlineFriends().size(), 2u);
    ASSERT_EQ(dialog->notificationFriends().size(), 1u);
    EXPECT_EQ(dialog->notificationFriends()[0].userid, 2003);
    ASSERT_TRUE(main().pumpUntil([&] { return dialog->isVisible() && dialog->alpha() == 1; }, 5.0));
    ASSERT_TRUE(ui::testing::TableDriver::select(*dialog->tableView(), IndexPath::indexPathForRow(0, 1)));
    ASSERT_TRUE(main().pumpUntil([&] { return received(Value::array({43, 2003, 1600})); }, 10.0));
    ASSERT_TRUE(main().pumpUntil([&] { return dialog->superview() == nullptr; }, 5.0));

    // The last row: the More tab, with the invitation page of the site pushed over its own page.
    ASSERT_TRUE(callBridge(*page, "openGameInvite", {Value(1600)}));
    dialog = shownIn<ZLVGameInviteDialog>(*page->webView());
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(main().pumpUntil([&] { return dialog->isVisible() && dialog->alpha() == 1; }, 5.0));
    ASSERT_TRUE(ui::testing::TableDriver::select(*dialog->tableView(), IndexPath::indexPathForRow(0, 2)));
    EXPECT_EQ(delegate_->tabBarController()->selectedIndex(), static_cast<size_t>(zelvanAppDelegate::TabMore));
    std::shared_ptr<ZAdvancedWebViewController> invite;
    ASSERT_TRUE(main().pumpUntil(
        [&] {
            invite = pageOnTab(zelvanAppDelegate::TabMore);
            return invite && invite->initUrl() == "invite.html?method=3" && loaded(*invite);
        },
        10.0));
    auto document = ui::testing::WebViewDriver(invite->webView()).recordingHost();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->document().title, "Invite friends");
}

} // namespace
} // namespace zelvan
