// ui::NavigationBar: a bar showing the top of a stack of navigation items - its title (or title
// view), its left and right bar button items, and a back button for the item below it.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class Button;
class Label;
class NavigationBar;

// Should-methods answer nullopt when not implemented, which counts as yes.
class NavigationBarDelegate {
public:
    virtual ~NavigationBarDelegate() = default;
    virtual std::optional<bool> navigationBarShouldPushItem(NavigationBar& /*bar*/, NavigationItem& /*item*/) {
        return std::nullopt;
    }
    virtual void navigationBarDidPushItem(NavigationBar& /*bar*/, NavigationItem& /*item*/) {}
    virtual std::optional<bool> navigationBarShouldPopItem(NavigationBar& /*bar*/, NavigationItem& /*item*/) {
        return std::nullopt;
    }
    virtual void navigationBarDidPopItem(NavigationBar& /*bar*/, NavigationItem& /*item*/) {}
};

class NavigationBar : public View {
public:
    static constexpr double kDefaultHeight = 44;
    static constexpr double kMargin = 5;

    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "NavigationBar"; }

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style);
    const std::optional<gfx::Color>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<gfx::Color> color);

    std::shared_ptr<NavigationBarDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<NavigationBarDelegate> delegate) { delegate_ = std::move(delegate); }

    const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
    // Pushes `item` on top (the delegate may refuse).
    void pushNavigationItem(std::shared_ptr<NavigationItem> item, Animated animated = Animated::No);
    // Pops the top item and returns it; null when the stack is empty or the delegate refuses.
    std::shared_ptr<NavigationItem> popNavigationItem(Animated animated = Animated::No);
    std::shared_ptr<NavigationItem> topItem() const;
    // The item below the top one, or null.
    std::shared_ptr<NavigationItem> backItem() const;

    // The views showing the top item (null when not shown).
    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    std::shared_ptr<View> titleView() const;
    const std::shared_ptr<View>& leftView() const { return leftView_; }
    const std::shared_ptr<View>& rightView() const { return rightView_; }
    // The back button, shown when there is a back item, the top item has no left item and does
    // not hide it; a tap pops the top item.
    const std::shared_ptr<Button>& backButton() const { return backButton_; }

    // (current width, 44); any other height set on the frame is kept and laid out within.
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void layoutSubviews() override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    // Rebuilds the views for the current top item.
    void refresh();
    void watch(const std::shared_ptr<NavigationItem>& item);

    BarStyle barStyle_ = BarStyle::Default;
    std::optional<gfx::Color> tintColor_;
    std::weak_ptr<NavigationBarDelegate> delegate_;
    std::vector<std::shared_ptr<NavigationItem>> items_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<View> shownTitleView_;
    std::shared_ptr<View> leftView_;
    std::shared_ptr<View> rightView_;
    std::shared_ptr<Button> backButton_;
};

} // namespace ui
