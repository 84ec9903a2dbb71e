// Bars: bar button items, toolbar widths (fixed, flexible and titled items) and taps on item views,
// the standalone navigation bar's stack, back button and layout at custom heights, and the tab bar's
// selection, delegate and badge.
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/tab_bar.h"
#include "platform/ui/toolbar.h"

namespace ui {
namespace {

using namespace controls_test;

class BarsTest : public ControlsTest {};

TEST_F(BarsTest, ToolbarLaysOutSpacesAndTitledItems) {
    useSyntheticMetrics(); // bold 12: 7.2 points per character
    std::vector<std::string> tapped;
    auto record = [&](BarButtonItem& item) { tapped.push_back(item.displayTitle()); };
    auto edit = BarButtonItem::initWithTitle("Edit", BarButtonItemStyle::Bordered, record);
    auto fixed = BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::FixedSpace);
    fixed->setWidth(30);
    auto flexA = BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::FlexibleSpace);
    auto flexB = BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::FlexibleSpace);
    auto done = BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::Done, record);
    auto custom = BarButtonItem::initWithCustomView(View::create(gfx::Rect(0, 0, 50, 20)));

    auto toolbar = View::create<Toolbar>(gfx::Rect(0, 436, 320, 44));
    window_->addSubview(toolbar);
    EXPECT_EQ(toolbar->sizeThatFits({}), (gfx::Size{320, 44}));
    toolbar->setItems({edit, fixed, flexA, custom, flexB, done}, Animated::Yes);

    // Edit: ceil(4 x 7.2) + 20 = 49; Done: 49; fixed 30; custom 50; the flexible spaces share
    // 320 - 12 - 178 = 130.
    const auto rects = toolbar->itemRects();
    ASSERT_EQ(rects.size(), 6u);
    const std::vector<double> widths{49, 30, 65, 50, 65, 49};
    for (size_t i = 0; i < widths.size(); ++i) {
        EXPECT_DOUBLE_EQ(rects[i].width(), widths[i]) << "item " << i;
    }
    EXPECT_EQ(rects[0].minX(), Toolbar::kMargin);
    EXPECT_EQ(rects[5].maxX(), 320 - Toolbar::kMargin);
    EXPECT_EQ(toolbar->viewForItem(1), nullptr);
    EXPECT_EQ(toolbar->viewForItem(3), custom->customView());
    EXPECT_EQ(toolbar->viewForItem(9), nullptr);
    ASSERT_TRUE(toolbar->viewForItem(0));
    EXPECT_EQ(toolbar->viewForItem(0)->frame().width(), 49);

    auto tapItem = [&](size_t i) {
        const gfx::Rect r = toolbar->viewForItem(i)->convertRectToView(toolbar->viewForItem(i)->bounds(), nullptr);
        TouchDriver::tap(window_, {r.midX(), r.midY()});
    };
    tapItem(5);
    tapItem(0);
    edit->setEnabled(false); // rebuilds the item's view, disabled
    tapItem(0);
    EXPECT_EQ(tapped, (std::vector<std::string>{"Done", "Edit"}));

    // A longer title widens the item and narrows the flexible spaces.
    done->setTitle("Finished");
    EXPECT_DOUBLE_EQ(toolbar->itemRects()[5].width(), 58 + 20);
    EXPECT_DOUBLE_EQ(toolbar->itemRects()[2].width(), (130 - 29) / 2.0);
}

