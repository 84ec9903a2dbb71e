// Tab bar: equal tab shares, taps that change the active tab and tell the delegate the old one, and
// a re-tap of the active tab changing nothing.
#include "toolkit/zelvan_tab_bar_view.h"

#include "window_fixture.h"

namespace zelvan {
namespace {

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

    // With the delegate gone a tap still switches tabs.
    recorder.reset();
    tapIn(*bar, bar->tabRect(0));
    EXPECT_EQ(bar->activeIndex(), 0);

    EXPECT_EQ(ZelvanTabBarView::initWithFrame(gfx::Rect(0, 0, 320, 40), {})->activeIndex(), -1);
}

} // namespace
} // namespace zelvan
