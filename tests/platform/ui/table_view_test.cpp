// Table view tests: cells asked for visible rows only and reused while scrolling, section, header
// and footer geometry in both styles, variable heights, scrolling rows into place, selection by
// real taps and its callback order, deletion through the editing controls, and a screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/table_view.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

using fnd::IndexPath;
using ui::testing::TableDriver;
using ui::testing::TouchDriver;

std::string name(const IndexPath& p) {
    return std::to_string(p.section) + "." + std::to_string(p.row);
}

// A cell that reports what the table does to it.
class RecordingCell : public TableViewCell {
public:
    RecordingCell(TableViewCellStyle style, std::string id, std::vector<std::string>* log)
        : TableViewCell(style, std::move(id)), log_(log) {}
    void setSelected(bool selected, Animated animated) override {
        if (selected != isSelected() && log_) {
            log_->push_back(selected ? "cell selected " + textLabel()->text()
                                     : "cell deselected " + textLabel()->text());
        }
        TableViewCell::setSelected(selected, animated);
    }
    void prepareForReuse() override {
        ++reuses;
        TableViewCell::prepareForReuse();
    }
    int reuses = 0;

private:
    std::vector<std::string>* log_;
};

// Rows described by counts per section (and optional heights, titles and editing rules); every
// question asked and every delegate call is recorded.
class Model : public TableViewDataSource, public TableViewDelegate {
public:
    std::vector<int> rows{100};
    std::map<IndexPath, double> heights;
    std::map<int, std::string> headerTitles;
    std::map<int, std::string> footerTitles;
    std::map<IndexPath, bool> notEditable;
    std::optional<std::optional<IndexPath>> willSelectAnswer;
    bool deleteOnCommit = true;

    std::vector<std::string> asked;  // data source and height questions
    std::vector<std::string> events; // selection, accessory and editing callbacks
    int cellsCreated = 0;
    int cellRequests = 0;