TEST_F(BarsTest, NavigationBarStackBackButtonAndLayout) {
    auto bar = View::create<NavigationBar>(gfx::Rect(0, 0, 320, 44));
    window_->addSubview(bar);
    auto home = NavigationItem::initWithTitle("Home");
    auto chat = NavigationItem::initWithTitle("Chat");
    bar->pushNavigationItem(home, Animated::No);
    EXPECT_EQ(bar->topItem(), home);
    EXPECT_EQ(bar->backItem(), nullptr);
    EXPECT_EQ(bar->backButton(), nullptr);
    EXPECT_EQ(bar->titleLabel()->text(), "Home");

    bar->pushNavigationItem(chat, Animated::Yes);
    EXPECT_EQ(bar->backItem(), home);
    ASSERT_TRUE(bar->backButton());
    EXPECT_EQ(bar->backButton()->currentTitle(), "Home");
    home->setBackBarButtonItem(BarButtonItem::initWithTitle("Back", BarButtonItemStyle::Bordered));
    EXPECT_EQ(bar->backButton()->currentTitle(), "Back");

    int saves = 0;
    chat->setRightBarButtonItem(
        BarButtonItem::initWithTitle("Save", BarButtonItemStyle::Done, [&](BarButtonItem&) { ++saves; }));
    ASSERT_TRUE(bar->rightView());
    const gfx::Rect right = bar->rightView()->frame();
    EXPECT_EQ(right.maxX(), 320 - NavigationBar::kMargin);
    EXPECT_EQ(bar->backButton()->frame().minX(), NavigationBar::kMargin);
    const gfx::Rect title = bar->titleLabel()->frame();
    EXPECT_NEAR(title.midX(), 160, 1); // centred on the bar
    EXPECT_GE(title.minX(), bar->backButton()->frame().maxX());
    EXPECT_LE(title.maxX(), right.minX());

    TouchDriver::tap(window_, {right.midX(), right.midY()});
    EXPECT_EQ(saves, 1);

    // A custom height lays the same views out within 32 points.
    bar->setFrame(gfx::Rect(0, 0, 320, 32));
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->rightView()->frame().minY(), 1);
    EXPECT_LE(bar->titleLabel()->frame().maxY(), 32);

    // The back button pops the top item.
    const gfx::Rect back = bar->backButton()->frame();
    TouchDriver::tap(window_, {back.midX(), back.midY()});
    EXPECT_EQ(bar->topItem(), home);
    EXPECT_EQ(bar->items().size(), 1u);
    EXPECT_EQ(bar->backButton(), nullptr);
    EXPECT_EQ(bar->popNavigationItem(), home);
    EXPECT_EQ(bar->popNavigationItem(), nullptr);

    // A left item or hidesBackButton replaces the back button.
    bar->pushNavigationItem(home);
    bar->pushNavigationItem(chat);
    chat->setHidesBackButton(true);
    EXPECT_EQ(bar->backButton(), nullptr);
}

class RecordingTabDelegate : public TabBarDelegate {
public:
    void tabBarDidSelectItem(TabBar&, TabBarItem& item) override { selected.push_back(item.tag()); }
    std::vector<int> selected;
};

TEST_F(BarsTest, TabBarSelectsOnTouchAndDrawsBadges) {
    auto bar = View::create<TabBar>(gfx::Rect(0, 431, 320, 49));
    window_->addSubview(bar);
    auto a = TabBarItem::initWithTitle("Chats", nullptr, 10);
    auto b = TabBarItem::initWithTitle("Games", nullptr, 20);
    auto c = TabBarItem::initWithTitle("More", nullptr, 30);
    c->setEnabled(false);
    bar->setItems({a, b, c});
    auto delegate = std::make_shared<RecordingTabDelegate>();
    bar->setDelegate(delegate);
    EXPECT_EQ(bar->rectForItemAtIndex(1), gfx::Rect(320.0 / 3, 0, 320.0 / 3, 49));

    TouchDriver::touchDown(1, {160, 450});
    EXPECT_EQ(bar->selectedItem(), b); // on touch down
    TouchDriver::touchUp(1);
    TouchDriver::tap(window_, {300, 450}); // disabled
    TouchDriver::tap(window_, {20, 450});
    EXPECT_EQ(delegate->selected, (std::vector<int>{20, 10}));
    EXPECT_EQ(bar->selectedItem(), a);
    bar->setSelectedItem(c); // the setter tells no one
    EXPECT_EQ(delegate->selected.size(), 2u);
    bar->setItems({a, b});
    EXPECT_EQ(bar->selectedItem(), nullptr);

    auto isBadgeRed = [](gfx::Rgba8 p) { return p.r > 180 && p.g < 60 && p.b < 60; };
    EXPECT_FALSE(inkWhere(*bar->screenshot(), gfx::Rect(0, 0, 320, 49), isBadgeRed).any());
    b->setBadgeValue("3");
    auto shot = bar->screenshot();
    const Ink badge = inkWhere(*shot, gfx::Rect(0, 0, 320, 49), isBadgeRed);
    ASSERT_TRUE(badge.any());
    EXPECT_GE(badge.minX, 160); // in the second slot
    EXPECT_LT(badge.maxY, 25);
    const gfx::Rect r = bar->badgeRectForItemAtIndex(1);
    EXPECT_TRUE(inkWhere(*shot, r, [](gfx::Rgba8 p) { return p.r > 230 && p.g > 230 && p.b > 230; }).any());
    b->setBadgeValue(std::nullopt);
    EXPECT_FALSE(inkWhere(*bar->screenshot(), gfx::Rect(0, 0, 320, 49), isBadgeRed).any());
}

} // namespace
} // namespace ui
