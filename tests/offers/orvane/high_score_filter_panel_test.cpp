// The leaderboard panel against the dev server's fake offer service: the day ranges' steps, paging and
// the next-page row, "No scores available", the best-score strip, the failure alerts with Retry, an "8"
// that answers a submitted score, and closing.
#include "leaderboard_test_support.h"

#include "offers/orvane/client/orvane_connect.h"
#include "platform/foundation/format.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/testing/table_driver.h"

namespace zelvan::orvane::leaderboard_test {
namespace {

// A GetHighScoresByFilter reply of `rows` rows, `more` further rows and a best score named `best`.
std::string scoresReply(int rows, int more, const std::string& best) {
    std::string text = "<HighScoresArray>";
    for (int rank = 1; rank <= rows; ++rank) {
        text += fnd::format("<HighScoreClass><Rank>%d</Rank><PlayerName>P%d</PlayerName><HighScoreID>id-%d"
                            "</HighScoreID><Score1>%d</Score1></HighScoreClass>",
                            rank, rank, rank, 1000 * rank);
    }
    return text + fnd::format("</HighScoresArray><UsersBestScore><Rank>4</Rank><PlayerName>%@</PlayerName>"
                              "<Score1>5</Score1></UsersBestScore><MoreDataAvailable>%d</MoreDataAvailable>",
                              best, more);
}

std::string lastCellText(ui::TableView& table) {
    const int rows = table.numberOfRowsInSection(0);
    const ui::IndexPath last = ui::IndexPath::indexPathForRow(rows - 1, 0);
    table.scrollToRowAtIndexPath(last, ui::TableViewScrollPosition::Bottom, ui::Animated::No);
    table.layoutIfNeeded();
    auto cell = table.cellForRowAtIndexPath(last);
    return cell ? cell->text() : "<none>";
}

TEST_F(LeaderboardTest, DayRangesRunTheirStepsAndAskFromTheFirstPage) {
    open();
    auto first = scoreRequests().back();
    EXPECT_EQ(first.param("daysold"), "1");
    EXPECT_EQ(first.param("filter1"), "1");
    EXPECT_EQ(first.param("filter3"), "a");
    EXPECT_EQ(OrvaneConnect::getFiltersValueInfo()->filter3(), "a");
    EXPECT_EQ(panel_->dataArray().size(), 25u);
    EXPECT_FALSE(panel_->listeningForRows());
    EXPECT_EQ(panel_->progressView()->superview(), nullptr);
    EXPECT_EQ(table().numberOfRowsInSection(0), 26);
    EXPECT_EQ(lastCellText(table()), "          Show Next 15 of 15");

    struct Case {
        std::shared_ptr<ORVGenericButtons> button;
        HighScoreFilterPanel::DayAction action;
        const char* title;
        const char* days;
    };
    const std::vector<Case> cases = {
        {screen().thisButton(), HighScoreFilterPanel::DayAction::ThisWeek, "This Week", "7"},
        {screen().lastButton(), HighScoreFilterPanel::DayAction::AllTime, "  All Time ", "10000"},
        {screen().todayButton(), HighScoreFilterPanel::DayAction::Today, "   Today   ", "1"},
    };
    for (const auto& c : cases) {
        screen().navBarRightBtnAction(); // the menu shows
        ui::AnimationLog::clear();
        Heard rows(kORVHighScoresReceived);
        c.button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        // Before the answer: the buttons, the menu fading out, the title, the subscriptions, the overlay,
        // the emptied rows and strip.
        EXPECT_TRUE(c.button->isSelected()) << c.title;
        EXPECT_EQ(screen().todayButton()->isSelected() + screen().thisButton()->isSelected() +
                      screen().lastButton()->isSelected(),
                  1);
        int fades = 0;
        for (const auto& entry : ui::AnimationLog::entries()) {
            fades += entry.duration == HighScoreView::kMenuFadeSeconds;
        }
        EXPECT_EQ(fades, 1);
        EXPECT_EQ(screen().durationTypeView()->alpha(), 0);
        EXPECT_EQ(screen().navBarView()->navBarRightBtn()->title(), c.title);
        EXPECT_EQ(panel_->currentAction(), c.action);
        EXPECT_TRUE(panel_->listeningForRows());
        EXPECT_EQ(panel_->progressView()->superview(), panel_);
        EXPECT_TRUE(panel_->dataArray().empty());
        EXPECT_EQ(textOf(*screen().userBestscoreView(), 3), "");
        ASSERT_TRUE(pump([&] { return rows.count == 1; }));
        EXPECT_EQ(scoreRequests().back().param("daysold"), c.days);
        EXPECT_EQ(scoreRequests().back().param("start"), "0"); // the counters were reset
        EXPECT_EQ(panel_->dataArray().size(), 25u);
    }
}

TEST_F(LeaderboardTest, NextPageRowOffersAtMostAPageAndStopsWhenThereIsNoMore) {
    service_->setReplyContent("GetHighScoresByFilter", scoresReply(2, 40, "Me"));
    open();
    EXPECT_EQ(table().numberOfRowsInSection(0), 3);
    EXPECT_EQ(lastCellText(table()), "          Show Next 25 of 40");

    service_->setReplyContent("GetHighScoresByFilter", scoresReply(2, 7, "Me"));
    andWait([&] { ui::testing::TableDriver::select(table(), ui::IndexPath::indexPathForRow(2, 0)); });
    EXPECT_EQ(scoreRequests().back().param("start"), "25");
    EXPECT_EQ(panel_->dataArray().size(), 4u); // appended
    EXPECT_EQ(lastCellText(table()), "          Show Next 7 of 7");

    service_->setReplyContent("GetHighScoresByFilter", scoresReply(2, 0, "Me"));
    andWait([&] { panel_->getmoredata(); });
    EXPECT_EQ(table().numberOfRowsInSection(0), 6);
    EXPECT_EQ(panel_->numberOfRowsInTable().more, false);
    panel_->getmoredata();
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), HighScoreFilterPanel::kNoMoreDataTitle);
    EXPECT_EQ(alert->message(), "No More Data");
    EXPECT_EQ(alert->numberOfButtons(), 1);
    EXPECT_FALSE(context_->shadow()->highScoresByFilterPending());
    EXPECT_FALSE(panel_->listeningForRows());