    int numberOfSectionsInTableView(TableView&) override {
        asked.push_back("sections");
        return static_cast<int>(rows.size());
    }
    std::function<void(TableView&)> whileCounting; // runs once, inside the next row count question
    int tableViewNumberOfRowsInSection(TableView& table, int section) override {
        asked.push_back("rows " + std::to_string(section));
        if (auto hook = std::exchange(whileCounting, nullptr)) {
            hook(table);
        }
        return section < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(section)] : 0;
    }
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table, const IndexPath& p) override {
        asked.push_back("cell " + name(p));
        ++cellRequests;
        auto cell = std::static_pointer_cast<RecordingCell>(table.dequeueReusableCellWithIdentifier("row"));
        if (!cell) {
            cell = TableViewCell::initWithStyle<RecordingCell>(TableViewCellStyle::Default, "row", &events);
            ++cellsCreated;
        }
        cell->textLabel()->setText(name(p));
        cell->setAccessoryType(TableViewCellAccessoryType::DetailDisclosureButton);
        return cell;
    }
    std::optional<std::string> tableViewTitleForHeaderInSection(TableView&, int s) override {
        auto it = headerTitles.find(s);
        return it == headerTitles.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::string> tableViewTitleForFooterInSection(TableView&, int s) override {
        auto it = footerTitles.find(s);
        return it == footerTitles.end() ? std::nullopt : std::optional(it->second);
    }
    bool tableViewCanEditRowAtIndexPath(TableView&, const IndexPath& p) override { return notEditable.count(p) == 0; }
    void tableViewCommitEditingStyle(TableView& table, TableViewCellEditingStyle style, const IndexPath& p) override {
        events.push_back("commit " + std::to_string(static_cast<int>(style)) + " " + name(p));
        if (deleteOnCommit && style == TableViewCellEditingStyle::Delete) {
            --rows[static_cast<size_t>(p.section)];
            table.deleteRowsAtIndexPaths({p}, TableViewRowAnimation::Right);
        }
    }

    std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, const IndexPath& p) override {
        asked.push_back("height " + name(p));
        auto it = heights.find(p);
        return it == heights.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::optional<IndexPath>> tableViewWillSelectRowAtIndexPath(TableView&, const IndexPath& p) override {
        events.push_back("willSelect " + name(p));
        return willSelectAnswer;
    }
    void tableViewDidSelectRowAtIndexPath(TableView&, const IndexPath& p) override {
        events.push_back("didSelect " + name(p));
    }
    void tableViewDidDeselectRowAtIndexPath(TableView& table, const IndexPath& p) override {
        events.push_back("didDeselect " + name(p));
        if (onDeselect) {
            onDeselect(table);
        }
    }
    std::function<void(TableView&)> onDeselect;
    void tableViewAccessoryButtonTappedForRowWithIndexPath(TableView&, const IndexPath& p) override {
        events.push_back("accessory " + name(p));
    }
    void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
    int scrolls = 0;

    size_t countAsked(const std::string& prefix) const {
        size_t n = 0;
        for (const auto& a : asked) {
            n += a.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

std::vector<std::string> visibleNames(const TableView& table) {
    std::vector<std::string> names;
    for (const auto& p : table.indexPathsForVisibleRows()) {
        names.push_back(name(p));
    }
    return names;
}

std::vector<std::string> rowRange(int section, int from, int to) {
    std::vector<std::string> names;
    for (int r = from; r <= to; ++r) {
        names.push_back(name(IndexPath{section, r}));
    }
    return names;
}

class TableViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        model_ = std::make_shared<Model>();
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    std::shared_ptr<TableView> makeTable(TableViewStyle style = TableViewStyle::Plain, double height = 440) {
        auto table = View::create<TableView>(gfx::Rect(0, 0, 320, height), style);
        table->setDataSource(model_);
        table->setDelegate(model_);
        window_->addSubview(table);
        return table;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
    std::shared_ptr<Model> model_;
};

TEST_F(TableViewTest, AsksForVisibleRowsOnlyAndReusesCellsWhileScrolling) {
    auto table = makeTable();
    table->reloadData();

    // Counts, then every row's height, then cells for the ten rows that fit in 440 points.
    ASSERT_GE(model_->asked.size(), 2u);
    EXPECT_EQ(model_->asked[0], "sections");
    EXPECT_EQ(model_->asked[1], "rows 0");
    EXPECT_EQ(model_->countAsked("height "), 100u);
    EXPECT_EQ(model_->cellRequests, 10);
    size_t lastHeight = 0;
    size_t firstCell = model_->asked.size();
    for (size_t i = 0; i < model_->asked.size(); ++i) {
        if (model_->asked[i].rfind("height ", 0) == 0) {
            lastHeight = i;
        } else if (model_->asked[i].rfind("cell ", 0) == 0 && firstCell == model_->asked.size()) {
            firstCell = i;
        }
    }
    EXPECT_LT(lastHeight, firstCell);
    EXPECT_EQ(visibleNames(*table), rowRange(0, 0, 9));
    EXPECT_EQ(table->contentSize(), (gfx::Size{320, 4400}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 9}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 10}));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3})->frame(), gfx::Rect(0, 132, 320, 44));

    // Half a row down, eleven rows show; only the new one is asked for.
    const auto cellZero = table->cellForRowAtIndexPath({0, 0});
    const auto firstCells = table->visibleCells();
    model_->asked.clear();
    table->setContentOffset({0, 22});
    EXPECT_EQ(model_->asked, (std::vector<std::string>{"cell 0.10"}));
    EXPECT_EQ(visibleNames(*table), rowRange(0, 0, 10));
    EXPECT_EQ(model_->cellsCreated, 11);

    // A page down: only the newly visible rows are asked for, and the cells that scrolled away come
    // back from the pool (prepared for reuse) instead of new ones.
    model_->asked.clear();
    table->setContentOffset({0, 440});
    std::vector<std::string> expected;
    for (const auto& row : rowRange(0, 11, 19)) {
        expected.push_back("cell " + row);
    }
    EXPECT_EQ(model_->asked, expected);
    EXPECT_EQ(visibleNames(*table), rowRange(0, 10, 19));
    EXPECT_EQ(model_->cellsCreated, 11);
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 0}));
    EXPECT_EQ(cellZero->superview(), nullptr);
    for (const auto& cell : table->visibleCells()) {
        if (cell != table->cellForRowAtIndexPath({0, 10})) {
            EXPECT_NE(std::find(firstCells.begin(), firstCells.end(), cell), firstCells.end());
            EXPECT_EQ(std::static_pointer_cast<RecordingCell>(cell)->reuses, 1);
        }
    }
    // The one cell left over waits in its pool and comes back prepared for reuse.
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("row"), cellZero);
    EXPECT_EQ(std::static_pointer_cast<RecordingCell>(cellZero)->reuses, 1);
    EXPECT_FALSE(table->indexPathForCell(*cellZero));
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("row"), nullptr);
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("other"), nullptr);

    // A reload asks for the visible rows of the current offset, reusing every cell it had.
    model_->asked.clear();
    model_->rows = {30};
    table->reloadData();
    EXPECT_EQ(model_->cellRequests, 11 + 9 + 10);
    EXPECT_EQ(model_->cellsCreated, 11);
    EXPECT_EQ(visibleNames(*table), rowRange(0, 10, 19));

    // Content that shrinks under the offset brings the offset back into range.
    model_->rows = {12};
    table->reloadData();
    EXPECT_EQ(table->contentOffset().y, 12 * 44 - 440);
    EXPECT_EQ(visibleNames(*table), rowRange(0, 2, 11));
}

