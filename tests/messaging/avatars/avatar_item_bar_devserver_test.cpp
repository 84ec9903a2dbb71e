// The avatar item bar made through the pages' bridge over a page of the dev web server, which serves
// the item list, icons and pictures from a test site folder: the list's flag and items, icons that
// load or fail, taps that report cached files at once or once fetched, and a list that fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "messaging/avatars/z_avatar_item_bar.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/web_view_driver.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "tests/support/scoped_app_delegate.h"
#include "toolkit/zelvan_widget.h"
#include "tools/devserver/dev_rules.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "web/web_page_host.h"
#include "web/zelvan_web_cache.h"
#include "web/zelvan_web_script.h"
#include "web/zelvan_web_view.h"

namespace zelvan {
namespace {

using fnd::Value;

constexpr uint32_t kIconColours[] = {0xd03030, 0x3060d0};

void writeSiteFile(const std::string& path, const fnd::Bytes& bytes) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(path.substr(0, path.rfind('/'))));
    ASSERT_TRUE(fnd::writeFile(path, bytes));
}

void writeSiteText(const std::string& path, const std::string& text) {
    writeSiteFile(path, fnd::Bytes(text.begin(), text.end()));
}

// The shop page as the bridge sees its controller: a context the test sets, the page's URL and view.
struct ShopPage : WebPageHost {
    std::shared_ptr<ZelvanWebView> view;
    Value context;
    std::shared_ptr<ui::ViewController> parentController() override { return nullptr; }
    Value pageContext() override { return context; }
    std::string pageUrl() override { return view->pageUrl(); }
    void callJS(const std::string& script) override { view->stringByEvaluatingJavaScriptFromString(script); }
    std::shared_ptr<ui::View> webView() override { return view; }
};

class AvatarItemBarDevServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fnd::AppFolders::setUp());
        site_ = fnd::AppFolders::root() + "/site";
        writeSiteText(site_ + "/shop/page.html", "<html><head><title>Avatar shop</title></head></html>");
        // Items 1 and 2, one of the wrong kind, item 4 whose icon is missing, and a stray entry.
        writeSiteText(site_ + "/shop/items.json", R"({"flag": 9, "items": [
            1, "icons/i1.png", "pictures/a.png~pictures/b.png", 10, 1, 2, 3,
            2, "icons/i2.png", "pictures/c.png", 20, 4, 5, 6,
            "3", "icons/i1.png", "pictures/c.png", 30, 7, 8, 9,
            4, "icons/none.png", "pictures/c.png", 40, 1, 1, 1,
            99]})");
        writeSiteFile(site_ + "/shop/icons/i1.png", devserver::solidPng(54, 54, kIconColours[0]));
        writeSiteFile(site_ + "/shop/icons/i2.png", devserver::solidPng(54, 54, kIconColours[1]));
        for (const char* name : {"a", "b", "c"}) {
            writeSiteFile(site_ + "/shop/pictures/" + name + ".png", devserver::solidPng(20, 20, 0x20a040));
        }

        devserver::DevServerOptions options;
        options.accounts = *devserver::parseAccounts("5550001:pw");
        options.webRoot = site_;
        server_.emplace(options);
        ASSERT_TRUE(server_->start());
        web_.emplace(devserver::DevWebServerOptions{0, site_},
                     [this](const std::string& key) { return server_->hasLiveSessionKey(key); });
        ASSERT_TRUE(web_->start());
        webHost_ = "127.0.0.1:" + std::to_string(web_->port());

        WebCacheEnvironment environment;
        environment.sessionKey = [this]() -> std::optional<std::string> {
            std::lock_guard lock(mutex_);
            return sessionKey_;
        };
        environment.webHost = [this] { return webHost_; };
        environment.sendPacket = [this](const Value& packet) { queue_.send(packet); };
        cache_ = std::make_shared<ZelvanWebCache>(environment);
        loop_.emplace(queue_, "127.0.0.1", server_->port());
        loop_->setSliceHandler([cache = cache_] { cache->startQueuedFetches(); });
        loop_->setPacketHandler([this](const Value& packet) {
            auto items = packet.asArray();
            if (items && items->count() > 1 && items->objectAtIndex(0).asInt() == 0 &&
                items->objectAtIndex(1).isString()) {
                std::lock_guard lock(mutex_);
                sessionKey_ = *items->objectAtIndex(1).asString();
            }
        });
        queue_.send(Value::array({0, 3, 1, "5550001", "pw", 0, "linux", "1.0", "en"}));
        loop_->start();
        ASSERT_TRUE(main().pumpUntil([&] { return environment.sessionKey().has_value(); }, 20.0));

        delegate_->installBridgeTargets([this](BridgeTargets& targets) {
            targets.avatarItemBarFactory = [this](const gfx::Rect& frame) {
                return ZAvatarItemBar::create(frame, cache_);
            };
        });
        page_->view = ZelvanWebView::create(gfx::Rect(0, 0, 320, 480));
        page_->view->setWebCache(cache_);
        page_->view->setScriptObject(ZelvanWebScript::create(page_));
        ASSERT_TRUE(page_->view->loadPage("http://" + webHost_ + "/shop/page.html"));
        ASSERT_TRUE(main().pumpUntil([&] { return !page_->view->isLoadingPage(); }, 20.0));
    }
    void TearDown() override {
        if (loop_) {
            loop_->stop();
        }
        if (web_) {
            web_->stop();
        }
        if (server_) {
            server_->stop();
        }
    }

    static fnd::RunLoop& main() { return fnd::RunLoop::main(); }
    ui::testing::WebViewDriver driver() const { return ui::testing::WebViewDriver(page_->view); }
    // The page calls showAvatarItemBar with `context` as its page context; the bar it made.
    std::shared_ptr<ZAvatarItemBar> showBar(Value context) {
        page_->context = std::move(context);
        const auto made = driver().recordingHost()->invokeBinding("Zelvan", "showAvatarItemBar", {0, 420, 320, 60});
        EXPECT_EQ(made, std::optional<Value>(Value(true)));
        auto script = std::dynamic_pointer_cast<ZelvanWebScript>(page_->view->scriptObject());
        return std::dynamic_pointer_cast<ZAvatarItemBar>(script->avatarItemBar());
    }
    // The bar's calls into the page so far.
    std::vector<std::string> barCalls() const {
        std::vector<std::string> calls;
        for (const auto& expression : driver().recordingHost()->evaluations()) {
            if (expression.rfind("avatar", 0) == 0) {
                calls.push_back(expression);
            }
        }
        return calls;
    }
    std::string cachedFileUrl(const std::string& path) const {
        return "file://" + *cache_->cacheFilePathForUrl("http://" + webHost_ + "/shop/" + path);
    }

    std::string site_;
    std::optional<devserver::DevServer> server_;
    std::optional<devserver::DevWebServer> web_;
    std::string webHost_;
    std::mutex mutex_;
    std::optional<std::string> sessionKey_;
    PacketQueue queue_;
    std::shared_ptr<ZelvanWebCache> cache_;
    std::optional<NetworkLoop> loop_;
    ScopedAppDelegate delegate_;
    std::shared_ptr<ShopPage> page_ = std::make_shared<ShopPage>();
};

