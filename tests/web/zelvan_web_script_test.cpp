// The pages' bridge object as a page uses it through the recording script host: each method reaches
// its installed target with the page's arguments decoded, bad arguments and missing targets are
// logged and do nothing, and avatar updates come back to the page as safely quoted script.
#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "tests/support/scoped_app_delegate.h"
#include "web/js_escape.h"
#include "web/zelvan_web_script.h"

namespace zelvan {
namespace {

using Calls = std::vector<std::string>;

// Every fake target writes what it was asked into one shared list.
struct Fakes : AvatarItemBarTarget,
               AvatarFinder,
               GameVersionTarget,
               ChipsExchangeOpener,
               GameInviteOpener,
               GameCacheTarget,
               ChatOpener,
               OfferWallOpener,
               ChatGroupManagerOpener {
    Calls calls;
    std::shared_ptr<ui::View> barView = ui::View::create(gfx::Rect());
    std::optional<std::string> avatarPath;
    std::vector<std::weak_ptr<AvatarUpdateListener>> listeners;

    std::shared_ptr<ui::View> view() override { return barView; }
    void setWebView(const std::shared_ptr<ui::View>& v) override {
        calls.push_back(v ? "setWebView" : "setWebView null");
    }
    void refreshWithCtx(const fnd::Value& ctx, const std::string& url) override {
        calls.push_back(fnd::format("refresh %@ %@", ctx.asDictionary()->objectForKey("items_url").stringValue(), url));
    }
    void selectButton(int32_t i, bool s) override { calls.push_back(fnd::format("select %d %d", i, s)); }
    void scrollToItem(int32_t i, bool a) override { calls.push_back(fnd::format("scroll %d %d", i, a)); }
    void flashScrollIndicators() override { calls.push_back("flash"); }
    std::optional<std::string> findAvatarPath(int32_t u, int32_t t, bool g) override {
        calls.push_back(fnd::format("find %d %d %d", u, t, g));
        return avatarPath;
    }
    gfx::ImagePtr newImageAvatarHead(int32_t, bool) override { return nullptr; }
    void addDelegate(const std::shared_ptr<AvatarUpdateListener>& l) override { listeners.push_back(l); }
    void removeDelegate(const std::shared_ptr<AvatarUpdateListener>&) override {}
    int32_t getLocaleVersion(int32_t id, const std::string& lang) override {
        calls.push_back(fnd::format("version %d %@", id, lang));
        return 5;
    }
    bool startDownload(int32_t id, const std::string& lang, const std::string& name) override {
        calls.push_back(fnd::format("download %d %@ %@", id, lang, name));
        return true;
    }
    bool hasDownloadView() override { return true; }
    void showDownloadView() override { calls.push_back("showDownload"); }
    void openChipsExchange(int32_t z, const std::string& callback, const std::shared_ptr<WebPageHost>& p) override {
        calls.push_back(fnd::format("chips %d [%@] %d", z, callback, p != nullptr));
    }
    void openGameInvite(int32_t id, const std::shared_ptr<WebPageHost>& p) override {
        calls.push_back(fnd::format("invite %d %d", id, p != nullptr));
    }
    void clearCache() override { calls.push_back("clearCache"); }
    void showChatWithCard(const fnd::Value& card) override {
        calls.push_back(fnd::format("chat %lld", card.asDictionary()->objectForKey("uid").longLongValue()));
    }
    void manageChatGroup(int32_t groupId) override { calls.push_back(fnd::format("manage %d", groupId)); }
    void showOffers(int32_t type) override { calls.push_back(fnd::format("offers %d", type)); }
};

struct GameScreen : ui::ViewController, GameScreenTarget {
    Calls calls;
    void engineCall(const std::string& name, const fnd::Value& args) override {
        calls.push_back(name + " " + (args.isNull() ? "null" : std::to_string(args.asArray()->count())));
    }
};

struct Page : WebPageHost {
    std::shared_ptr<ui::ViewController> parent = std::make_shared<ui::ViewController>();
    std::shared_ptr<ui::View> view = ui::View::create(gfx::Rect(0, 0, 320, 480));
    Calls scripts;
    std::shared_ptr<ui::ViewController> parentController() override { return parent; }
    fnd::Value pageContext() override { return fnd::Value::dictionary({{"items_url", "items.json"}}); }
    std::string pageUrl() override { return "http://shop.test/avatar/"; }
    void callJS(const std::string& script) override { scripts.push_back(script); }
    std::shared_ptr<ui::View> webView() override { return view; }
};

class ZelvanWebScriptTest : public ::testing::Test {
protected:
    ScopedAppDelegate delegate_;
    void SetUp() override {
        delegate_->installBridgeTargets([&](BridgeTargets& t) {
            t.avatarItemBarFactory = [this](const gfx::Rect& frame) {
                fakes_->calls.push_back(fnd::format("bar %f %f %f %f", frame.origin.x, frame.origin.y, frame.size.width,
                                                    frame.size.height));
                return std::shared_ptr<AvatarItemBarTarget>(fakes_, fakes_.get());
            };
            t.avatarFinder = fakes_;
            t.gameVersion = fakes_;
            t.chipsExchange = fakes_;
            t.gameInvite = fakes_;
            t.gameCache = fakes_;
            t.chatOpener = fakes_;
            t.chatGroupManager = fakes_;
            t.offerWall = fakes_;
        });
        host_.bindObject("Zelvan", ZelvanWebScript::create(page_));
    }
    fnd::Value call(const std::string& method, std::vector<fnd::Value> args = {}) {
        return host_.invokeBinding("Zelvan", method, args).value_or(fnd::Value("(no method)"));
    }

