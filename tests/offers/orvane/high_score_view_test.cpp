// The leaderboard screen as the game's description shapes it: filter boxes and their description, the
// Game Type dialog's OK, score columns and the time column, a game without filter values, and a tapped
// row's score card with the guard against a second tap while it slides in.
#include "leaderboard_test_support.h"

#include "platform/ui/testing/table_driver.h"

namespace zelvan::orvane::leaderboard_test {
namespace {

using ui::testing::TableDriver;
using ui::testing::TouchDriver;

gfx::Point centerInWindow(const ui::View& view) {
    const gfx::Rect rect = view.convertRectToView(view.bounds(), nullptr);
    return gfx::Point(rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2);
}

double scoreX(ui::View& parent, int tag) {
    return parent.viewWithTag(tag)->frame().origin.x;
}

std::shared_ptr<ui::TableViewCell> cellAt(ui::TableView& table, int row) {
    table.layoutIfNeeded();
    return table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0));
}

TEST_F(LeaderboardTest, FilterBoxesDescriptionAndGameTypeOk) {
    open();
    // Boxes for filters 1 and 3 (filter 2 has no values), preselected with the panel's filters.
    EXPECT_TRUE(screen().comboBox(1));
    EXPECT_FALSE(screen().comboBox(2));
    EXPECT_TRUE(screen().comboBox(3));
    EXPECT_EQ(screen().comboBox(3)->getSelectedItem()->getCaption(), "Arcade");
    EXPECT_EQ(screen().getFilterInfoStr(), " Level: Easy  Mode: Arcade ");
    EXPECT_EQ(screen().gameTypeBar()->alpha(), 1);
    EXPECT_EQ(screen().TimeColNo(), 2);
    EXPECT_EQ(screen().availableScores(), 3);
    EXPECT_EQ(*screen().tableViewHeightForRowAtIndexPath(table(), {}), 45);

    screen().gameTypeBtnAction();
    fnd::RunLoop::main().advance(HighScoreView::kDialogSeconds);
    EXPECT_EQ(screen().gameTypeView()->alpha(), 1);
    EXPECT_DOUBLE_EQ(screen().disableView()->alpha(), 0.7);
    saveScreenshot("orvane-leaderboard-game-type.png");

    // The last box's list opens below the dialog's buttons, and its last item still takes the tap.
    auto mode = screen().comboBox(3);
    TouchDriver::tap(window_, centerInWindow(*mode->comboButton()));
    fnd::RunLoop::main().advance(1);
    TouchDriver::tap(window_, centerInWindow(*mode->items()[2]));
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(mode->getSelectedItem()->getCaption(), "Timed");
    andWait([&] { screen().gameTypeOkBtn()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside); });
    EXPECT_EQ(panel_->filters(), (ORVFilters{"1", "", "t", "", "", ""}));
    EXPECT_EQ(scoreRequests().back().param("filter3"), "t");
    EXPECT_EQ(scoreRequests().back().param("daysold"), "1"); // Today, as nothing ran before
    EXPECT_EQ(screen().filtersDesc()->text(), " Level: Easy  Mode: Timed ");
    EXPECT_EQ(screen().gameTypeView()->alpha(), 0);
    EXPECT_EQ(screen().disableView()->alpha(), 0);
}