TEST_F(TableViewTest, LoadsByItselfAtFirstLayoutAndDragsAskForNewRows) {
    model_->rows = {40};
    auto table = makeTable();
    EXPECT_EQ(model_->cellRequests, 0);
    fnd::RunLoop::main().runUntilIdle(); // the layout pass loads the table
    EXPECT_EQ(model_->cellRequests, 10);

    // A real drag upwards by 100 points shows rows 10 to 12.
    TouchDriver::drag({160, 300}, {160, 200}, 0.5, 10);
    while (table->isDecelerating()) {
        fnd::RunLoop::main().advance(1.0 / 60);
    }
    const double offset = table->contentOffset().y;
    EXPECT_GT(offset, 80);
    const auto visible = table->indexPathsForVisibleRows();
    ASSERT_FALSE(visible.empty());
    EXPECT_EQ(visible.front().row, static_cast<int>(offset / 44));
    EXPECT_EQ(visible.back().row, static_cast<int>((offset + 440 - 1e-9) / 44));
    EXPECT_EQ(model_->cellRequests, 10 + visible.back().row - 9);
    // The drag selected nothing.
    EXPECT_FALSE(table->indexPathForSelectedRow());
    EXPECT_TRUE(model_->events.empty());
}

TEST_F(TableViewTest, PlainSectionsWithHeadersFootersAndTableViews) {
    model_->rows = {2, 0, 3};
    model_->headerTitles = {{0, "First"}, {1, "Second"}};
    model_->footerTitles = {{1, "Footnote"}};
    auto table = makeTable();
    table->setTableHeaderView(View::create(gfx::Rect(0, 0, 100, 50)));
    table->setTableFooterView(View::create(gfx::Rect(0, 0, 100, 30)));
    table->reloadData();

    EXPECT_EQ(table->numberOfSections(), 3);
    EXPECT_EQ(table->numberOfRowsInSection(2), 3);
    EXPECT_EQ(table->numberOfRowsInSection(7), 0);
    EXPECT_EQ(table->tableHeaderView()->frame(), gfx::Rect(0, 0, 320, 50));
    EXPECT_EQ(table->rectForHeaderInSection(0), gfx::Rect(0, 50, 320, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}), gfx::Rect(0, 72, 320, 44));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), gfx::Rect(0, 116, 320, 44));
    EXPECT_EQ(table->rectForFooterInSection(0).height(), 0);
    EXPECT_EQ(table->rectForSection(0), gfx::Rect(0, 50, 320, 110));
    EXPECT_EQ(table->rectForSection(1), gfx::Rect(0, 160, 320, 44)); // header and footer, no rows
    EXPECT_EQ(table->rectForRowAtIndexPath({2, 0}), gfx::Rect(0, 204, 320, 44));
    EXPECT_EQ(table->rectForSection(2), gfx::Rect(0, 204, 320, 132));
    EXPECT_TRUE(table->rectForRowAtIndexPath({1, 0}).isNull());
    EXPECT_EQ(table->tableFooterView()->frame(), gfx::Rect(0, 336, 320, 30));
    EXPECT_EQ(table->contentSize().height, 366);

    // The titles show as bars carrying their text.
    auto header = table->headerViewForSection(0);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->frame(), gfx::Rect(0, 50, 320, 22));
    ASSERT_EQ(header->subviews().size(), 1u);
    EXPECT_EQ(std::static_pointer_cast<Label>(header->subviews()[0])->text(), "First");
    EXPECT_TRUE(table->footerViewForSection(1));
    EXPECT_FALSE(table->headerViewForSection(2));

    // Points map back to rows; headers and empty space are no row.
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 73}), (IndexPath{0, 0}));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 247}), (IndexPath{2, 0}));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 60}), std::nullopt);
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 170}), std::nullopt);
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 400}), std::nullopt);

    // A delegate height for one row moves everything below it.
    model_->heights = {{{0, 1}, 100}};
    table->reloadData();
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), gfx::Rect(0, 116, 320, 100));
    EXPECT_EQ(table->rectForRowAtIndexPath({2, 0}).minY(), 260);
}

