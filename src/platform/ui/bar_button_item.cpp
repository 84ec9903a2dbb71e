// Bar button items: their titles and widths as bars measure them, and the buttons bars show for them.
#include "platform/ui/bar_button_item.h"

#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"

namespace ui {

namespace {

constexpr double kItemPadding = 20;
constexpr double kItemHeight = 30;

// A bar item's button: the plain button look, with a rounded border for Bordered and Done items.
class BarItemButton : public Button {
public:
    explicit BarItemButton(BarButtonItemStyle style) : Button(ButtonType::Custom), style_(style) {}

    void drawRect(gfx::Rect rect) override {
        const auto ctx = gfx::getCurrentContext();
        if (ctx && style_ != BarButtonItemStyle::Plain && !currentBackgroundImage()) {
            gfx::StateSaver saver(*ctx);
            gfx::Color fill =
                style_ == BarButtonItemStyle::Done ? gfx::Color(0.15, 0.4, 0.85, 1) : gfx::Color::white(0.45, 1);
            if (isHighlighted()) {
                fill = gfx::Color(fill.r * 0.7, fill.g * 0.7, fill.b * 0.7, 1);
            }
            const gfx::Rect b = bounds().insetBy(0.5, 0.5);
            ctx->setFillColor(fill);
            ctx->beginPath();
            ctx->addRoundedRect(b, 5);
            ctx->fillPath();
            ctx->setStrokeColor(gfx::Color::white(0.2, 1));
            ctx->setLineWidth(1);
            ctx->beginPath();
            ctx->addRoundedRect(b, 5);
            ctx->strokePath();
        }
        Button::drawRect(rect);
    }

private:
    BarButtonItemStyle style_;
};

const char* systemItemTitle(BarButtonSystemItem item) {
    switch (item) {
    case BarButtonSystemItem::Done:
        return "Done";
    case BarButtonSystemItem::Cancel:
        return "Cancel";
    case BarButtonSystemItem::Edit:
        return "Edit";
    case BarButtonSystemItem::Save:
        return "Save";
    case BarButtonSystemItem::Add:
        return "+";
    case BarButtonSystemItem::FlexibleSpace:
    case BarButtonSystemItem::FixedSpace:
        return "";
    case BarButtonSystemItem::Compose:
        return "\u270E";
    case BarButtonSystemItem::Reply:
        return "\u21A9";
    case BarButtonSystemItem::Action:
        return "\u2197";
    case BarButtonSystemItem::Organize:
        return "\u25A4";
    case BarButtonSystemItem::Bookmarks:
        return "\u2630";
    case BarButtonSystemItem::Search:
        return "\u2315";
    case BarButtonSystemItem::Refresh:
        return "\u21BB";
    case BarButtonSystemItem::Stop:
        return "\u2715";
    case BarButtonSystemItem::Camera:
        return "\u25C9";
    case BarButtonSystemItem::Trash:
        return "\u2716";
    case BarButtonSystemItem::Play:
        return "\u25B6";
    case BarButtonSystemItem::Pause:
        return "\u2016";
    case BarButtonSystemItem::Rewind:
        return "\u25C0\u25C0";
    case BarButtonSystemItem::FastForward:
        return "\u25B6\u25B6";
    }
    return "";
}

} // namespace

std::shared_ptr<BarButtonItem> BarButtonItem::initWithTitle(std::string title, BarButtonItemStyle style,
                                                            Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->title_ = std::move(title);
    item->style_ = style;
    item->action_ = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithImage(gfx::ImagePtr image, BarButtonItemStyle style,
                                                            Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->image_ = std::move(image);
    item->style_ = style;
    item->action_ = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithCustomView(std::shared_ptr<View> view) {
    auto item = std::make_shared<BarButtonItem>();
    item->customView_ = std::move(view);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem systemItem,
                                                                          Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->hasSystemItem_ = true;
    item->systemItem_ = systemItem;
    item->style_ = systemItem == BarButtonSystemItem::Done ? BarButtonItemStyle::Done
                   : (systemItem == BarButtonSystemItem::Cancel || systemItem == BarButtonSystemItem::Edit ||
                      systemItem == BarButtonSystemItem::Save)
                       ? BarButtonItemStyle::Bordered
                       : BarButtonItemStyle::Plain;
    item->action_ = std::move(action);
    return item;
}

void BarButtonItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void BarButtonItem::setImage(gfx::ImagePtr image) {
    image_ = std::move(image);
    changed();
}

void BarButtonItem::setStyle(BarButtonItemStyle style) {
    style_ = style;
    changed();
}

void BarButtonItem::setWidth(double width) {
    width_ = std::isfinite(width) && width > 0 ? width : 0;
    changed();
}

void BarButtonItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void BarButtonItem::setCustomView(std::shared_ptr<View> view) {
    customView_ = std::move(view);
    changed();
}

void BarButtonItem::changed() {
    if (onChange_) {
        onChange_();
    }
}

std::string BarButtonItem::displayTitle() const {
    if (!title_.empty() || !hasSystemItem_) {
        return title_;
    }
    return systemItemTitle(systemItem_);
}

std::shared_ptr<gfx::Font> BarButtonItem::itemFont() {
    return gfx::Font::boldSystemFontOfSize(12);
}

double BarButtonItem::naturalWidth() const {
    if (customView_) {
        return customView_->frame().width();
    }
    if (width_ > 0) {
        return width_;
    }
    if (isSpace()) {
        return 0;
    }
    if (image_ && title_.empty()) {
        return image_->size().width + kItemPadding;
    }
    return gfx::sizeWithFont(displayTitle(), itemFont()).width + kItemPadding;
}

void BarButtonItem::performAction() {
    if (!enabled_ || !action_) {
        return;
    }
    // The action may replace itself or drop the last other reference to the item.
    const auto keepAlive = std::static_pointer_cast<BarButtonItem>(shared_from_this());
    const Action action = action_;
    action(*this);
}

std::shared_ptr<View> BarButtonItem::makeView() {
    if (customView_) {
        return customView_;
    }
    if (isSpace()) {
        return nullptr;
    }
    auto button = View::create<BarItemButton>(gfx::Rect(0, 0, naturalWidth(), kItemHeight), style_);
    button->titleLabel()->setFont(itemFont());
    if (image_ && title_.empty()) {
        button->setImage(image_, ControlState::Normal);
    } else {
        button->setTitle(displayTitle(), ControlState::Normal);
    }
    button->setEnabled(enabled_);
    std::weak_ptr<BarButtonItem> weakItem = std::static_pointer_cast<BarButtonItem>(shared_from_this());
    button->addTarget(
        weakItem,
        [weakItem](Control&, const Event*) {
            if (auto item = weakItem.lock()) {
                item->performAction();
            }
        },
        ControlEvents::TouchUpInside);
    return button;
}

} // namespace ui