    // An empty list with more rows on the server still offers them.
    service_->setReplyContent("GetHighScoresByFilter", scoresReply(0, 3, "Me"));
    andWait([&] { panel_->todayButtonAction(); });
    EXPECT_EQ(table().numberOfRowsInSection(0), 1);
    EXPECT_EQ(lastCellText(table()), "          Show Next 3 of 3");
}

TEST_F(LeaderboardTest, NoScoresLabelAndBestScoreStripFollowTheReply) {
    service_->setReplyContent("GetHighScoresByFilter", scoresReply(0, 0, ""));
    open();
    const double tableY = 44 + 30 + 22 + 44;
    EXPECT_EQ(panel_->viewWithTag(HighScoreFilterPanel::kNoScoreTag), panel_->noScoreLbl());
    EXPECT_EQ(panel_->noScoreLbl()->text(), "No scores available");
    EXPECT_DOUBLE_EQ(panel_->noScoreLbl()->alpha(), 0.6);
    EXPECT_EQ(screen().userBestscoreView()->alpha(), 0);
    EXPECT_EQ(table().frame(), gfx::Rect(0, tableY - 44, 320, 340 + 44));

    service_->setReplyContent("GetHighScoresByFilter", "");
    andWait([&] { panel_->thisButtonAction(); });
    EXPECT_EQ(panel_->noScoreLbl()->superview(), nullptr);
    auto& strip = *screen().userBestscoreView();
    EXPECT_EQ(strip.alpha(), 1);
    EXPECT_EQ(table().frame(), gfx::Rect(0, tableY, 320, 340));
    EXPECT_EQ(textOf(strip, 3), "  7.  Demo Player");
    EXPECT_EQ(textOf(strip, 4), "99,300");
    EXPECT_EQ(textOf(strip, 5), "00:00:14"); // "time" is the second score
    EXPECT_EQ(textOf(strip, 6), "0");
    saveScreenshot("orvane-leaderboard.png");
}

