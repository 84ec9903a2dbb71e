// The score card against the dev server's fake offer service: its text panel, the picture request and its
// answers (the retry alert among them), " Back ", a card released before its answer, and a picture of a
// card for a person to look at.
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "offers/orvane/scores/high_score_image_controller.h"
#include "offers/orvane/scores/high_score_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/label.h"
#include "platform/ui/testing/table_driver.h"
#include "tests/offers/orvane/score_dialog_test_support.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;
using ui::testing::AlertDriver;

class HighScoreImageControllerTest : public widget_test::ScoreDialogTest {
protected:
    static HighScoreCardParams values() {
        HighScoreCardParams v;
        v.filterLabels = {"Mode", "", "Map", std::nullopt, "", ""};
        v.filterValues = {"Easy", "x", "Forest", "", "", ""};
        v.scoreLabels = {"Points", "Time", "", "Kills", std::nullopt, "", ""};
        v.scoreValues = {"1234567", "3725", "9", "12", "", "", ""};
        v.playerName = "Ann";
        v.rank = "3";
        return v;
    }
    // A card for row "hs-7", shown in the window.
    std::shared_ptr<HighScoreImageController> openCard(const HighScoreCardParams& v) {
        auto card = std::dynamic_pointer_cast<HighScoreImageController>(makeHighScoreImageController());
        card->setChallId(std::string("hs-7"));
        card->setParams(v);
        window_->addSubview(card->view());
        return card;
    }
    // The texts of the panel's labels, top to bottom and left to right.
    static std::vector<std::string> lines(const HighScoreImageController& card) {
        std::vector<std::string> out;
        for (const auto& view : card.textPanel()->subviews()) {
            if (auto label = std::dynamic_pointer_cast<ui::Label>(view)) {
                out.push_back(label->text());
            }
        }
        return out;
    }
};

TEST_F(HighScoreImageControllerTest, TheTextPanelShowsTheNamedScoresAndFilters) {
    widget_test::HeardInOrder image({kORVHighScoreImageReceived});
    auto card = openCard(values());
    EXPECT_EQ(card->navBarView()->navBarTitle()->title(), "Detail");
    EXPECT_EQ(card->textPanel()->frame(), gfx::Rect(2, 60, 318, 160));
    EXPECT_EQ(lines(*card), (std::vector<std::string>{"Player: Ann", "Rank: 3", "Points: 1,234,567", "Time: 01:02:05",
                                                      "Kills: 12", "Mode: Easy", "Map: Forest"}));
    EXPECT_EQ(card->loadingImage()->text(), "Loading Image");
    card->startActivityIndicator(); // as the screen does when the card slides in
    shoot("orvane-score-card.png");

    // The picture's answer ends the wait.
    ASSERT_TRUE(pump([&] { return image.heard.size() == 1; }));
    EXPECT_EQ(requestsOf("GetHighScoreImage").at(0).param("HighScoreID"), "hs-7");
    EXPECT_FALSE(card->loadingImage()->superview());
    EXPECT_FALSE(card->getProgIndicator()->isAnimating());
    EXPECT_FALSE(card->isObservingImage());

    // A row whose game names no score: the player line and the filter lines only.
    HighScoreCardParams unnamed = values();
    unnamed.scoreLabels = {"", "", "", "", "", "", std::nullopt};
    auto bare = openCard(unnamed);
    EXPECT_EQ(lines(*bare), (std::vector<std::string>{"Player: Ann", "Rank: 3", "Mode: Easy", "Map: Forest"}));
    EXPECT_EQ(HighScoreImageController::scoreLine("time", "59"), "time: 00:00:59");
}

