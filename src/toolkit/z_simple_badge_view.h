// ZSimpleBadgeView: the red rounded count badge (unread messages, new items) with white bold text,
// sized to its text and hidden while it has none.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/font.h"
#include "platform/ui/view.h"

namespace zelvan {

class ZSimpleBadgeView : public ui::View {
public:
    static constexpr double kHeight = 18;
    // Space between the text and the badge's round ends.
    static constexpr double kTextPadding = 4;

    // A hidden badge with no value at `origin`.
    static std::shared_ptr<ZSimpleBadgeView> create(gfx::Point origin = {});

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZSimpleBadgeView"; }

    const std::optional<std::string>& badgeValue() const { return value_; }
    // A text shows the badge, sized to it (never narrower than it is high) with its origin kept;
    // null or empty clears the value and hides the badge.
    void updateBadgeValue(const std::optional<std::string>& value);

    static gfx::Color badgeColor();
    static std::shared_ptr<gfx::Font> badgeFont();

    // The size for the current value (zero without one).
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    std::optional<std::string> value_;
};

} // namespace zelvan
