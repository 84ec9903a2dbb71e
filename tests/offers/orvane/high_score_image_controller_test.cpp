// The score card against the dev server's fake offer service: its text panel, the picture request and its
// answers (the retry alert among them), " Back ", a card released before its answer, and a picture of a
// card for a person to look at.
#include <gtest/gtest.h>

#include "offers/orvane/high_score_image_controller.h"
#include "offers/orvane/orv_goods_names.h"
#include "offers/orvane/orv_ui_navigation_bar_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/label.h"
#include "tests/offers/orvane/leaderboard_test_support.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;
using ui::testing::AlertDriver;

class HighScoreImageControllerTest : public widget_test::LeaderboardTest {
protected:
    static HighScoreCardValues values() {
        HighScoreCardValues v;
        v.filterLabels = {"Mode", "", "Map", "", "", ""};
        v.filterData = {"Easy", "x", "Forest", "", "", ""};
        v.scoreLabels = {"Points", "Time", "", "Kills", "", "", ""};
        v.scoreData = {"1234567", "3725", "9", "12", "", "", ""};
        v.playerName = "Ann";
        v.rank = "3";
        return v;
    }
    // A card for row "hs-7", shown in the window.
    std::shared_ptr<HighScoreImageController> openCard(const HighScoreCardValues& v) {
        auto card = std::make_shared<HighScoreImageController>();
        card->setChallId("hs-7");
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
    card->getProgIndicator()->startAnimating(); // as the screen does when the card slides in
    shoot("orvane-score-card.png");

    // The picture's answer ends the wait.
    ASSERT_TRUE(pump([&] { return image.heard.size() == 1; }));
    EXPECT_EQ(requestsOf("GetHighScoreImage").at(0).param("HighScoreID"), "hs-7");
    EXPECT_FALSE(card->loadingImage()->superview());
    EXPECT_FALSE(card->getProgIndicator()->isAnimating());
    EXPECT_FALSE(card->isObservingImage());

    // A row whose game names no score: the player line and the filter lines only.
    HighScoreCardValues unnamed = values();
    unnamed.scoreLabels = {"", "", "", "", "", "", ""};
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

} // namespace
} // namespace zelvan::orvane