TEST_F(TableViewTest, VariableHeightsDecideWhichRowsShow) {
    model_->rows = {50};
    for (int r = 0; r < 50; ++r) {
        model_->heights[{0, r}] = 20 + r; // 20, 21, 22, ...
    }
    auto table = makeTable(TableViewStyle::Plain, 200);
    table->reloadData();
    // Rows 0..7 end at 8*20 + 28 = 188; row 8 (28 high) reaches 216.
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 8}), gfx::Rect(0, 188, 320, 28));
    EXPECT_EQ(visibleNames(*table), rowRange(0, 0, 8));
    EXPECT_EQ(table->contentSize().height, 50 * 20 + 49 * 50 / 2);
    EXPECT_EQ(table->indexPathForRowAtPoint({5, 187.5}), (IndexPath{0, 7}));
    EXPECT_EQ(table->indexPathForRowAtPoint({5, 188}), (IndexPath{0, 8}));

    // Changing one row's height through a row reload moves the rows after it.
    model_->heights[{0, 0}] = 100;
    model_->asked.clear();
    table->reloadRowsAtIndexPaths({{0, 0}}, TableViewRowAnimation::Fade);
    EXPECT_EQ(model_->countAsked("height "), 1u);
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}).minY(), 100);
    // Rows 1..5 now start at 100, 121, 143, 166 and 190.
    EXPECT_EQ(visibleNames(*table), rowRange(0, 0, 5));
    EXPECT_EQ(model_->countAsked("cell 0.0"), 1u);
}

TEST_F(TableViewTest, GroupedStyleInsetsRowsAndSpacesSections) {
    model_->rows = {2, 1};
    model_->headerTitles = {{1, "Settings"}};
    auto table = makeTable(TableViewStyle::Grouped);
    table->reloadData();
    EXPECT_EQ(table->sectionHeaderHeight(), 10);
    EXPECT_EQ(table->sectionFooterHeight(), 10);
    // Section 0: 10 header, two rows, 10 footer; section 1: header with room for its title.
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}), gfx::Rect(10, 10, 300, 44));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), gfx::Rect(10, 54, 300, 44));
    EXPECT_EQ(table->rectForSection(0), gfx::Rect(0, 0, 320, 108));
    EXPECT_EQ(table->rectForHeaderInSection(1), gfx::Rect(0, 108, 320, 40));
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}), gfx::Rect(10, 148, 300, 44));
    EXPECT_EQ(table->contentSize().height, 202);
    EXPECT_EQ(table->cellForRowAtIndexPath({1, 0})->frame(), gfx::Rect(10, 148, 300, 44));
    auto title = table->headerViewForSection(1);
    ASSERT_TRUE(title);
    EXPECT_EQ(std::static_pointer_cast<Label>(title->subviews()[0])->text(), "Settings");
    // The inset margins are no row.
    EXPECT_EQ(table->indexPathForRowAtPoint({5, 20}), std::nullopt);
    EXPECT_EQ(table->indexPathForRowAtPoint({15, 20}), (IndexPath{0, 0}));
}