    std::shared_ptr<Fakes> fakes_ = std::make_shared<Fakes>();
    std::shared_ptr<Page> page_ = std::make_shared<Page>();
    ui::RecordingScriptHost host_;
};

TEST_F(ZelvanWebScriptTest, GameScriptCallReachesTheEngineOnlyOverAGameScreen) {
    fnd::testing::LogCapture log;
    call("gameScriptCall", {"start", "[1, \"two\", {\"x\": 3}]"});
    EXPECT_TRUE(log.contains("not shown over a game screen"));

    auto screen = std::make_shared<GameScreen>();
    page_->parent = screen;
    call("gameScriptCall", {"start", "[1, \"two\", {\"x\": 3}]"});
    call("gameScriptCall", {"paint"});
    call("gameScriptCall", {"paint", fnd::Value()});
    log.clear();
    for (const fnd::Value& bad : {fnd::Value("[1,"), fnd::Value("{\"a\":1}"), fnd::Value("7"), fnd::Value(7)}) {
        call("gameScriptCall", {"oncmd", bad});
    }
    call("gameScriptCall", {"", "[]"});
    call("gameScriptCall", {42, "[]"});
    EXPECT_EQ(screen->calls, (Calls{"start 3", "paint null", "paint null"}));
    EXPECT_EQ(log.count("Zelvan.gameScriptCall"), 6u);
}

TEST_F(ZelvanWebScriptTest, AvatarItemBarIsMadeOverThePageAndHearsItsCalls) {
    fnd::testing::LogCapture log;
    call("avatarBarFlashScrollIndicators");
    EXPECT_TRUE(log.contains("no avatar item bar"));
    EXPECT_TRUE(fakes_->calls.empty());

    EXPECT_EQ(call("showAvatarItemBar", {10, 400.5, 300, 60}), fnd::Value(true));
    EXPECT_EQ(fakes_->barView->superview(), page_->view);
    call("avatarBarSelectButton", {2.0, true});
    call("avatarBarScrollToItem", {3, 0});
    call("avatarBarFlashScrollIndicators");
    // Refused: a negative or fractional index, a missing flag, a frame of no size or out of reach.
    call("avatarBarSelectButton", {-1, true});
    call("avatarBarScrollToItem", {1.5, true});
    call("avatarBarSelectButton", {1});
    EXPECT_EQ(call("showAvatarItemBar", {0, 0, -5, 60}), fnd::Value(false));
    EXPECT_EQ(call("showAvatarItemBar", {0, 1e300, 5, 60}), fnd::Value(false));
    EXPECT_EQ(fakes_->calls,
              (Calls{"bar 10.000000 400.500000 300.000000 60.000000", "setWebView",
                     "refresh items.json http://shop.test/avatar/", "select 2 1", "scroll 3 0", "flash"}));
}

TEST_F(ZelvanWebScriptTest, FoundAvatarsComeBackToThePageQuotedWhenTheyChange) {
    fakes_->avatarPath = "/home/o'brien\"</script>\n\xE2\x80\xA8/avatar_cache/12_2_7_gray";
    EXPECT_EQ(call("findAvatar", {12, 2, true}), fnd::Value(*fakes_->avatarPath));
    call("findAvatar", {12, 2, 1});
    EXPECT_EQ(call("findAvatar", {12, 5, true}), fnd::Value());
    ASSERT_EQ(fakes_->listeners.size(), 1u);
    auto listener = fakes_->listeners[0].lock();
    ASSERT_TRUE(listener);

    listener->avatarUpdated(99, 2, 1); // never looked up: the page is not told
    listener->avatarUpdated(12, 2, 8);
    ASSERT_EQ(page_->scripts.size(), 1u);
    const std::string& script = page_->scripts[0];
    EXPECT_EQ(script, "if (typeof avatarUpdated == 'function') avatarUpdated(12, 2, 8, " +
                          jsStringLiteral(*fakes_->avatarPath) + ");");
    EXPECT_EQ(script.find('\n'), std::string::npos);
    EXPECT_EQ(script.find("</script>"), std::string::npos);
    EXPECT_EQ(script.find("\xE2\x80\xA8"), std::string::npos);

    // An update from another thread reaches the page on the main loop.
    fakes_->avatarPath.reset();
    std::thread([&] { listener->avatarUpdated(12, 2, 9); }).join();
    EXPECT_EQ(page_->scripts.size(), 1u);
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(page_->scripts.size(), 2u);
    EXPECT_EQ(page_->scripts[1], "if (typeof avatarUpdated == 'function') avatarUpdated(12, 2, 9, null);");
}

TEST_F(ZelvanWebScriptTest, OpenersReachTheirTargetsWithCheckedArguments) {
    EXPECT_EQ(call("gameVersion", {7, "en"}), fnd::Value(5));
    EXPECT_EQ(call("startGameDownload", {7, "en", "Poker"}), fnd::Value(true));
    EXPECT_EQ(call("isGameDownloading"), fnd::Value(true));
    call("showGameDownload");
    call("openChipsExchange", {250});
    call("openChipsExchange", {3, "lobby.chipsChosen"});
    call("openChipsExchange", {4, fnd::Value()});
    call("openGameInvite", {7});
    call("clearCache");
    call("showChat", {fnd::Value::dictionary({{"uid", 1234}})});
    call("showChat", {"{\"uid\": 77}"});
    call("manageChatGroup", {12});
    call("showOffers", {fnd::Value::dictionary({{"type", 2}})});
    call("showOffers", {"{\"type\": 3}"});
    // Refused: out of range, wrong kinds, a card that is not a dictionary.
    EXPECT_EQ(call("gameVersion", {7}), fnd::Value(-1));
    call("openChipsExchange", {1e12});
    call("openChipsExchange", {5, "alert(1)"});
    call("openChipsExchange", {5, 12});
    call("openGameInvite", {"7"});
    call("showChat", {"[1]"});
    call("showChat", {"{bad"});
    call("manageChatGroup", {"12"});
    call("showOffers", {fnd::Value::dictionary({{"type", "2"}})});
    call("showOffers", {"{bad"});
    call("showOffers", {});
    EXPECT_EQ(fakes_->calls, (Calls{"version 7 en", "download 7 en Poker", "showDownload", "chips 250 [] 1",
                                    "chips 3 [lobby.chipsChosen] 1", "chips 4 [] 1", "invite 7 1", "clearCache",
                                    "chat 1234", "chat 77", "manage 12", "offers 2", "offers 3"}));
}

TEST_F(ZelvanWebScriptTest, MissingTargetsAreLoggedAndDoNothing) {
    delegate_->installBridgeTargets([](BridgeTargets& t) { t = BridgeTargets{}; });
    fnd::testing::LogCapture log;
    EXPECT_EQ(call("showAvatarItemBar", {0, 0, 320, 60}), fnd::Value(false));
    EXPECT_EQ(call("findAvatar", {12, 2, false}), fnd::Value());
    EXPECT_EQ(call("gameVersion", {7, "en"}), fnd::Value(-1));
    EXPECT_EQ(call("startGameDownload", {7, "en", "Poker"}), fnd::Value(false));
    EXPECT_EQ(call("isGameDownloading"), fnd::Value(false));
    EXPECT_EQ(log.count("is installed; the call does nothing"), 5u);
    log.clear(); // the log holds one site to a few lines at a time
    call("openChipsExchange", {1});
    call("openGameInvite", {7});
    call("clearCache");
    call("showChat", {"{\"uid\": 1}"});
    call("manageChatGroup", {12});
    EXPECT_EQ(log.count("is installed; the call does nothing"), 5u);
    log.clear();
    call("showOffers", {fnd::Value::dictionary({{"type", 2}})});
    EXPECT_TRUE(fakes_->calls.empty());
    EXPECT_TRUE(page_->view->subviews().empty());
    EXPECT_EQ(log.count("is installed; the call does nothing"), 1u);
}

} // namespace
} // namespace zelvan
