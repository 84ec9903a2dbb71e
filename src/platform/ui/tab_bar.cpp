// Tab bar: equal item slots, selection by touch, and the drawn items with their badges.
#include "platform/ui/tab_bar.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/touch.h"

namespace ui {

void TabBar::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
}

namespace {

constexpr double kImageSide = 30;
constexpr double kBadgeHeight = 18;

std::shared_ptr<gfx::Font> titleFont() {
    return gfx::Font::boldSystemFontOfSize(10);
}

std::shared_ptr<gfx::Font> badgeFont() {
    return gfx::Font::boldSystemFontOfSize(12);
}

} // namespace

void TabBar::setItems(std::vector<std::shared_ptr<TabBarItem>> items, Animated) {
    for (const auto& item : items_) {
        item->setChangeHandler({});
    }
    items_ = std::move(items);
    std::erase(items_, nullptr);
    std::weak_ptr<TabBar> weakSelf = self<TabBar>();
    for (const auto& item : items_) {
        item->setChangeHandler([weakSelf] {
            if (auto bar = weakSelf.lock()) {
                bar->setNeedsDisplay();
            }
        });
    }
    if (std::find(items_.begin(), items_.end(), selected_) == items_.end()) {
        selected_.reset();
    }
    setNeedsDisplay();
}

void TabBar::setSelectedItem(std::shared_ptr<TabBarItem> item) {
    selected_ = std::find(items_.begin(), items_.end(), item) == items_.end() ? nullptr : std::move(item);
    setNeedsDisplay();
}

gfx::Rect TabBar::rectForItemAtIndex(size_t index) const {
    if (index >= items_.size()) {
        return {};
    }
    const gfx::Rect b = bounds();
    const double width = b.width() / static_cast<double>(items_.size());
    return gfx::Rect(b.minX() + width * static_cast<double>(index), b.minY(), width, b.height());
}

gfx::Rect TabBar::badgeRectForItemAtIndex(size_t index) const {
    if (index >= items_.size() || !items_[index]->badgeValue()) {
        return {};
    }
    const gfx::Rect slot = rectForItemAtIndex(index);
    const double width =
        std::max(kBadgeHeight, gfx::sizeWithFont(*items_[index]->badgeValue(), badgeFont()).width + 10);
    return gfx::Rect(std::floor(slot.midX() + kImageSide / 2 - width / 2), slot.minY() + 1, width, kBadgeHeight);
}

gfx::Size TabBar::sizeThatFits(gfx::Size) const {
    return {bounds().width(), kHeight};
}

void TabBar::touchesBegan(const TouchSet& touches, const Event*) {
    if (touches.empty()) {
        return;
    }
    const gfx::Point p = touches.front()->locationInView(this);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!rectForItemAtIndex(i).containsPoint(p)) {
            continue;
        }
        const auto item = items_[i];
        if (!item->isEnabled()) {
            return;
        }
        const std::shared_ptr<View> keepAlive = self();
        setSelectedItem(item);
        if (auto d = delegate()) {
            d->tabBarDidSelectItem(*this, *item);
        }
        return;
    }
}

void TabBar::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    ctx->setFillColor(gfx::Color::white(0.1, 1));
    ctx->fillRect(b);
    const auto font = titleFont();
    for (size_t i = 0; i < items_.size(); ++i) {
        const auto& item = items_[i];
        const gfx::Rect slot = rectForItemAtIndex(i);
        const bool selected = item == selected_;
        if (selected) {
            ctx->setFillColor(gfx::Color::white(1, 0.15));
            ctx->fillRect(slot.insetBy(2, 2));
        }
        if (item->image()) {
            const gfx::Size s = item->image()->size();
            const double scale = std::min(1.0, std::min(kImageSide / s.width, kImageSide / s.height));
            const gfx::Size drawn{s.width * scale, s.height * scale};
            item->image()->drawInRect(gfx::Rect(std::floor(slot.midX() - drawn.width / 2),
                                                slot.minY() + 4 + std::floor((kImageSide - drawn.height) / 2),
                                                drawn.width, drawn.height));
        }
        gfx::Color ink = selected ? gfx::Color(0.2, 0.6, 1, 1) : gfx::Color::white(0.6, 1);
        if (!item->isEnabled()) {
            ink = ink.withAlphaComponent(0.4);
        }
        ctx->setFillColor(ink);
        gfx::drawInRect(item->title(),
                        gfx::Rect(slot.minX() + 1, slot.maxY() - font->lineHeight() - 2,
                                  std::max(0.0, slot.width() - 2), font->lineHeight()),
                        font, gfx::LineBreakMode::TailTruncation, gfx::TextAlignment::Center);
        if (item->badgeValue()) {
            const gfx::Rect badge = badgeRectForItemAtIndex(i);
            ctx->setFillColor(gfx::Color(0.85, 0.1, 0.1, 1));
            ctx->beginPath();
            ctx->addRoundedRect(badge, kBadgeHeight / 2);
            ctx->fillPath();
            const auto bf = badgeFont();
            ctx->setFillColor(gfx::Color::white());
            gfx::drawInRect(*item->badgeValue(),
                            gfx::Rect(badge.minX(), badge.minY() + std::floor((badge.height() - bf->lineHeight()) / 2),
                                      badge.width(), bf->lineHeight()),
                            bf, gfx::LineBreakMode::Clip, gfx::TextAlignment::Center);
        }
    }
}

} // namespace ui