TEST_F(TableViewTest, ScrollToRowPositions) {
    auto table = makeTable();
    table->reloadData();
    struct Case {
        IndexPath path;
        TableViewScrollPosition position;
        double startY;
        double expectedY;
    };
    const Case cases[] = {
        {{0, 50}, TableViewScrollPosition::Top, 0, 2200},
        {{0, 50}, TableViewScrollPosition::Middle, 0, 2200 + 22 - 220},
        {{0, 50}, TableViewScrollPosition::Bottom, 0, 2244 - 440},
        {{0, 50}, TableViewScrollPosition::None, 2000, 2000},    // already fully visible
        {{0, 50}, TableViewScrollPosition::None, 0, 2244 - 440}, // below: just into view
        {{0, 50}, TableViewScrollPosition::None, 3000, 2200},    // above: just into view
        {{0, 99}, TableViewScrollPosition::Top, 0, 4400 - 440},  // clamped to the end
        {{0, 1}, TableViewScrollPosition::Bottom, 500, 0},       // clamped to the start
    };
    for (const auto& c : cases) {
        table->setContentOffset({0, c.startY});
        table->scrollToRowAtIndexPath(c.path, c.position, Animated::No);
        EXPECT_EQ(table->contentOffset().y, c.expectedY)
            << "row " << c.path.row << " position " << static_cast<int>(c.position) << " from " << c.startY;
        EXPECT_TRUE(table->cellForRowAtIndexPath(c.path));
    }

    // Animated: the offset glides there on the clock, and the rows on the way are asked for.
    table->setContentOffset({0, 0});
    const int requestsBefore = model_->cellRequests;
    table->scrollToRowAtIndexPath({0, 30}, TableViewScrollPosition::Middle, Animated::Yes);
    EXPECT_EQ(table->contentOffset().y, 0);
    for (int i = 0; i < 60 && table->isScrollAnimating(); ++i) {
        fnd::RunLoop::main().advance(1.0 / 60);
    }
    EXPECT_EQ(table->contentOffset().y, 30 * 44 + 22 - 220);
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 30}));
    EXPECT_GT(model_->cellRequests, requestsBefore + 10);

    // The nearest selected row, and invalid rows, which are logged and ignored.
    table->selectRowAtIndexPath(IndexPath{0, 70}, Animated::No, TableViewScrollPosition::None);
    table->scrollToNearestSelectedRowAtScrollPosition(TableViewScrollPosition::Top, Animated::No);
    EXPECT_EQ(table->contentOffset().y, 70 * 44);
    fnd::testing::LogCapture log;
    table->scrollToRowAtIndexPath({0, 100}, TableViewScrollPosition::Top, Animated::No);
    table->scrollToRowAtIndexPath({3, 0}, TableViewScrollPosition::Top, Animated::No);
    EXPECT_EQ(table->contentOffset().y, 70 * 44);
    EXPECT_EQ(log.count("scrollToRowAtIndexPath ignores"), 2u);
}

