// ui::BarButtonItem: a button description that toolbars and navigation bars turn into views - a
// title, an image, a system item or a custom view, with an action, an enabled flag and a width.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/object.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"

namespace ui {

class View;

// The look of toolbars and navigation bars.
enum class BarStyle { Default = 0, Black = 1, BlackTranslucent = 2 };

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

enum class BarButtonSystemItem {
    Done = 0,
    Cancel = 1,
    Edit = 2,
    Save = 3,
    Add = 4,
    FlexibleSpace = 5,
    FixedSpace = 6,
    Compose = 7,
    Reply = 8,
    Action = 9,
    Organize = 10,
    Bookmarks = 11,
    Search = 12,
    Refresh = 13,
    Stop = 14,
    Camera = 15,
    Trash = 16,
    Play = 17,
    Pause = 18,
    Rewind = 19,
    FastForward = 20,
};

class BarButtonItem : public fnd::Object {
public:
    using Action = std::function<void(BarButtonItem&)>;

    static std::shared_ptr<BarButtonItem> initWithTitle(std::string title, BarButtonItemStyle style,
                                                        Action action = {});
    static std::shared_ptr<BarButtonItem> initWithImage(gfx::ImagePtr image, BarButtonItemStyle style,
                                                        Action action = {});
    static std::shared_ptr<BarButtonItem> initWithCustomView(std::shared_ptr<View> view);
    static std::shared_ptr<BarButtonItem> initWithBarButtonSystemItem(BarButtonSystemItem item, Action action = {});

    std::string className() const override { return "BarButtonItem"; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const gfx::ImagePtr& image() const { return image_; }
    void setImage(gfx::ImagePtr image);
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style);
    // The width a bar gives the item; 0 means "measure it" (fixed spaces take exactly this width).
    double width() const { return width_; }
    void setWidth(double width);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    const std::shared_ptr<View>& customView() const { return customView_; }
    void setCustomView(std::shared_ptr<View> view);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }

    // The system item this was made from, if any.
    bool isSystemItem() const { return hasSystemItem_; }
    BarButtonSystemItem systemItem() const { return systemItem_; }
    bool isFlexibleSpace() const { return hasSystemItem_ && systemItem_ == BarButtonSystemItem::FlexibleSpace; }
    bool isFixedSpace() const { return hasSystemItem_ && systemItem_ == BarButtonSystemItem::FixedSpace; }
    bool isSpace() const { return isFlexibleSpace() || isFixedSpace(); }

    // The text the item's button shows: its title, or the system item's word or symbol.
    std::string displayTitle() const;
    // Bordered and Done items draw in this font.
    static std::shared_ptr<gfx::Font> itemFont();
    // The width a bar lays the item out at (spaces excepted): the custom view's width, the width
    // property when set, else the measured title or image width plus 20.
    double naturalWidth() const;

    // Runs the action when the item is enabled (what a tap on the item's view does).
    void performAction();

    // The view a bar shows for the item: the custom view, or a new button (bordered for the Bordered
    // and Done styles) that performs the action on TouchUpInside; null for spaces.
    std::shared_ptr<View> makeView();

    // Bars showing the item are told of changes so they lay out again.
    void setChangeHandler(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    BarButtonItem() = default;

private:
    void changed();

    std::string title_;
    gfx::ImagePtr image_;
    BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
    double width_ = 0;
    bool enabled_ = true;
    std::shared_ptr<View> customView_;
    int tag_ = 0;
    Action action_;
    bool hasSystemItem_ = false;
    BarButtonSystemItem systemItem_ = BarButtonSystemItem::Done;
    std::function<void()> onChange_;
};

} // namespace ui
