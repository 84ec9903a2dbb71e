// ui::TabBarItem: one entry of a tab bar - title, image, tag, enabled flag and an optional badge.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/object.h"
#include "platform/graphics/image.h"

namespace ui {

class TabBarItem : public fnd::Object {
public:
    static std::shared_ptr<TabBarItem> initWithTitle(std::string title, gfx::ImagePtr image, int tag);

    std::string className() const override { return "TabBarItem"; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const gfx::ImagePtr& image() const { return image_; }
    void setImage(gfx::ImagePtr image);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // The text of the badge the tab bar draws at the item's top-right corner; nullopt shows none.
    const std::optional<std::string>& badgeValue() const { return badgeValue_; }
    void setBadgeValue(std::optional<std::string> value);

    // The tab bar showing the item redraws when it changes.
    void setChangeHandler(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    TabBarItem() = default;

private:
    void changed();

    std::string title_;
    gfx::ImagePtr image_;
    int tag_ = 0;
    bool enabled_ = true;
    std::optional<std::string> badgeValue_;
    std::function<void()> onChange_;
};

} // namespace ui