TEST_F(TableViewTest, TapsSelectRowsWithCallbacksInOrder) {
    auto table = makeTable();
    fnd::RunLoop::main().runUntilIdle();

    ASSERT_TRUE(TableDriver::select(*table, {0, 3}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"willSelect 0.3", "cell selected 0.3", "didSelect 0.3"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 3}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 3})->isSelected());

    // Another row: the old one is deselected (and the delegate hears it) before the new one.
    model_->events.clear();
    ASSERT_TRUE(TableDriver::select(*table, {0, 5}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"willSelect 0.5", "cell deselected 0.3", "didDeselect 0.3",
                                                        "cell selected 0.5", "didSelect 0.5"}));

    // The finger highlights its row while down (after the scroll view's touch delay), and a
    // drag that follows takes the highlight away and selects nothing.
    model_->events.clear();
    const auto cell7 = table->cellForRowAtIndexPath({0, 7});
    const gfx::Point onRow7{100, 7 * 44 + 22};
    TouchDriver::touchDown(1, onRow7);
    fnd::RunLoop::main().advance(0.2);
    EXPECT_TRUE(cell7->isHighlighted());
    EXPECT_TRUE(cell7->textLabel()->isHighlighted());
    TouchDriver::touchMove(1, {100, onRow7.y - 40});
    TouchDriver::touchUp(1);
    EXPECT_FALSE(cell7->isHighlighted());
    EXPECT_TRUE(model_->events.empty());
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 5}));
    while (table->isDecelerating()) {
        fnd::RunLoop::main().advance(1.0 / 60);
    }

    // will-select may refuse, or redirect to another row.
    table->setContentOffset({0, 0});
    model_->willSelectAnswer = std::optional<IndexPath>{};
    ASSERT_TRUE(TableDriver::select(*table, {0, 2}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"willSelect 0.2"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 5}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 2})->isHighlighted());
    model_->events.clear();
    model_->willSelectAnswer = std::optional<IndexPath>(IndexPath{0, 1});
    ASSERT_TRUE(TableDriver::select(*table, {0, 2}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"willSelect 0.2", "cell deselected 0.5", "didDeselect 0.5",
                                                        "cell selected 0.1", "didSelect 0.1"}));
    model_->willSelectAnswer.reset();

    // The detail disclosure button reports its own tap and selects nothing.
    model_->events.clear();
    ASSERT_TRUE(TableDriver::tapAccessory(*table, {0, 4}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"accessory 0.4"}));

    // Selection style None: no highlight while pressed, but the row is still selected.
    model_->events.clear();
    const auto cell6 = table->cellForRowAtIndexPath({0, 6});
    cell6->setSelectionStyle(TableViewCellSelectionStyle::None);
    TouchDriver::touchDown(1, {100, 6 * 44 + 22});
    fnd::RunLoop::main().advance(0.2);
    EXPECT_FALSE(cell6->isHighlighted());
    TouchDriver::touchUp(1);
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 6}));
    EXPECT_EQ(model_->events.back(), "didSelect 0.6");

    // Programmatic selection asks nobody; with selection off, taps select nothing.
    model_->events.clear();
    table->selectRowAtIndexPath(IndexPath{0, 8}, Animated::No, TableViewScrollPosition::None);
    table->deselectRowAtIndexPath({0, 8}, Animated::No);
    EXPECT_EQ(model_->events,
              (std::vector<std::string>{"cell deselected 0.6", "cell selected 0.8", "cell deselected 0.8"}));
    EXPECT_FALSE(table->indexPathForSelectedRow());
    model_->events.clear();
    table->setAllowsSelection(false);
    ASSERT_TRUE(TableDriver::select(*table, {0, 2}));
    EXPECT_TRUE(model_->events.empty());

    // A delegate that reloads fewer rows on did-deselect: the tapped row is gone, so nothing is
    // selected and did-select never names a row the data source no longer has.
    table->setAllowsSelection(true);
    table->selectRowAtIndexPath(IndexPath{0, 3}, Animated::No, TableViewScrollPosition::None);
    model_->onDeselect = [this](TableView& t) {
        model_->rows = {5};
        t.reloadData();
    };
    model_->events.clear();
    ASSERT_TRUE(TableDriver::select(*table, {0, 7}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"willSelect 0.7", "cell deselected 0.3", "didDeselect 0.3"}));
    EXPECT_FALSE(table->indexPathForSelectedRow());
}

TEST_F(TableViewTest, EditingDeletesRowsThroughTheControls) {
    model_->rows = {5};
    model_->notEditable = {{{0, 4}, true}};
    auto table = makeTable();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 0})->editingControl());

    table->setEditing(true, Animated::Yes);
    const auto cell2 = table->cellForRowAtIndexPath({0, 2});
    const auto cell3 = table->cellForRowAtIndexPath({0, 3});
    EXPECT_TRUE(cell2->isEditing());
    ASSERT_TRUE(cell2->editingControl());
    EXPECT_EQ(cell2->editingStyle(), TableViewCellEditingStyle::Delete);
    EXPECT_EQ(cell2->contentView()->frame().minX(), TableViewCell::kEditingIndent);
    // A row the data source cannot edit shows no control.
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 4})->editingStyle(), TableViewCellEditingStyle::None);
    EXPECT_FALSE(TableDriver::tapDeleteControl(*table, {0, 4}));

    // The control brings out the confirmation; only the confirmation commits.
    AnimationLog::clear();
    ASSERT_TRUE(TableDriver::tapDeleteControl(*table, {0, 2}));
    EXPECT_TRUE(cell2->showingDeleteConfirmation());
    EXPECT_TRUE(model_->events.empty());
    ASSERT_TRUE(TableDriver::tapDeleteConfirmation(*table, {0, 2}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"commit 1 0.2"}));
    // The data source deleted the row: the cell left, the row below moved up into its place.
    EXPECT_EQ(table->numberOfRowsInSection(0), 4);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 2}), cell3);
    EXPECT_EQ(cell3->frame().minY(), 2 * 44);
    EXPECT_EQ(cell2->superview(), nullptr);
    EXPECT_EQ(table->contentSize().height, 4 * 44);
    const auto entries = AnimationLog::entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name, "TableView.deleteRows:right");

    // deleteRow does both taps; a second confirmation elsewhere closes the first.
    model_->events.clear();
    ASSERT_TRUE(TableDriver::deleteRow(*table, {0, 0}));
    EXPECT_EQ(model_->events, (std::vector<std::string>{"commit 1 0.0"}));
    ASSERT_TRUE(TableDriver::tapDeleteControl(*table, {0, 0}));
    ASSERT_TRUE(TableDriver::tapDeleteControl(*table, {0, 1}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 0})->showingDeleteConfirmation());
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->showingDeleteConfirmation());

    // Leaving editing mode puts the controls away.
    table->setEditing(false, Animated::No);
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->editingControl());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->showingDeleteConfirmation());
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1})->contentView()->frame().minX(), 0);
}

