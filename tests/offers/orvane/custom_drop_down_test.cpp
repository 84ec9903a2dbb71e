// The offer kit's drop-down list in a window: its default size, opening and closing, the unsigned index
// rule, a delegate's veto, the text view that opens the list instead of editing, and the editable switch.
#include "offers/orvane/kit/custom_drop_down.h"

#include "tests/offers/orvane/widget_test_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::centerInWindow;
using widget_test::TouchDriver;

class CustomDropDownTest : public widget_test::WidgetTest {
protected:
    std::shared_ptr<CustomDropDown> make(bool arrow, bool textField) {
        auto control = CustomDropDown::initWithOrigin(gfx::Point(10, 20), arrow, textField, false);
        for (const char* name : {"One", "Two", "Three", "Four"}) {
            control->items().push_back(DropdownItem::initWithText(name, name, nullptr, nullptr, std::nullopt));
        }
        window_->addSubview(control->view());
        return control;
    }
    static std::string title(const CustomDropDown& control) {
        return control.displayButton()->titleForState(ui::ControlState::Normal).value_or("");
    }
};

TEST_F(CustomDropDownTest, OpensBelowItselfAndAChoiceClosesIt) {
    auto control = make(true, false);
    EXPECT_EQ(control->view()->frame(), gfx::Rect(10, 20, 160, 30));
    EXPECT_FALSE(control->appeared());
    ASSERT_TRUE(control->arrowButton());
    EXPECT_TRUE(control->image());

    TouchDriver::tap(window_, centerInWindow(*control->displayButton()));
    EXPECT_TRUE(control->appeared());
    EXPECT_EQ(control->view()->frame().size.height, 120);
    EXPECT_EQ(control->tableView()->frame().size.height, 90);
    EXPECT_EQ(control->tableView()->superview(), control->view());

    control->setSelectedIndex(-1);
    control->setSelectedIndex(4);
    EXPECT_EQ(control->selectedIndex(), 4);
    EXPECT_EQ(title(*control), "");

    auto owner = std::make_shared<int>(0);
    std::vector<int> asked;
    bool allow = false;
    control->setDelegate(owner);
    control->setActionPerformed([&](int row) {
        asked.push_back(row);
        return allow;
    });
    control->tableView()->layoutIfNeeded();
    TouchDriver::tap(window_, centerInWindow(*control->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 2})));
    EXPECT_EQ(asked, std::vector<int>{2});
    EXPECT_EQ(control->selectedIndex(), 4); // vetoed: nothing changes, the list stays open
    EXPECT_TRUE(control->appeared());

    allow = true;
    TouchDriver::tap(window_, centerInWindow(*control->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 2})));
    EXPECT_EQ(control->selectedIndex(), 2);
    EXPECT_EQ(title(*control), "Three");
    EXPECT_FALSE(control->appeared());
    EXPECT_EQ(control->view()->frame(), gfx::Rect(10, 20, 160, 30));
    EXPECT_FALSE(control->tableView()->superview());

    control->setSelectedIndex(0);
    EXPECT_EQ(title(*control), "One");
    control->showOptions();
    EXPECT_TRUE(control->appeared());
    EXPECT_EQ(control->view()->alpha(), 1);
    EXPECT_EQ(control->view()->frame().size.height, 30 * 5);
    control->hideOptions();
    EXPECT_FALSE(control->appeared());
}

TEST_F(CustomDropDownTest, TextViewOpensTheListWithoutEditingAndALockedControlIgnoresTaps) {
    auto control = make(false, true);
    int opened = 0;
    control->setShowingOptionsEvent([&](CustomDropDown&) { ++opened; });
    ASSERT_TRUE(control->textView());
    EXPECT_EQ(control->textView()->frame().size.width, 160);
    TouchDriver::tap(window_, centerInWindow(*control->textView()));
    EXPECT_TRUE(control->appeared());
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(control->textView()->isEditing());
    TouchDriver::tap(window_, centerInWindow(*control->textView()));
    EXPECT_FALSE(control->appeared());

    control->setSelectedIndex(1);
    EXPECT_EQ(control->textView()->text(), "Two");
    control->setEditable(false);
    TouchDriver::tap(window_, centerInWindow(*control->textView()));
    EXPECT_FALSE(control->appeared());
    EXPECT_EQ(opened, 1);

    control->setBounds(gfx::Size(200, 40));
    EXPECT_EQ(control->view()->frame(), gfx::Rect(10, 20, 200, 40));
    EXPECT_EQ(control->textView()->frame(), gfx::Rect(1, 1, 198, 38));
    EXPECT_EQ(control->tableView()->frame(), gfx::Rect(1, 39, 198, 130));

    // A memory warning off screen gives back the same view, display and all.
    control->view()->removeFromSuperview();
    control->didReceiveMemoryWarning();
    EXPECT_EQ(control->view(), control->textView()->superview());
}

} // namespace
} // namespace zelvan::orvane
