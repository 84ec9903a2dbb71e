// Toolbar item layout (fixed and flexible spaces, natural widths), the item views and the bar's look.
#include "platform/ui/toolbar.h"

#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/ui/bar_background.h"

namespace ui {

void Toolbar::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
}

void Toolbar::setBarStyle(BarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}

void Toolbar::setTintColor(std::optional<gfx::Color> color) {
    tintColor_ = color;
    setNeedsDisplay();
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, Animated) {
    for (const auto& item : items_) {
        if (item) {
            item->setChangeHandler({});
        }
    }
    items_ = std::move(items);
    std::erase(items_, nullptr);
    std::weak_ptr<Toolbar> weakSelf = self<Toolbar>();
    for (const auto& item : items_) {
        item->setChangeHandler([weakSelf] {
            if (auto bar = weakSelf.lock()) {
                bar->rebuildViews();
            }
        });
    }
    rebuildViews();
}

void Toolbar::rebuildViews() {
    for (const auto& view : itemViews_) {
        if (view && view->superview().get() == this) {
            view->removeFromSuperview();
        }
    }
    itemViews_.clear();
    for (const auto& item : items_) {
        auto view = item->makeView();
        if (view) {
            addSubview(view);
        }
        itemViews_.push_back(std::move(view));
    }
    setNeedsLayout();
    layoutIfNeeded();
}

std::shared_ptr<View> Toolbar::viewForItem(size_t index) const {
    return index < itemViews_.size() ? itemViews_[index] : nullptr;
}

std::vector<gfx::Rect> Toolbar::itemRects() const {
    const gfx::Rect b = bounds();
    double used = 0;
    int flexible = 0;
    for (const auto& item : items_) {
        if (item->isFlexibleSpace()) {
            ++flexible;
        } else {
            used += item->isFixedSpace() ? item->width() : item->naturalWidth();
        }
    }
    const double available = b.width() - 2 * kMargin;
    const double share = flexible > 0 ? std::max(0.0, available - used) / flexible : 0;
    std::vector<gfx::Rect> rects;
    double x = b.minX() + kMargin;
    for (const auto& item : items_) {
        double width = 0;
        if (item->isFlexibleSpace()) {
            width = share;
        } else if (item->isFixedSpace()) {
            width = item->width();
        } else {
            width = item->naturalWidth();
        }
        rects.emplace_back(x, b.minY(), width, b.height());
        x += width;
    }
    return rects;
}

gfx::Size Toolbar::sizeThatFits(gfx::Size) const {
    return {bounds().width(), kHeight};
}

void Toolbar::layoutSubviews() {
    const auto rects = itemRects();
    for (size_t i = 0; i < itemViews_.size() && i < rects.size(); ++i) {
        const auto& view = itemViews_[i];
        if (!view) {
            continue;
        }
        const double height = view->frame().height();
        view->setFrame(gfx::Rect(rects[i].minX(), rects[i].minY() + std::floor((rects[i].height() - height) / 2),
                                 rects[i].width(), height));
    }
}

void Toolbar::drawRect(gfx::Rect) {
    if (const auto ctx = gfx::getCurrentContext()) {
        drawBarBackground(*ctx, bounds(), barStyle_, tintColor_, BarEdge::Top);
    }
}

} // namespace ui
