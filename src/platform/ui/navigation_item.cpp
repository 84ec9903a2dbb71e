// Navigation items: plain properties that tell the bar showing them when they change.
#include "platform/ui/navigation_item.h"

namespace ui {

std::shared_ptr<NavigationItem> NavigationItem::initWithTitle(std::string title) {
    auto item = std::make_shared<NavigationItem>();
    item->title_ = std::move(title);
    return item;
}

void NavigationItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void NavigationItem::setTitleView(std::shared_ptr<View> view) {
    titleView_ = std::move(view);
    changed();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, Animated) {
    left_ = std::move(item);
    changed();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, Animated) {
    right_ = std::move(item);
    changed();
}

void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    back_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides, Animated) {
    hidesBackButton_ = hides;
    changed();
}

void NavigationItem::changed() {
    if (onChange_) {
        onChange_();
    }
}

} // namespace ui
