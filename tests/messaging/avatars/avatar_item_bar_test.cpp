// The avatar item bar without a network: the list and flag readers against odd input, the bar's
// labels, taps on icons still loading, icons over the decode limit, a bar that starts over or goes
// leaving nothing queued, and hostile URLs reaching the page only as string literals of one call.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "core/zjson.h"
#include "messaging/avatars/avatar_item.h"
#include "messaging/avatars/z_avatar_item_bar.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/testing/web_view_driver.h"
#include "web/zelvan_url_connection.h"
#include "web/zelvan_web_cache.h"
#include "web/zelvan_web_view.h"

namespace zelvan {
namespace {

using fnd::Value;

// The string arguments of `script` when it is one call `name(...)` of integers and double-quoted
// literals with no raw line break inside; nullopt otherwise. Escapes \uXXXX are kept as they stand.
std::optional<std::vector<std::string>> callStrings(const std::string& script) {
    static const std::string arg = R"((-?\d+|"(?:[^"\\\n\r]|\\.)*"))";
    static const std::regex call(R"(\w+\()" + arg + "(?:, " + arg + R"()*\))");
    if (!std::regex_match(script, call) || script.find("\u2028") != std::string::npos ||
        script.find("\u2029") != std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> strings;
    static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    for (auto it = std::sregex_iterator(script.begin(), script.end(), literal); it != std::sregex_iterator(); ++it) {
        strings.push_back(std::regex_replace((*it)[1].str(), std::regex(R"(\\([\\"'/]))"), "$1"));
    }
    return strings;
}

fnd::Result<AvatarItemList> parse(const std::string& text) {
    return parseAvatarItemList(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(AvatarItemList, FlagsAndItemsFromOddInput) {
    const std::pair<std::string, int32_t> flags[] = {
        {"items.json", -1},      {"items.json?flag=3&x=1", 3}, {"items.json?x=1&flag=42", 42},
        {"i.json?flag=&x=1", 0}, {"i.json?flag=-7x&y", -7},    {"i.json?flag=99999999999", 2147483647},
    };
    for (const auto& [url, flag] : flags) {
        EXPECT_EQ(avatarItemListFlag(url), flag) << url;
    }

    // Fifteen entries make two items; the last entry is ignored.
    auto list = parse(R"({"flag": 5, "items": [1, "a.png", "b.png~c.png", 10, 1, 2, 3,
                                               2, "d.png", "e.png", 2.9, -1, 0, 7, 3]})");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->flag, 5);
    EXPECT_EQ(list->items,
              (std::vector<AvatarItem>{{1, "a.png", "b.png~c.png", 10, 1, 2, 3}, {2, "d.png", "e.png", 2, -1, 0, 7}}));

    // A group with an entry of the wrong kind is skipped on its own; a flag that is no number is dropped.
    list = parse(R"({"flag": "5", "items": [1, 7, "b.png", 1, 1, 1, 1, 2, "d.png", "e.png", 1, 1, 1, true,
                                            "3", "f.png", "g.png", 1, 1, 1, 1, 4, "h.png", "i.png", 4, 4, 4, 4]})");
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->flag);
    ASSERT_EQ(list->items.size(), 1u);
    EXPECT_EQ(list->items[0].itemId, 4);

    EXPECT_TRUE(parse(R"({"items": {"a": 1}})")->items.empty());
    for (const std::string bad : {"", "[1, 2]", "{\"items\": [", "not json", "{\"items\": \"\xFF\"}"}) {
        EXPECT_FALSE(parse(bad)) << bad;
    }
}

class AvatarItemBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        WebCacheEnvironment environment;
        environment.sessionKey = [] { return std::optional<std::string>(); };
        environment.webHost = [] { return std::string("shop.test"); };
        environment.sendPacket = [](const Value&) {};
        cache_ = std::make_shared<ZelvanWebCache>(environment);
        page_ = ZelvanWebView::create(gfx::Rect(0, 0, 320, 480));
        bar_ = ZAvatarItemBar::create(gfx::Rect(0, 0, 320, 60), cache_);
        bar_->setWebView(page_);
    }