TEST_F(TableViewTest, RowUpdatesCheckTheNewCounts) {
    model_->rows = {20};
    auto table = makeTable();
    table->reloadData();
    table->selectRowAtIndexPath(IndexPath{0, 5}, Animated::No, TableViewScrollPosition::None);
    const auto cell5 = table->cellForRowAtIndexPath({0, 5});

    // Two inserted rows above shift the selection and cells down; only the new rows are asked for.
    model_->rows = {22};
    model_->asked.clear();
    table->beginUpdates();
    table->insertRowsAtIndexPaths({{0, 0}, {0, 3}}, TableViewRowAnimation::Top);
    table->endUpdates();
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 7}));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 7}), cell5);
    EXPECT_EQ(model_->countAsked("cell "), 2u);
    EXPECT_EQ(visibleNames(*table), rowRange(0, 0, 9));

    // A count that does not add up logs an error and reloads instead of failing.
    fnd::testing::LogCapture log;
    model_->asked.clear();
    table->deleteRowsAtIndexPaths({{0, 1}}, TableViewRowAnimation::Fade);
    EXPECT_TRUE(log.contains("ERROR"));
    EXPECT_EQ(model_->countAsked("cell "), 10u);
    EXPECT_EQ(table->numberOfRowsInSection(0), 22);
    log.clear();
    table->deleteRowsAtIndexPaths({{0, 40}}, TableViewRowAnimation::Fade);
    EXPECT_TRUE(log.contains("ERROR"));

    // A data source that reloads the table while it is asked for the new counts leaves the reload.
    model_->rows = {22, 4};
    table->reloadData();
    model_->rows = {22, 5};
    model_->whileCounting = [&](TableView& t) {
        model_->rows = {3};
        t.reloadData();
        model_->rows = {3, 1}; // and then still answers for the section it dropped
    };
    table->insertRowsAtIndexPaths({{1, 0}}, TableViewRowAnimation::Fade);
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 3);
}

TEST_F(TableViewTest, ScreenshotOfASmallTable) {
    model_->rows = {3, 2};
    model_->headerTitles = {{0, "Friends"}, {1, "Rooms"}};
    auto table = makeTable(TableViewStyle::Plain, 220);
    table->reloadData();
    table->selectRowAtIndexPath(IndexPath{0, 1}, Animated::No, TableViewScrollPosition::None);
    auto image = Snapshot::captureView(*table);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 320);
    EXPECT_EQ(image->height(), 220);
    // The selected row is blue across, the header a grey-blue bar, the other rows white, and the
    // separator between rows 0 and 1 is drawn.
    const auto selected = image->pixelAt(200, 22 + 44 + 5);
    EXPECT_GT(selected.b, 150);
    EXPECT_LT(selected.r, 60);
    const auto bar = image->pixelAt(300, 5);
    EXPECT_NEAR(bar.r, 148, 3);
    EXPECT_EQ(image->pixelAt(200, 22 + 10), (gfx::Rgba8{255, 255, 255, 255}));
    EXPECT_LT(image->pixelAt(200, 22 + 43).r, 240);
    // A copy for a person to look at, under the build tree (the test's working directory).
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(Snapshot::saveViewAsPng(*table, "screenshots/ui-table-view.png"));
}

} // namespace
} // namespace ui
