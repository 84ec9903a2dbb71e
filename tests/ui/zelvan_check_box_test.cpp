// Check box: a tap flips the selection and announces it once, code that sets the current value
// announces nothing, the attached value stays, and the tick and box shape show in the drawing.
#include "ui/zelvan_check_box.h"

#include "window_fixture.h"

namespace zelvan {
namespace {

using ui::testing::TouchDriver;

class CheckBoxTest : public WindowFixture {
protected:
    std::shared_ptr<ZelvanCheckBox> addBox(std::optional<gfx::Color> tint, int style) {
        auto box = ZelvanCheckBox::initWithFrame(gfx::Rect(20, 40, 30, 30), tint, style);
        window_->addSubview(box);
        box->addTarget(
            {}, [this](ui::Control& c, const ui::Event*) { heard_.push_back(c.isSelected()); },
            ui::ControlEvents::ValueChanged);
        return box;
    }
    // Pixels of the box's drawing close to `color`.
    static int pixelsOf(ZelvanCheckBox& box, gfx::Color color) {
        const auto image = box.screenshot();
        int count = 0;
        for (int y = 0; y < image->height(); ++y) {
            for (int x = 0; x < image->width(); ++x) {
                const auto p = image->pixelAt(x, y);
                if (p.a > 200 && std::abs(p.r - color.r * 255) < 12 && std::abs(p.g - color.g * 255) < 12 &&
                    std::abs(p.b - color.b * 255) < 12) {
                    ++count;
                }
            }
        }
        return count;
    }

    std::vector<bool> heard_; // the selection each ValueChanged saw
};

TEST_F(CheckBoxTest, TouchesAndSettersAnnounceEachChangeOnce) {
    auto box = addBox(std::nullopt, ZelvanCheckBox::kStyleSquare);
    box->setData(fnd::Value("row-7"));
    EXPECT_FALSE(box->isSelected());

    tapIn(*box, box->bounds());
    EXPECT_TRUE(box->isSelected());
    EXPECT_EQ(heard_, (std::vector<bool>{true}));
    tapIn(*box, box->bounds());
    EXPECT_FALSE(box->isSelected());
    EXPECT_EQ(heard_, (std::vector<bool>{true, false}));

    // Setting the value it already has is silent; a real change is heard.
    box->setSelected(false);
    EXPECT_EQ(heard_.size(), 2u);
    box->setSelected(true);
    box->setSelected(true);
    EXPECT_EQ(heard_, (std::vector<bool>{true, false, true}));

    // A finger that goes down on the box but leaves far away before lifting flips nothing.
    const gfx::Point centre = box->convertPointToView({15, 15}, nullptr);
    TouchDriver::touchDown(1, centre);
    TouchDriver::touchMove(1, {centre.x + 200, centre.y + 200});
    TouchDriver::touchUp(1);
    EXPECT_TRUE(box->isSelected());
    EXPECT_EQ(heard_.size(), 3u);

    EXPECT_EQ(box->data(), fnd::Value("row-7"));
}

TEST_F(CheckBoxTest, DrawsTickInTintAndShapeByStyle) {
    const gfx::Color red(0.8, 0.1, 0.1, 1);
    auto square = addBox(red, ZelvanCheckBox::kStyleSquare);
    const int boxOnly = pixelsOf(*square, red);
    EXPECT_GT(boxOnly, 0); // the border
    square->setSelected(true);
    EXPECT_GT(pixelsOf(*square, red), boxOnly + 20); // plus the tick

    // Near the top-left corner a square box has border, a round one has none.
    auto round = addBox(red, ZelvanCheckBox::kStyleRound);
    EXPECT_EQ(round->tintColor(), red);
    const auto corner = [](ZelvanCheckBox& b) {
        const auto p = b.screenshot()->pixelAt(3, 3);
        return p.a > 200 && p.r > 150 && p.g < 80;
    };
    EXPECT_TRUE(corner(*square));
    EXPECT_FALSE(corner(*round));
}

} // namespace
} // namespace zelvan
