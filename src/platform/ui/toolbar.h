// ui::Toolbar: a 44-point bar of bar button items laid out left to right - fixed spaces at their
// width, flexible spaces sharing what is left equally, other items at their natural width.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class Toolbar : public View {
public:
    static constexpr double kHeight = 44;
    // Space left free at each end of the bar.
    static constexpr double kMargin = 6;

    // Redraws whenever its size changes.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "Toolbar"; }

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style);
    const std::optional<gfx::Color>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<gfx::Color> color);

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, Animated animated = Animated::No);

    // The view showing item `index` (null for spaces or an index out of range).
    std::shared_ptr<View> viewForItem(size_t index) const;
    // The rect each item takes in the bounds, in item order (spaces included).
    std::vector<gfx::Rect> itemRects() const;

    // (current width, 44).
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void layoutSubviews() override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    // Makes the item views again (after the items or one of them changed).
    void rebuildViews();

    BarStyle barStyle_ = BarStyle::Default;
    std::optional<gfx::Color> tintColor_;
    std::vector<std::shared_ptr<BarButtonItem>> items_;
    std::vector<std::shared_ptr<View>> itemViews_; // parallel to items_; null for spaces
};

} // namespace ui