TEST_F(HighScoreImageControllerTest, AnUnreachableServiceOffersRetryWhichAsksAgain) {
    service_->setMode("GetHighScoreImage", OrvaneReplyMode::Garbage);
    widget_test::HeardInOrder heard({kORVHighScoreImageNetError, kORVHighScoreImageReceived});
    auto card = openCard(values());
    ASSERT_TRUE(pump([&] { return AlertDriver::visibleAlert() != nullptr; }));
    auto alert = AlertDriver::visibleAlert();
    EXPECT_EQ(alert->title(), "");
    EXPECT_EQ(alert->message(), "Service is unreachable.\nDo you want to try again?");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    ASSERT_TRUE(AlertDriver::tap("Cancel"));
    EXPECT_TRUE(card->loadingImage()->superview()); // still waiting

    card->getHighScoresImageSelector1(); // the alert again, as another unreadable answer would show it
    service_->setMode("GetHighScoreImage", OrvaneReplyMode::Good);
    ASSERT_TRUE(AlertDriver::tap("Retry"));
    ASSERT_TRUE(pump([&] { return heard.count(kORVHighScoreImageReceived) == 1; }));
    const auto asked = requestsOf("GetHighScoreImage");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].param("HighScoreID"), "hs-7");
    EXPECT_FALSE(card->loadingImage()->superview());
}

TEST_F(HighScoreImageControllerTest, BackSlidesTheCardOutOnceAndAReleasedCardHearsNothing) {
    auto card = openCard(values());
    auto page = card->view();
    ui::AnimationLog::clear();
    card->navBarView()->navBarLeftBtn()->performAction();
    card->navBarView()->navBarLeftBtn()->performAction();
    EXPECT_EQ(page->frame().origin.x, -320);
    ASSERT_FALSE(ui::AnimationLog::entries().empty());
    EXPECT_EQ(ui::AnimationLog::entries().back().duration, 0.8);
    EXPECT_EQ(page->superview(), window_);
    advance(0.8);
    EXPECT_FALSE(page->superview());
    advance(1);
    EXPECT_FALSE(page->superview());

    // A card gone before its unreadable answer shows no alert.
    service_->setMode("GetHighScoreImage", OrvaneReplyMode::Stall);
    widget_test::HeardInOrder failed({kORVHighScoreImageNetError});
    auto gone = openCard(values());
    std::weak_ptr<HighScoreImageController> watch = gone;
    gone->view()->removeFromSuperview();
    gone.reset();
    card.reset();
    EXPECT_TRUE(watch.expired());
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return failed.heard.size() >= 1; }));
    EXPECT_FALSE(AlertDriver::visible());
}

TEST_F(HighScoreImageControllerTest, ARowTappedOnTheLeaderboardOpensItsCardWithTheRowsValues) {
    service_->setReplyContent(
        "Connect", "<ScoresAndFilterInfo><FilterName1>Mode</FilterName1><ScoreName1>Points</ScoreName1>"
                   "<ScoreName2>Time</ScoreName2><FilterValues1><FilterValue><Value>Easy</Value><Caption>Easy "
                   "mode</Caption></FilterValue></FilterValues1></ScoresAndFilterInfo>");
    widget_test::HeardInOrder connected({kORVConnectReceived});
    context_->shadow()->requestConnect();
    ASSERT_TRUE(pump([&] { return connected.heard.size() == 1; }));
    auto panel = HighScoreFilterPanel::initWithFrame(gfx::Rect(0, 0, 320, 480), {"Easy", "", "", "", "", ""});
    window_->addSubview(panel);
    ASSERT_TRUE(pump([&] { return !panel->dataArray().empty(); }));
    ASSERT_TRUE(ui::testing::TableDriver::select(*panel->myView()->table(), fnd::IndexPath{0, 1}));
    auto card = std::dynamic_pointer_cast<HighScoreImageController>(panel->getHighScoreImageController());
    ASSERT_TRUE(card);
    EXPECT_EQ(card->challId(), "hs-2");
    EXPECT_EQ(lines(*card), (std::vector<std::string>{"Player: Player", "Rank: 2", "Points: 99,800", "Time: 00:00:04",
                                                      "Mode: Easy"}));
    advance(0.8);
    EXPECT_EQ(card->view()->frame().origin.x, 0);
    shoot("orvane-score-card-from-leaderboard.png");
    ASSERT_TRUE(pump([&] { return !requestsOf("GetHighScoreImage").empty(); }));
    const auto asked = requestsOf("GetHighScoreImage");
    ASSERT_EQ(asked.size(), 1u); // the screen loads the card's view before it gives the id: one request
    EXPECT_EQ(asked[0].param("HighScoreID"), "hs-2");
}

} // namespace
} // namespace zelvan::orvane
