// Table view cell tests: the parts each style has, where layout puts them (image, labels,
// accessories, indentation, editing controls and the delete confirmation), selection and highlight
// reaching the labels, and what prepareForReuse clears.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/graphics/backends.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/table_view_cell.h"

namespace ui {
namespace {

class TableViewCellTest : public ::testing::Test {
protected:
    void SetUp() override { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    void TearDown() override { gfx::installTextMetrics(nullptr); }

    static std::shared_ptr<TableViewCell> cell(TableViewCellStyle style) {
        return TableViewCell::initWithStyle(style, "id");
    }
    static gfx::ImagePtr image(int w, int h) {
        gfx::beginImageContext(gfx::Size{static_cast<double>(w), static_cast<double>(h)});
        auto result = gfx::imageFromCurrentImageContext();
        gfx::endImageContext();
        return result;
    }
};

TEST_F(TableViewCellTest, StylesBuildTheirParts) {
    struct Case {
        TableViewCellStyle style;
        bool hasDetail;
        double textSize;
    };
    const Case cases[] = {
        {TableViewCellStyle::Default, false, 20},
        {TableViewCellStyle::Value1, true, 17},
        {TableViewCellStyle::Value2, true, 12},
        {TableViewCellStyle::Subtitle, true, 18},
    };
    for (const auto& c : cases) {
        auto cell = TableViewCellTest::cell(c.style);
        SCOPED_TRACE(static_cast<int>(c.style));
        EXPECT_EQ(cell->frame(), gfx::Rect(0, 0, 320, 44));
        EXPECT_EQ(cell->reuseIdentifier(), "id");
        EXPECT_EQ(cell->detailTextLabel() != nullptr, c.hasDetail);
        EXPECT_EQ(cell->textLabel()->font()->pointSize(), c.textSize);
        EXPECT_TRUE(cell->textLabel()->isDescendantOfView(cell->contentView().get()));
        EXPECT_EQ(cell->selectionStyle(), TableViewCellSelectionStyle::Blue);
        EXPECT_EQ(cell->accessoryType(), TableViewCellAccessoryType::None);
    }
    // The enumerations keep their stored values.
    EXPECT_EQ(static_cast<int>(TableViewCellAccessoryType::Checkmark), 3);
    EXPECT_EQ(static_cast<int>(TableViewCellEditingStyle::Insert), 2);
    EXPECT_EQ(static_cast<int>(TableViewCellSelectionStyle::Gray), 2);

    // A cell made from a frame is a Default cell of that size; the legacy text properties are its
    // text label's.
    auto framed = View::create<TableViewCell>(gfx::Rect(0, 0, 200, 60), "legacy");
    EXPECT_EQ(framed->style(), TableViewCellStyle::Default);
    framed->setText("Hello");
    framed->setTextColor(gfx::Color::red());
    framed->setTextAlignment(TextAlignment::Center);
    EXPECT_EQ(framed->textLabel()->text(), "Hello");
    EXPECT_EQ(framed->textLabel()->textColor(), gfx::Color::red());
    EXPECT_EQ(framed->textLabel()->textAlignment(), TextAlignment::Center);
}

TEST_F(TableViewCellTest, LayoutPlacesImageLabelsAndAccessories) {
    auto c = cell(TableViewCellStyle::Default);
    c->setImage(image(30, 30));
    c->layoutIfNeeded();
    EXPECT_EQ(c->contentView()->frame(), gfx::Rect(0, 0, 320, 44));
    EXPECT_EQ(c->imageView()->frame(), gfx::Rect(10, 7, 30, 30));
    EXPECT_EQ(c->textLabel()->frame(), gfx::Rect(50, 0, 260, 44));

    // Indentation moves the content right by level x width.
    c->setIndentationLevel(2);
    c->layoutIfNeeded();
    EXPECT_EQ(c->imageView()->frame().minX(), 30);

    // A disclosure glyph and a detail disclosure button take room from the content view.
    c->setIndentationLevel(0);
    c->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
    c->layoutIfNeeded();
    EXPECT_EQ(c->contentView()->frame().width(), 300);
    EXPECT_FALSE(c->accessoryButton());
    c->setAccessoryType(TableViewCellAccessoryType::DetailDisclosureButton);
    c->layoutIfNeeded();
    ASSERT_TRUE(c->accessoryButton());
    EXPECT_EQ(c->accessoryButton()->frame(), gfx::Rect(281, 6.5, 29, 31));
    EXPECT_EQ(c->contentView()->frame().width(), 281);
    int taps = 0;
    c->setAccessoryTapHandler([&taps](TableViewCell&) { ++taps; });
    c->accessoryButton()->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(taps, 1);

    // A custom accessory view replaces the type's.
    auto custom = View::create(gfx::Rect(0, 0, 50, 20));
    c->setAccessoryView(custom);
    c->layoutIfNeeded();
    EXPECT_FALSE(c->accessoryButton());
    EXPECT_EQ(custom->frame(), gfx::Rect(260, 12, 50, 20));
    EXPECT_EQ(c->contentView()->frame().width(), 260);

    // Value1: detail at the right end, text from the left; Value2: a fixed label column.
    auto v1 = cell(TableViewCellStyle::Value1);
    v1->textLabel()->setText("Name");
    v1->detailTextLabel()->setText("Value");
    v1->layoutIfNeeded();
    const double detailWidth = v1->detailTextLabel()->sizeThatFits({}).width;
    EXPECT_GT(detailWidth, 0);
    EXPECT_EQ(v1->detailTextLabel()->frame(), gfx::Rect(310 - detailWidth, 0, detailWidth, 44));
    EXPECT_EQ(v1->textLabel()->frame(), gfx::Rect(10, 0, 300 - detailWidth - 10, 44));
    auto v2 = cell(TableViewCellStyle::Value2);
    v2->layoutIfNeeded();
    EXPECT_EQ(v2->textLabel()->frame(), gfx::Rect(10, 0, 67, 44));
    EXPECT_EQ(v2->detailTextLabel()->frame(), gfx::Rect(83, 0, 227, 44));

    // Subtitle: the two lines stacked and centred together.
    auto sub = cell(TableViewCellStyle::Subtitle);
    sub->textLabel()->setText("Title");
    sub->detailTextLabel()->setText("Detail");
    sub->layoutIfNeeded();
    const double h1 = sub->textLabel()->font()->lineHeight();
    const double h2 = sub->detailTextLabel()->font()->lineHeight();
    EXPECT_EQ(sub->textLabel()->frame(), gfx::Rect(10, (44 - h1 - h2) / 2, 300, h1));
    EXPECT_EQ(sub->detailTextLabel()->frame().minY(), sub->textLabel()->frame().maxY());
}

TEST_F(TableViewCellTest, EditingControlsAndDeleteConfirmation) {
    auto c = cell(TableViewCellStyle::Default);
    c->setAccessoryType(TableViewCellAccessoryType::Checkmark);
    std::vector<TableViewCellEditingStyle> commits;
    c->setCommitEditingHandler([&commits](TableViewCell&, TableViewCellEditingStyle s) { commits.push_back(s); });

    c->setEditingStyle(TableViewCellEditingStyle::Delete);
    c->setEditing(true, Animated::Yes);
    c->layoutIfNeeded();
    ASSERT_TRUE(c->editingControl());
    EXPECT_EQ(c->editingControl()->frame(), gfx::Rect(5, 11, 22, 22));
    EXPECT_EQ(c->contentView()->frame(), gfx::Rect(32, 0, 288, 44)); // the accessory gives way
    EXPECT_FALSE(c->deleteConfirmationButton());

    // The delete control brings out the confirmation; the confirmation commits a deletion.
    c->editingControl()->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_TRUE(c->showingDeleteConfirmation());
    ASSERT_TRUE(c->deleteConfirmationButton());
    c->layoutIfNeeded();
    const gfx::Rect button = c->deleteConfirmationButton()->frame();
    EXPECT_EQ(button.maxX(), 310);
    EXPECT_EQ(c->contentView()->frame().maxX(), button.minX());
    EXPECT_TRUE(commits.empty());
    c->deleteConfirmationButton()->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(commits, (std::vector<TableViewCellEditingStyle>{TableViewCellEditingStyle::Delete}));

    // Without indentation the content stays put; the insert control commits at once.
    c->setShowingDeleteConfirmation(false);
    c->setShouldIndentWhileEditing(false);
    c->setEditingStyle(TableViewCellEditingStyle::Insert);
    c->layoutIfNeeded();
    EXPECT_EQ(c->contentView()->frame().minX(), 0);
    ASSERT_TRUE(c->editingControl());
    c->editingControl()->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(commits.back(), TableViewCellEditingStyle::Insert);
    EXPECT_FALSE(c->showingDeleteConfirmation());

    // Ending editing removes the controls and brings the accessory back.
    c->setEditing(false, Animated::No);
    c->layoutIfNeeded();
    EXPECT_FALSE(c->editingControl());
    EXPECT_EQ(c->contentView()->frame().width(), 320 - 10 - 14);
}

TEST_F(TableViewCellTest, SelectionReachesTheLabelsAndReuseClearsIt) {
    auto c = cell(TableViewCellStyle::Subtitle);
    c->setSelected(true, Animated::Yes);
    EXPECT_TRUE(c->isSelected());
    EXPECT_TRUE(c->textLabel()->isHighlighted());
    EXPECT_TRUE(c->detailTextLabel()->isHighlighted());
    EXPECT_TRUE(c->imageView()->isHighlighted());

    // The cell shows its selection: blue by default, grey for Gray, a custom view when given one.
    c->textLabel()->setText("Row");
    auto shot = c->screenshot();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->pixelAt(300, 40).b, 200);
    EXPECT_LT(shot->pixelAt(300, 40).r, 40);
    c->setSelectionStyle(TableViewCellSelectionStyle::Gray);
    shot = c->screenshot();
    EXPECT_EQ(shot->pixelAt(300, 40).r, shot->pixelAt(300, 40).b);
    auto custom = View::create(gfx::Rect{});
    custom->setBackgroundColor(gfx::Color::green());
    c->setSelectedBackgroundView(custom);
    c->layoutIfNeeded();
    EXPECT_FALSE(custom->isHidden());
    EXPECT_EQ(custom->frame(), c->bounds());
    EXPECT_EQ(c->screenshot()->pixelAt(300, 40).g, 255);

    // Selection style None selects without showing it.
    c->setSelectionStyle(TableViewCellSelectionStyle::None);
    EXPECT_TRUE(c->isSelected());
    EXPECT_FALSE(c->textLabel()->isHighlighted());
    EXPECT_TRUE(custom->isHidden());

    // Highlight alone shows too; reuse clears selection, highlight and the confirmation.
    c->setSelectionStyle(TableViewCellSelectionStyle::Blue);
    c->setSelected(false, Animated::No);
    c->setHighlighted(true, Animated::No);
    EXPECT_TRUE(c->textLabel()->isHighlighted());
    c->setEditingStyle(TableViewCellEditingStyle::Delete);
    c->setEditing(true, Animated::No);
    c->setShowingDeleteConfirmation(true);
    c->setSelected(true, Animated::No);
    c->prepareForReuse();
    EXPECT_FALSE(c->isSelected());
    EXPECT_FALSE(c->isHighlighted());
    EXPECT_FALSE(c->showingDeleteConfirmation());
    EXPECT_FALSE(c->textLabel()->isHighlighted());
    EXPECT_TRUE(custom->isHidden());
}

} // namespace
} // namespace ui