    // The page's context names `itemsUrl`; the bar asks for the list.
    std::shared_ptr<ZelvanURLRequest> refresh(const std::string& itemsUrl) {
        bar_->refreshWithCtx(Value::dictionary({{"items_url", itemsUrl}}), "http://shop.test/shop/page.html");
        auto queued = cache_->queuedRequests();
        return queued.empty() ? nullptr : queued.back();
    }
    // The network finishes `request` with `body` (or fails it); the bar hears on the main thread.
    void deliver(const std::shared_ptr<ZelvanURLRequest>& request, const std::string& body, bool ok = true) {
        cache_->removeURLRequest(request);
        auto connection = ZelvanURLConnection::init(request);
        if (ok) {
            request->finish(fnd::Bytes(body.begin(), body.end()));
            bar_->connectionDidFinish(connection);
        } else {
            request->fail(404);
            bar_->connectionDidFail(connection);
        }
        fnd::RunLoop::main().runUntilIdle();
    }
    std::vector<std::string> pageCalls() const {
        return ui::testing::WebViewDriver(page_).recordingHost()->evaluations();
    }

    std::shared_ptr<ZelvanWebCache> cache_;
    std::shared_ptr<ZelvanWebView> page_;
    std::shared_ptr<ZAvatarItemBar> bar_;
};

TEST_F(AvatarItemBarTest, LabelsForNoListABadListAndAnEmptyOne) {
    bar_->refreshWithCtx(Value(), "http://shop.test/shop/page.html");
    EXPECT_FALSE(bar_->infoLabel()->isHidden());
    EXPECT_EQ(bar_->infoLabel()->text(), "Empty");
    EXPECT_TRUE(cache_->queuedRequests().empty());

    auto list = refresh("lists/items.json?flag=4");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->url(), "http://shop.test/shop/lists/items.json?flag=4");
    EXPECT_EQ(list->connectionType(), ZelvanURLRequest::kConnectionTypeAvatarItemBar);
    EXPECT_FALSE(list->cacheable());
    EXPECT_TRUE(bar_->infoLabel()->isHidden());
    deliver(list, "<html>not a list</html>");
    EXPECT_EQ(bar_->infoLabel()->text(), "Failed to load avatar items");
    EXPECT_FALSE(bar_->infoLabel()->isHidden());

    deliver(refresh("items.json?flag=4"), R"({"items": []})");
    EXPECT_EQ(bar_->infoLabel()->text(), "Empty");
    EXPECT_FALSE(bar_->infoLabel()->isHidden());
    EXPECT_EQ(bar_->flag(), 4);
}