TEST_F(AvatarItemBarDevServer, ListIconsAndTapsThroughTheBridge) {
    fnd::testing::LogCapture log;
    auto bar = showBar(Value::dictionary({{"items_url", "items.json?flag=3&x=1"}, {"animationDuration", 250}}));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->superview(), page_->view);
    // The URL's flag holds until the list arrives with its own.
    EXPECT_EQ(bar->flag(), 3);
    EXPECT_FALSE(bar->loadingView()->isHidden());

    // Icons 1 and 2 load; item 4's icon fails and its button stays disabled.
    ASSERT_TRUE(main().pumpUntil(
        [&] {
            const auto& buttons = bar->avatarBarButtons();
            return buttons.size() == 3 && buttons[0]->isEnabled() && buttons[1]->isEnabled() &&
                   log.contains("connection failed");
        },
        20.0));
    EXPECT_EQ(bar->flag(), 9);
    EXPECT_TRUE(bar->loadingView()->isHidden());
    EXPECT_TRUE(bar->infoLabel()->isHidden());
    const auto& buttons = bar->avatarBarButtons();
    EXPECT_EQ(buttons[1]->frame(), gfx::Rect(61, 3, 54, 54));
    EXPECT_EQ(bar->backgroundView()->contentSize(), gfx::Size(119 + 54 + 3, 60));
    EXPECT_FALSE(buttons[2]->isEnabled());
    EXPECT_EQ(buttons[2]->alpha(), 0.5);

    // A tap on the item whose icon never came does nothing.
    bar->buttonClicked(*buttons[2]);
    EXPECT_TRUE(barCalls().empty());
    EXPECT_EQ(bar->selectedIndex(), -1);

    // Item 1's pictures are not cached yet: no files at first, both once fetched.
    const std::string icon = cachedFileUrl("icons/i1.png");
    bar->buttonClicked(*buttons[0]);
    EXPECT_EQ(bar->selectedIndex(), 0);
    ASSERT_TRUE(main().pumpUntil([&] { return barCalls().size() == 2; }, 20.0));
    const std::string files = cachedFileUrl("pictures/a.png") + "~" + cachedFileUrl("pictures/b.png");
    EXPECT_EQ(barCalls(), (std::vector<std::string>{
                              "avatarbartapped(1, 9, 1, \"\", \"" + icon + "\", 10, 1, 2, 3)",
                              "avatarimageloaded(1, 9, 1, \"" + files + "\", \"" + icon + "\", 10, 1, 2, 3)",
                          }));
    const auto tap = std::dynamic_pointer_cast<ui::AnimationGroup>(buttons[0]->layer()->animationForKey("scale"));
    ASSERT_TRUE(tap);
    EXPECT_DOUBLE_EQ(tap->duration(), 0.25);
    EXPECT_TRUE(tap->autoreverses());

    const std::string shot = "screenshots/avatar-item-bar.png";
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*bar, shot));
    const auto image = ui::Snapshot::captureView(*bar);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(88, 30), (gfx::Rgba8{0x30, 0x60, 0xd0, 255}));

    // Tapping the selected item again unmarks it; its files are cached now and reported at once.
    bar->buttonClicked(*buttons[0]);
    EXPECT_EQ(bar->selectedIndex(), -1);
    EXPECT_TRUE(bar->selectedView()->isHidden());
    ASSERT_EQ(barCalls().size(), 3u);
    EXPECT_EQ(barCalls()[2], "avatarbartapped(0, 9, 1, \"" + files + "\", \"" + icon + "\", 10, 1, 2, 3)");
}

TEST_F(AvatarItemBarDevServer, AListThatFailsShowsItsLabelAndNoFlagGivesMinusOne) {
    auto bar = showBar(Value::dictionary({{"items_url", "missing.json"}}));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->flag(), -1);
    ASSERT_TRUE(main().pumpUntil([&] { return !bar->infoLabel()->isHidden(); }, 20.0));
    EXPECT_EQ(bar->infoLabel()->text(), "Failed to load avatar items");
    EXPECT_TRUE(bar->loadingView()->isHidden());
    EXPECT_TRUE(bar->avatarBarButtons().empty());
}

} // namespace
} // namespace zelvan
