// ui::TabBar: a 49-point bar of tab bar items in equal slots; touching an enabled item selects it and
// tells the delegate. Each item draws its image, title and badge.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/tab_bar_item.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class TabBar;

class TabBarDelegate {
public:
    virtual ~TabBarDelegate() = default;
    virtual void tabBarDidSelectItem(TabBar& /*bar*/, TabBarItem& /*item*/) {}
};

class TabBar : public View {
public:
    static constexpr double kHeight = 49;

    // Redraws whenever its size changes.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "TabBar"; }

    std::shared_ptr<TabBarDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<TabBarDelegate> delegate) { delegate_ = std::move(delegate); }

    const std::vector<std::shared_ptr<TabBarItem>>& items() const { return items_; }
    // The selection is kept when the selected item is still among the new items.
    void setItems(std::vector<std::shared_ptr<TabBarItem>> items, Animated animated = Animated::No);
    const std::shared_ptr<TabBarItem>& selectedItem() const { return selected_; }
    // Selects `item` (null or an item not on the bar selects none); tells no delegate.
    void setSelectedItem(std::shared_ptr<TabBarItem> item);

    // The slot of item `index` in the bounds (empty when out of range).
    gfx::Rect rectForItemAtIndex(size_t index) const;
    // The badge's rect for item `index` (empty when it has no badge).
    gfx::Rect badgeRectForItemAtIndex(size_t index) const;

    // (current width, 49).
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    // A touch selects the enabled item under it and calls tabBarDidSelectItem.
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet&, const Event*) override {}
    void touchesEnded(const TouchSet&, const Event*) override {}
    void touchesCancelled(const TouchSet&, const Event*) override {}

private:
    std::weak_ptr<TabBarDelegate> delegate_;
    std::vector<std::shared_ptr<TabBarItem>> items_;
    std::shared_ptr<TabBarItem> selected_;
};

} // namespace ui
