// The offer kit's combo box in a window: item layout and list sizing, the unreported first and program
// selections, reported taps, removals that move the selection, opening and closing; and a picture of an
// open combo box beside an open drop-down list (orvane_widgets.png in the test's working folder).
#include "offers/orvane/kit/ui_combo_box.h"

#include "offers/orvane/kit/custom_drop_down.h"
#include "platform/ui/snapshot.h"
#include "tests/offers/orvane/widget_test_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::centerInWindow;
using widget_test::TouchDriver;

class UIComboBoxTest : public widget_test::WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        box_ = UIComboBox::initWithFrame(gfx::Rect(10, 10, 200, 30), widget_test::comboImages(),
                                         widget_test::scrollBarImages());
        window_->addSubview(box_);
        box_->addTarget(listener_, [this](UIComboBoxItem& item) { reports_.push_back(item.getValue()); });
    }
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string name(1, static_cast<char>('A' + i));
            box_->addItem("v" + name, name);
        }
    }
    std::string title() const { return box_->comboButton()->titleForState(ui::ControlState::Normal).value_or("?"); }

    std::shared_ptr<UIComboBox> box_;
    std::shared_ptr<int> listener_ = std::make_shared<int>(0);
    std::vector<std::string> reports_;
};

TEST_F(UIComboBoxTest, ItemsLayOutInRowsAndTheListFitsThemUpToItsMaximum) {
    EXPECT_EQ(box_->itemHeight(), 30);
    EXPECT_EQ(box_->maxHeight(), 93);
    fill(3);
    EXPECT_EQ(box_->items()[2]->frame(), gfx::Rect(1, 63, 198, 30));
    EXPECT_EQ(box_->scrollView()->contentSize().height, 94);
    EXPECT_EQ(box_->scrollView()->frame().size.height, 94);
    fill(2);
    EXPECT_EQ(box_->scrollView()->contentSize().height, 156);
    EXPECT_EQ(box_->scrollView()->frame().size.height, 93 + 15);

    TouchDriver::tap(window_, centerInWindow(*box_->comboButton()));
    EXPECT_EQ(box_->frame().size.height, 30 + 93);
    EXPECT_FALSE(box_->scrollView()->isHidden());
    TouchDriver::tap(window_, centerInWindow(*box_->comboButton()));
    EXPECT_EQ(box_->frame().size.height, 30);
    EXPECT_TRUE(box_->scrollView()->isHidden());
}

TEST_F(UIComboBoxTest, ProgramSelectionsGoUnreportedAndTapsAreReportedOnce) {
    fill(3);
    ASSERT_TRUE(box_->getSelectedItem());
    EXPECT_EQ(box_->getSelectedItem()->getCaption(), "A");
    EXPECT_EQ(title(), " A");
    EXPECT_TRUE(reports_.empty());

    box_->expandCollapseComboBox();
    TouchDriver::tap(window_, centerInWindow(*box_->items()[1]));
    EXPECT_EQ(reports_, std::vector<std::string>{"vB"});
    EXPECT_EQ(title(), " B");
    EXPECT_TRUE(box_->items()[1]->isSelected());
    EXPECT_FALSE(box_->items()[0]->isSelected());
    EXPECT_EQ(box_->frame().size.height, 30); // the choice closed the list

    box_->setSelectedItemByValue("nope");
    EXPECT_EQ(box_->getSelectedItem(), box_->items()[1]);
    box_->setSelectedItemByValue("vC");
    EXPECT_EQ(box_->getSelectedItem(), box_->items()[2]);
    box_->setSelectedItemByCaption("A");
    EXPECT_EQ(box_->getSelectedItem(), box_->items()[0]);
    box_->setSelectedIndex(7);
    EXPECT_EQ(box_->getSelectedItem(), box_->items()[0]);
    EXPECT_EQ(reports_.size(), 1u);

    // A listener that has gone hears nothing.
    listener_.reset();
    box_->expandCollapseComboBox();
    TouchDriver::tap(window_, centerInWindow(*box_->items()[2]));
    EXPECT_EQ(box_->getSelectedItem(), box_->items()[2]);
    EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(UIComboBoxTest, RemovingTheSelectionSelectsItsNeighbourAndTheLastClearsTheTitle) {
    fill(3);
    box_->setSelectedIndex(1);
    ASSERT_TRUE(box_->removeItemAtIndex(1));
    EXPECT_EQ(box_->getItemsCount(), 2u);
    EXPECT_EQ(box_->getSelectedItem()->getCaption(), "C");
    EXPECT_EQ(box_->items()[1]->frame().origin.y, 32);
    EXPECT_EQ(title(), " C");
    EXPECT_FALSE(box_->removeItemAtIndex(2));
    EXPECT_FALSE(box_->removeItemByValue("vB"));
    EXPECT_TRUE(box_->removeItemByCaption("C"));
    EXPECT_EQ(box_->getSelectedItem()->getCaption(), "A");
    EXPECT_TRUE(box_->removeItemByValue("vA"));
    EXPECT_FALSE(box_->getSelectedItem());
    EXPECT_EQ(title(), "");
    EXPECT_TRUE(box_->scrollView()->isHidden());
    EXPECT_TRUE(reports_.empty());
}

TEST_F(UIComboBoxTest, PictureOfAnOpenComboBoxAndDropDown) {
    fill(5);
    box_->expandComboBox();
    EXPECT_FALSE(box_->scrollBar()->isHidden());
    auto dropDown = CustomDropDown::initWithOrigin(gfx::Point(10, 200), true, false, false);
    for (const char* name : {"Today", "This week", "All time", "Friends"}) {
        auto item = DropdownItem::initWithText(name, name, nullptr, nullptr, std::nullopt);
        item->fontColorNormal = gfx::Color::white();
        dropDown->items().push_back(item);
    }
    window_->addSubview(dropDown->view());
    dropDown->setSelectedIndex(1);
    dropDown->beginEdit();
    advance(1);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "orvane_widgets.png"));
    const gfx::ImagePtr shot = ui::Snapshot::captureView(*window_);
    ASSERT_TRUE(shot);
    const gfx::Rgba8 bar = shot->pixelAt(static_cast<int>(centerInWindow(*box_->scrollBar()).x), 80);
    EXPECT_GT(bar.a, 0); // the scroll bar is drawn over the list
}

} // namespace
} // namespace zelvan::orvane