TEST_F(LeaderboardTest, GameWithoutFilterValuesOrWithFewerScores) {
    // One score name: one column, 120 points further right; no filter values: no bar, no boxes, a taller
    // table, rows of 46, and OK sends six empty values.
    describe("<ScoresAndFilterInfo><FilterName1>Level</FilterName1><ScoreName1>Time</ScoreName1>"
             "</ScoresAndFilterInfo>");
    open({"x", "y", "", "", "", "z"});
    EXPECT_EQ(screen().gameTypeBar()->alpha(), 0);
    EXPECT_EQ(screen().gameTypeBar()->frame().size.height, 0);
    EXPECT_EQ(screen().getFilterInfoStr(), "");
    EXPECT_EQ(table().frame().size.height, 340 + 49);
    EXPECT_EQ(*screen().tableViewHeightForRowAtIndexPath(table(), {}), 46);
    EXPECT_EQ(screen().availableScores(), 1);
    EXPECT_EQ(scoreX(*screen().userBestscoreView(), 4), 1 + 135 + 1 + 120);
    EXPECT_EQ(screen().userBestscoreView()->viewWithTag(5), nullptr);
    auto cell = cellAt(table(), 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(textOf(*cell->contentView(), 3), "  1.  Player");
    EXPECT_EQ(textOf(*cell->contentView(), 4), "27:45:00"); // 99900 seconds in the "Time" column
    andWait([&] { screen().gameTypeOkBtn()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside); });
    EXPECT_EQ(panel_->filters(), ORVFilters{});
    EXPECT_EQ(scoreRequests().back().param("filter6"), "");

    // Two score names: the first column 48 (strip) or 50 (rows) further, the second 10 after it.
    panel_->backButtonAction(); // closing resets the paging
    fnd::RunLoop::main().advance(1);
    describe("<ScoresAndFilterInfo><ScoreName1>Points</ScoreName1><ScoreName2>Stars</ScoreName2>"
             "</ScoresAndFilterInfo>");
    open();
    EXPECT_EQ(screen().TimeColNo(), 0);
    EXPECT_EQ(scoreX(*screen().userBestscoreView(), 4), 137 + 48);
    EXPECT_EQ(scoreX(*screen().userBestscoreView(), 5), 137 + 48 + 61 + 10);
    cell = cellAt(table(), 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(scoreX(*cell->contentView(), 4), 137 + 50);
    EXPECT_EQ(textOf(*cell->contentView(), 4), "99,900");
    EXPECT_EQ(textOf(*cell->contentView(), 5), "2");
}

TEST_F(LeaderboardTest, RowOpensItsCardOnceWhileItSlidesIn) {
    open();
    ASSERT_TRUE(TableDriver::select(table(), ui::IndexPath::indexPathForRow(2, 0)));
    ASSERT_EQ(cards_.size(), 1u);
    const RecordingCard& card = *cards_[0];
    EXPECT_EQ(card.challId, "hs-3");
    HighScoreCardParams expected;
    expected.filterLabels = {"Level", "Region", "Mode", std::nullopt, std::nullopt, std::nullopt};
    expected.filterValues = {"1", std::nullopt, "a", "", "", ""};
    expected.scoreLabels = {"Points", "time", "Bonus", std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    expected.scoreValues = {"99700", "6", "0", "0", "0", "0", "0"};
    expected.playerName = "Player";
    expected.rank = "3";
    EXPECT_EQ(card.params, expected);
    EXPECT_EQ(panel_->getHighScoreImageController(), cards_[0]);
    EXPECT_EQ(card.indicatorStarts, 1);
    EXPECT_EQ(card.cardView->superview(), screen().mainView());
    EXPECT_FALSE(card.cardView->isUserInteractionEnabled());

    // A second tap during the slide is ignored; after it the next opens.
    TableDriver::select(table(), ui::IndexPath::indexPathForRow(4, 0));
    EXPECT_EQ(cards_.size(), 1u);
    fnd::RunLoop::main().advance(HighScoreView::kSlideSeconds);
    EXPECT_TRUE(card.cardView->isUserInteractionEnabled());
    EXPECT_EQ(screen().rowAlreadyselected(), 0);
    card.cardView->removeFromSuperview();
    ASSERT_TRUE(TableDriver::select(table(), ui::IndexPath::indexPathForRow(4, 0)));
    EXPECT_EQ(cards_.size(), 2u);
    EXPECT_EQ(cards_[1]->params.rank, "5");
    fnd::RunLoop::main().advance(HighScoreView::kSlideSeconds);

    // A stale tap after a day button emptied the rows reads none and opens nothing.
    panel_->thisButtonAction();
    EXPECT_FALSE(panel_->getHighScoreID(4));
    EXPECT_FALSE(panel_->getTableLabel(4, 0));
    EXPECT_EQ(panel_->getTableLabel(4, 2), "Points"); // names do not depend on the rows
    EXPECT_FALSE(panel_->getTableLabel(0, 99));
    screen().tableViewDidSelectRowAtIndexPath(table(), ui::IndexPath::indexPathForRow(4, 0));
    EXPECT_EQ(cards_.size(), 2u);
    EXPECT_EQ(screen().rowAlreadyselected(), 0);
}

} // namespace
} // namespace zelvan::orvane::leaderboard_test