TEST_F(LeaderboardTest, FailuresAlertAndRetryRepeatsTheDayRange) {
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::ErrorMessage);
    open();
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "");
    EXPECT_EQ(alert->message(), "Service is unreachable.\nDo you want to try again?");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Retry");
    EXPECT_FALSE(panel_->listeningForRows());
    EXPECT_EQ(panel_->progressView()->superview(), nullptr);
    EXPECT_FALSE(panel_->currentAction());

    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::Good);
    const size_t sent = scoreRequests().size();
    andWait([&] { AlertDriver::tap("Retry"); });
    EXPECT_EQ(panel_->currentAction(), HighScoreFilterPanel::DayAction::Today);
    ASSERT_EQ(scoreRequests().size(), sent + 1);
    EXPECT_EQ(scoreRequests().back().param("daysold"), "1");

    // An "8" answering a submitted score while the panel's own request is pending leaves it waiting.
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::Stall);
    service_->setMode("SubmitHighScore", OrvaneReplyMode::Empty);
    Heard eight(kORVHighScoresError), nine(kORVHighScoresNetError);
    panel_->thisButtonAction();
    context_->shadow()->showSubmitHighScores(ORVScoreSubmission{});
    ASSERT_TRUE(pump([&] { return eight.count == 1; }));
    EXPECT_TRUE(panel_->listeningForRows());
    EXPECT_EQ(panel_->progressView()->superview(), panel_);
    EXPECT_FALSE(AlertDriver::visible());
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return nine.count == 1; }));
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), HighScoreFilterPanel::kUnreachable);
    AlertDriver::tap("Cancel");

    // Challenge mode: an ErrorMessage is an improper id.
    screen().setChallenge(true);
    service_->setMode("GetHighScoresByChallenge", OrvaneReplyMode::ErrorMessage);
    Heard improper(kORVChallengeScoresError);
    panel_->lastButtonAction();
    EXPECT_TRUE(panel_->listeningForChallenge());
    ASSERT_TRUE(pump([&] { return improper.count == 1; }));
    alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "Improper GUID");
    EXPECT_EQ(alert->numberOfButtons(), 1);
    EXPECT_FALSE(panel_->listeningForChallenge());
}

TEST_F(LeaderboardTest, ClosingPostsUnlessOpenedByAnotherSdkView) {
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    ASSERT_TRUE(facade);
    facade->setBeaconSwitch(1);
    auto shadow = context_->shadow();
    ASSERT_TRUE(pump([&] { return shadow->getAdOrderState() == 1 && !shadow->adOrderInFlight(); }));
    for (const bool inside : {false, true}) {
        open();
        panel_->setOpenedFromORVView(inside);
        Heard shown(kORVShowBoxNotification);
        screen().navBarView()->navBarLeftBtn()->performAction();
        EXPECT_EQ(web().start1(), 0);
        fnd::RunLoop::main().advance(OrvaneConnect::getTransitionDelay());
        EXPECT_EQ(panel_->superview(), nullptr);
        EXPECT_EQ(shown.count, inside ? 0 : 1);
        EXPECT_TRUE(model().getOrvaneHighScoreobj()->empty());
        EXPECT_FALSE(model().getUserBestScoreObj());
    }
    // Each panel timed its own section of the usage beacon.
    const auto& sections = facade->beaconRecorder().sections();
    ASSERT_EQ(sections.size(), 2u);
    for (const auto& section : sections) {
        EXPECT_EQ(section.name, "ORV View High Score");
        EXPECT_TRUE(section.timed && section.ended);
    }
    // The shared picture path refuses ids that could leave its folder.
    EXPECT_FALSE(HighScoreFilterPanel::imagePathForID("../x"));
    EXPECT_FALSE(HighScoreFilterPanel::saveImageData(fnd::Bytes{1, 2}, "a/b"));
}

} // namespace
} // namespace zelvan::orvane::leaderboard_test
