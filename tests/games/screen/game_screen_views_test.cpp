// The game screen's own views: the loading view's background frames on the manual clock and its
// animated progress bar, and the in-game chat's colour dealing, its 100-line window, its bound on a
// line's text and its hint; with a picture of the loading view for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "games/screen/game_chat_view.h"
#include "games/screen/game_load_view.h"
#include "games/screen/game_user_info_view.h"
#include "messaging/model/received_text.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/font.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

using fnd::Value;

class GameScreenViewsTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = fnd::ManualClock::install(); }
    void TearDown() override {
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    // The background frame numbers shown over `ticks` timer periods, starting with the first.
    std::vector<int> frames(GameLoadView& view, int ticks) {
        std::vector<int> out{view.currentImg()};
        for (int i = 0; i < ticks; ++i) {
            fnd::RunLoop::main().advance(GameLoadView::kFrameInterval + 1e-6);
            out.push_back(view.currentImg());
        }
        return out;
    }
    static std::vector<int> expected(int last) {
        std::vector<int> out;
        for (int i = 1; i <= last; ++i) {
            out.push_back(i);
        }
        out.push_back(1);
        return out;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
};

TEST_F(GameScreenViewsTest, LoadingViewCyclesFramesAndStopsWithItsTimer) {
    auto portrait = GameLoadView::initWithOrientation(true);
    EXPECT_EQ(portrait->frame(), gfx::Rect(0, 0, 320, 480));
    portrait->startAnimation();
    EXPECT_EQ(frames(*portrait, 18), expected(18));
    portrait->stopAnimation();
    fnd::RunLoop::main().advance(2);
    EXPECT_EQ(portrait->currentImg(), 1);

    auto landscape = GameLoadView::initWithOrientation(false);
    EXPECT_EQ(landscape->frame(), gfx::Rect(0, 0, 480, 320));
    landscape->startAnimation();
    EXPECT_EQ(frames(*landscape, 19), expected(19));
    // The timer holds the view weakly: letting the view go stops it.
    std::weak_ptr<GameLoadView> weak = landscape;
    landscape.reset();
    EXPECT_TRUE(weak.expired());
    fnd::RunLoop::main().advance(1);
}

TEST_F(GameScreenViewsTest, ProgressAnimatesOnlyLargeStepsOfTheBar) {
    auto view = GameLoadView::initWithOrientation(true);
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    window->addSubview(view);
    EXPECT_EQ(view->progressLabel()->text(), "0%");
    EXPECT_EQ(view->fillView()->frame().width(), 0);

    ui::AnimationLog::clear();
    view->updateProgress(0.5f);
    EXPECT_EQ(view->progressLabel()->text(), "50%");
    EXPECT_EQ(view->fillView()->frame().width(), 46);
    auto entries = ui::AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].duration, 1.0);
    ASSERT_FALSE(entries[0].properties.empty());
    EXPECT_EQ(entries[0].properties[0].target.lock(), view->fillView());

    view->updateProgress(0.55f);
    EXPECT_EQ(view->progressLabel()->text(), "55%");
    EXPECT_NEAR(view->fillView()->frame().width(), 50.6, 1e-4);
    EXPECT_EQ(ui::AnimationLog::entries().size(), 1u);

    view->updateProgress(1.0f);
    EXPECT_EQ(view->progressLabel()->text(), "100%");
    EXPECT_EQ(view->fillView()->frame().width(), 92);
    EXPECT_EQ(ui::AnimationLog::entries().size(), 2u);
    EXPECT_NEAR(ui::AnimationLog::entries().back().duration, 0.9, 1e-6);

    // The player panel: the page for the id in the centred panel, gone again with Close.
    auto info = GameUserInfoView::init();
    info->showInView(window, 42, "ann");
    EXPECT_EQ(info->superview(), window);
    EXPECT_EQ(info->webController()->initUrl(), fnd::format("%@?uid=%d", ZLS("static_userinfo"), 42));
    EXPECT_FALSE(info->webController()->bounces());
    EXPECT_EQ(info->webController()->view()->frame().height(), GameUserInfoView::kPageHeight);
    EXPECT_TRUE(window->bounds().containsRect(info->panel()->frame()));
    info->closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(info->superview(), nullptr);

    view->updateProgress(0.35f);
    fnd::RunLoop::main().advance(2);
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window, "screenshots/game-loading.png"));
    window->setHidden(true);
}

