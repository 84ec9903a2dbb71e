// Tab bar items: plain properties that tell the bar showing them when they change.
#include "platform/ui/tab_bar_item.h"

namespace ui {

std::shared_ptr<TabBarItem> TabBarItem::initWithTitle(std::string title, gfx::ImagePtr image, int tag) {
    auto item = std::make_shared<TabBarItem>();
    item->title_ = std::move(title);
    item->image_ = std::move(image);
    item->tag_ = tag;
    return item;
}

void TabBarItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void TabBarItem::setImage(gfx::ImagePtr image) {
    image_ = std::move(image);
    changed();
}

void TabBarItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void TabBarItem::setBadgeValue(std::optional<std::string> value) {
    badgeValue_ = std::move(value);
    changed();
}

void TabBarItem::changed() {
    if (onChange_) {
        onChange_();
    }
}

} // namespace ui