TEST_F(AvatarItemBarTest, LoadingIconsIgnoreTapsAndNothingStaysQueued) {
    deliver(refresh("items.json"), R"({"flag": 1, "items": [1, "i1.png", "p1.png", 5, 0, 0, 0,
                                                           2, "i2.png", "p2.png~p3.png", 6, 0, 0, 0]})");
    ASSERT_EQ(bar_->avatarBarButtons().size(), 2u);
    auto icons = cache_->queuedRequests();
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[1]->url(), "i2.png");
    EXPECT_EQ(bar_->avatarBarButtons()[0]->alpha(), 0.5);

    bar_->buttonClicked(*bar_->avatarBarButtons()[0]);
    EXPECT_TRUE(pageCalls().empty());
    EXPECT_EQ(bar_->selectedIndex(), -1);

    deliver(icons[1], "not a picture");
    EXPECT_TRUE(bar_->avatarBarButtons()[1]->isEnabled());
    bar_->buttonClicked(*bar_->avatarBarButtons()[1]);
    EXPECT_EQ(pageCalls(), (std::vector<std::string>{
                               R"(avatarbartapped(1, 1, 2, "", "http://shop.test/shop/i2.png", 6, 0, 0, 0))"}));
    // Icon 0 and the two pictures wait in the queue; starting over takes them all out.
    EXPECT_EQ(cache_->queuedRequests().size(), 3u);
    auto next = refresh("other.json");
    EXPECT_EQ(cache_->queuedRequests(), std::vector<std::shared_ptr<ZelvanURLRequest>>{next});
    EXPECT_FALSE(next->delegate() == nullptr);
    EXPECT_TRUE(icons[0]->delegate() == nullptr);

    bar_.reset();
    EXPECT_TRUE(cache_->queuedRequests().empty());
}

TEST_F(AvatarItemBarTest, IconsOverTheDecodeLimitKeepThePlaceholder) {
    const auto png = [](int width) {
        const fnd::Bytes bytes =
            gfx::pngRepresentation(*gfx::Image::fromPixels(width, 1, fnd::Bytes(static_cast<size_t>(width) * 4, 0xff)));
        return std::string(bytes.begin(), bytes.end());
    };
    deliver(refresh("items.json"), R"({"items": [1, "big.png", "", 1, 0, 0, 0, 2, "edge.png", "", 1, 0, 0, 0]})");
    auto icons = cache_->queuedRequests();
    ASSERT_EQ(icons.size(), 2u);
    const auto& buttons = bar_->avatarBarButtons();
    const gfx::ImagePtr placeholder = buttons[0]->imageForState(ui::ControlState::Normal);
    const int side = static_cast<int>(ZAvatarItemBar::kIconLimit.maxWidth);

    fnd::testing::LogCapture log;
    deliver(icons[0], png(side + 1));
    deliver(icons[1], png(side));
    EXPECT_EQ(log.count("refusing a 1025 x 1 image"), 1u);
    EXPECT_EQ(buttons[0]->imageForState(ui::ControlState::Normal), placeholder);
    EXPECT_TRUE(buttons[0]->isEnabled());
    ASSERT_TRUE(buttons[1]->imageForState(ui::ControlState::Normal));
    EXPECT_EQ(buttons[1]->imageForState(ui::ControlState::Normal)->width(), side);
}

TEST_F(AvatarItemBarTest, HostileUrlsReachThePageAsOneCallWithTheirOwnText) {
    // Icon URLs as the list gives them, and the text the page must get back; a line break is no
    // part of any URL, so those icons have none.
    const std::pair<std::string, std::string> cases[] = {
        {R"(http://shop.test/it's.png)", R"(http://shop.test/it's.png)"},
        {R"(http://shop.test/a"b.png)", R"(http://shop.test/a"b.png)"},
        {R"(http://shop.test/back\slash.png)", R"(http://shop.test/back\slash.png)"},
        {R"(http://shop.test/x');alert(1);('.png)", R"(http://shop.test/x');alert(1);('.png)"},
        {R"(http://shop.test/x");alert(1);(".png)", R"(http://shop.test/x");alert(1);(".png)"},
        {"http://shop.test/line\nbreak.png", ""},
        {"http://shop.test/sep\u2028arator.png", ""},
    };
    for (const auto& [url, expected] : cases) {
        SCOPED_TRACE(url);
        deliver(refresh("items.json"), R"({"items": [7, )" + *ZJSON::write(Value(url)) + R"(, "", 1, 2, 3, 4]})");
        ASSERT_EQ(bar_->avatarBarButtons().size(), 1u);
        for (const auto& icon : cache_->queuedRequests()) {
            deliver(icon, "icon");
        }
        const size_t before = pageCalls().size();
        bar_->buttonClicked(*bar_->avatarBarButtons()[0]);
        ASSERT_EQ(pageCalls().size(), before + 1);
        const std::string script = pageCalls().back();
        const auto strings = callStrings(script);
        ASSERT_TRUE(strings) << script;
        EXPECT_EQ(script.rfind("avatarbartapped(1, -1, 7, ", 0), 0u) << script;
        EXPECT_TRUE(script.ends_with(", 1, 2, 3, 4)")) << script;
        EXPECT_EQ(*strings, (std::vector<std::string>{"", expected}));
    }
}

} // namespace
} // namespace zelvan
