// ui::NavigationItem: what a navigation bar shows while the item is on its stack - a title or title
// view, left and right bar button items, and the back item the next item's back button uses.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/object.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/types.h"

namespace ui {

class View;

class NavigationItem : public fnd::Object {
public:
    static std::shared_ptr<NavigationItem> initWithTitle(std::string title);

    std::string className() const override { return "NavigationItem"; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    // Shown instead of the title when set.
    const std::shared_ptr<View>& titleView() const { return titleView_; }
    void setTitleView(std::shared_ptr<View> view);
    const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, Animated animated = Animated::No);
    const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, Animated animated = Animated::No);
    // What the back button shows while the item above this one is the top item (else this title).
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides, Animated animated = Animated::No);

    // The navigation bar showing the item lays out again when it changes.
    void setChangeHandler(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    NavigationItem() = default;

private:
    void changed();

    std::string title_;
    std::shared_ptr<View> titleView_;
    std::shared_ptr<BarButtonItem> left_;
    std::shared_ptr<BarButtonItem> right_;
    std::shared_ptr<BarButtonItem> back_;
    bool hidesBackButton_ = false;
    std::function<void()> onChange_;
};

} // namespace ui
