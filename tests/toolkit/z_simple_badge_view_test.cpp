// The badge: sized to its text (never narrower than high), origin kept, hidden when cleared.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/graphics/text_layout.h"
#include "toolkit/z_simple_badge_view.h"

namespace zelvan {
namespace {

TEST(ZSimpleBadgeViewTest, SizesToTextAndClears) {
    auto badge = ZSimpleBadgeView::create({250, 4});
    EXPECT_TRUE(badge->isHidden());

    badge->updateBadgeValue("3"); // one digit: a round badge
    EXPECT_FALSE(badge->isHidden());
    EXPECT_EQ(badge->frame(), gfx::Rect(250, 4, ZSimpleBadgeView::kHeight, ZSimpleBadgeView::kHeight));

    badge->updateBadgeValue("1024");
    const double text = gfx::sizeWithFont("1024", ZSimpleBadgeView::badgeFont()).width;
    EXPECT_EQ(badge->frame().origin, (gfx::Point{250, 4}));
    EXPECT_DOUBLE_EQ(badge->frame().width(), std::ceil(text + 2 * ZSimpleBadgeView::kTextPadding));
    EXPECT_GT(badge->frame().width(), ZSimpleBadgeView::kHeight);
    EXPECT_EQ(badge->badgeValue(), std::optional<std::string>("1024"));

    for (const auto& cleared : {std::optional<std::string>(), std::optional<std::string>("")}) {
        badge->updateBadgeValue("5");
        badge->updateBadgeValue(cleared);
        EXPECT_TRUE(badge->isHidden());
        EXPECT_FALSE(badge->badgeValue());
        EXPECT_EQ(badge->frame().size, (gfx::Size{0, 0}));
    }
}

} // namespace
} // namespace zelvan