// The colour token a chat line starts with, if any.
std::optional<gfx::Color> leadingColor(const IMMessage& message) {
    if (message.tokens().empty()) {
        return std::nullopt;
    }
    if (const gfx::Color* c = std::get_if<gfx::Color>(&message.tokens().front())) {
        return *c;
    }
    return std::nullopt;
}

TEST_F(GameScreenViewsTest, ChatDealsColoursInOrderOfFirstAppearance) {
    auto chat = ui::View::create<GameChatView>(gfx::Rect(0, 0, 300, 200));
    chat->setTextFont(gfx::Font::withName("Helvetica-Bold", 12));
    EXPECT_EQ(chat->tipLabel()->text(), ZLS("Tap here to chat"));
    EXPECT_FALSE(chat->tipLabel()->isHidden());

    // One colour: only the player's own; other players get none.
    chat->setColors(Value::array({0x111111}));
    chat->addUserMessage("ann: hi");
    EXPECT_EQ(leadingColor(*chat->messages().back()), std::nullopt);
    EXPECT_TRUE(chat->tipLabel()->isHidden());
    chat->addSelfMessage("yo");
    EXPECT_EQ(leadingColor(*chat->messages().back()), ZelvanWidget::newColorFromWeb(0x111111, 1));

    chat->clear();
    chat->setColors(Value::array({0x111111, 0x222222, 0x333333}));
    const std::vector<std::string> lines = {"bob: a", "cy: b", "bob: c", "dan: d", "eve: e"};
    std::vector<std::optional<gfx::Color>> got;
    for (const std::string& line : lines) {
        chat->addUserMessage(line);
        got.push_back(leadingColor(*chat->messages().back()));
    }
    const auto c1 = ZelvanWidget::newColorFromWeb(0x222222, 1);
    const auto c2 = ZelvanWidget::newColorFromWeb(0x333333, 1);
    EXPECT_EQ(got, (std::vector<std::optional<gfx::Color>>{c1, c2, c1, c1, c2}));
    chat->addUserMessage("no colon here");
    EXPECT_EQ(leadingColor(*chat->messages().back()), std::nullopt);
    // Each line is measured at the full width.
    EXPECT_GT(chat->messages().back()->size().height, 0);
    EXPECT_LE(chat->messages().back()->size().width, 300);

    chat->clear();
    for (int i = 0; i < 101; ++i) {
        chat->addSystemMessage(std::to_string(i));
    }
    ASSERT_EQ(chat->messages().size(), 100u);
    EXPECT_EQ(chat->messages().front()->tokens().back(), MessageToken(std::string("1")));
    EXPECT_EQ(chat->numberOfRowsInSection(0), 100);
}

TEST_F(GameScreenViewsTest, ChatLinesAreCutLikeTheChatWindowsLines) {
    auto chat = ui::View::create<GameChatView>(gfx::Rect(0, 0, 300, 200));
    chat->setTextFont(gfx::Font::withName("Helvetica-Bold", 12));
    fnd::testing::LogCapture log;
    // 100,000 emoticons from the server, as another player's line and as a system line, and typed by the player.
    std::string smileys;
    for (int i = 0; i < 100000; ++i) {
        smileys += ":)";
    }
    chat->addUserMessage("ann: " + smileys);
    chat->addSystemMessage(smileys);
    chat->addSelfMessage(smileys);
    ASSERT_EQ(chat->messages().size(), 3u);
    for (const auto& line : chat->messages()) {
        const auto& tokens = line->tokens();
        EXPECT_LE(tokens.size(), kReceivedTextUnits / 2 + 2);
        const std::string* last = std::get_if<std::string>(&tokens.back());
        ASSERT_NE(last, nullptr);
        EXPECT_TRUE(last->ends_with("\u2026")) << *last;
    }
    EXPECT_EQ(log.count("was cut"), 3u);
}

} // namespace
} // namespace zelvan
