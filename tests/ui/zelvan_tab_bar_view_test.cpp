// Tab bar: equal tab shares, taps that change the active tab and tell the delegate the old one, and
// the taps that change nothing (the active tab, a finger sliding to another tab, an empty bar).
#include "ui/zelvan_tab_bar_view.h"

#include "window_fixture.h"

namespace zelvan {
namespace {

using ui::testing::TouchDriver;

struct Recorder : ZelvanTabBarViewDelegate {
    void tabSelected(ZelvanTabBarView& tabBar, int oldIndex) override {
        calls.emplace_back(oldIndex, tabBar.activeIndex());
    }
    std::vector<std::pair<int, int>> calls; // (old index, active index at the call)
};

using Calls = std::vector<std::pair<int, int>>;

class TabBarTest : public WindowFixture {};

TEST_F(TabBarTest, TapsReportThePreviousTab) {
    auto bar = ZelvanTabBarView::initWithFrame(gfx::Rect(10, 100, 300, 40), {"Friends", "Rooms", "Games"});
    window_->addSubview(bar);
    auto recorder = std::make_shared<Recorder>();
    bar->setDelegate(recorder);
    EXPECT_EQ(bar->activeIndex(), 0);
    EXPECT_EQ(bar->tabRect(1), gfx::Rect(100, 0, 100, 40));
    EXPECT_EQ(bar->tabIndexAtPoint({299, 39}), 2);

    tapIn(*bar, bar->tabRect(2));
    EXPECT_EQ(recorder->calls, (Calls{{0, 2}}));
    tapIn(*bar, bar->tabRect(2)); // the active tab again: silent
    tapIn(*bar, bar->tabRect(1));
    EXPECT_EQ(recorder->calls, (Calls{{0, 2}, {2, 1}}));
    EXPECT_EQ(bar->activeIndex(), 1);

    // Down on one tab, up on another: no change.
    const auto at = [&](int tab) {
        const gfx::Rect r = bar->tabRect(tab);
        return bar->convertPointToView({r.midX(), r.midY()}, nullptr);
    };
    TouchDriver::touchDown(1, at(0));
    TouchDriver::touchMove(1, at(2));
    TouchDriver::touchUp(1);
    EXPECT_EQ(bar->activeIndex(), 1);
    EXPECT_EQ(recorder->calls.size(), 2u);

    // With the delegate gone a tap still switches tabs.
    recorder.reset();
    tapIn(*bar, bar->tabRect(0));
    EXPECT_EQ(bar->activeIndex(), 0);
}

TEST_F(TabBarTest, EmptyBarHasNoActiveTab) {
    auto bar = ZelvanTabBarView::initWithFrame(gfx::Rect(0, 0, 320, 40), {});
    window_->addSubview(bar);
    auto recorder = std::make_shared<Recorder>();
    bar->setDelegate(recorder);
    EXPECT_EQ(bar->activeIndex(), -1);
    EXPECT_EQ(bar->tabIndexAtPoint({10, 10}), -1);
    tapIn(*bar, bar->bounds());
    EXPECT_EQ(bar->activeIndex(), -1);
    EXPECT_TRUE(recorder->calls.empty());
}

} // namespace
} // namespace zelvan
