// Check box: a tap flips the selection and announces it once, code that sets the current value
// announces nothing, and the attached value stays.
#include "toolkit/zelvan_check_box.h"

#include "window_fixture.h"

namespace zelvan {
namespace {

class CheckBoxTest : public WindowFixture {};

TEST_F(CheckBoxTest, TouchesAndSettersAnnounceEachChangeOnce) {
    auto box = ZelvanCheckBox::initWithFrame(gfx::Rect(20, 40, 30, 30), std::nullopt, ZelvanCheckBox::kStyleRound);
    window_->addSubview(box);
    std::vector<bool> heard; // the selection each ValueChanged saw
    box->addTarget(
        {}, [&](ui::Control& c, const ui::Event*) { heard.push_back(c.isSelected()); },
        ui::ControlEvents::ValueChanged);
    box->setData(fnd::Value("row-7"));
    EXPECT_FALSE(box->isSelected());

    tapIn(*box, box->bounds());
    EXPECT_TRUE(box->isSelected());
    EXPECT_EQ(heard, (std::vector<bool>{true}));
    tapIn(*box, box->bounds());
    EXPECT_FALSE(box->isSelected());
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));

    // Setting the value it already has is silent; a real change is heard.
    box->setSelected(false);
    EXPECT_EQ(heard.size(), 2u);
    box->setSelected(true);
    box->setSelected(true);
    EXPECT_EQ(heard, (std::vector<bool>{true, false, true}));

    EXPECT_EQ(box->data(), fnd::Value("row-7"));
}

} // namespace
} // namespace zelvan
