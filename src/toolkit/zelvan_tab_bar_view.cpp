// The tab bar's geometry (equal shares of the width), its tap handling and delegate call, and its
// look: a dark strip with white titles, the active tab on a lighter rounded plate.
#include "toolkit/zelvan_tab_bar_view.h"

#include <algorithm>
#include <cmath>

#include "core/zelvan_style.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/touch.h"

namespace zelvan {

std::shared_ptr<ZelvanTabBarView> ZelvanTabBarView::initWithFrame(gfx::Rect frame, std::vector<std::string> tabs) {
    auto bar = ui::View::create<ZelvanTabBarView>(frame);
    bar->tabs_ = std::move(tabs);
    bar->activeIndex_ = bar->tabs_.empty() ? -1 : 0;
    bar->setContentMode(ui::ContentMode::Redraw);
    bar->setNeedsDisplay();
    return bar;
}

gfx::Rect ZelvanTabBarView::tabRect(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= tabs_.size()) {
        return gfx::Rect::null();
    }
    const gfx::Rect b = bounds();
    const double share = b.width() / static_cast<double>(tabs_.size());
    return gfx::Rect(b.minX() + share * index, b.minY(), share, b.height());
}

int ZelvanTabBarView::tabIndexAtPoint(gfx::Point point) const {
    const gfx::Rect b = bounds();
    if (tabs_.empty() || !b.containsPoint(point)) {
        return -1;
    }
    const double share = b.width() / static_cast<double>(tabs_.size());
    const int index = static_cast<int>(std::floor((point.x - b.minX()) / share));
    return std::min(index, static_cast<int>(tabs_.size()) - 1);
}

void ZelvanTabBarView::touchesBegan(const ui::TouchSet& touches, const ui::Event*) {
    pressedIndex_ = touches.empty() ? -1 : tabIndexAtPoint(touches.front()->locationInView(this));
}

void ZelvanTabBarView::touchesEnded(const ui::TouchSet& touches, const ui::Event*) {
    const int pressed = pressedIndex_;
    pressedIndex_ = -1;
    if (touches.empty() || pressed < 0) {
        return;
    }
    if (tabIndexAtPoint(touches.front()->locationInView(this)) == pressed) {
        selectTab(pressed);
    }
}

void ZelvanTabBarView::touchesCancelled(const ui::TouchSet&, const ui::Event*) {
    pressedIndex_ = -1;
}

void ZelvanTabBarView::selectTab(int index) {
    if (index == activeIndex_) {
        return;
    }
    const int old = activeIndex_;
    activeIndex_ = index;
    setNeedsDisplay();
    if (const auto delegate = delegate_.lock()) {
        delegate->tabSelected(*this, old);
    }
}

void ZelvanTabBarView::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const gfx::Color tint = ZelvanStyle::shared()->navigationBarTintColor();
    ctx->setFillColor(tint);
    ctx->fillRect(b);
    ctx->setFillColor(gfx::Color::white(0, 0.25));
    ctx->fillRect(gfx::Rect(b.minX(), b.maxY() - 1, b.width(), 1));

    const auto font = gfx::Font::boldSystemFontOfSize(13);
    for (size_t i = 0; i < tabs_.size(); ++i) {
        const int index = static_cast<int>(i);
        const gfx::Rect tab = tabRect(index);
        if (index == activeIndex_) {
            ctx->setFillColor(gfx::Color::white(1, 0.3));
            ctx->beginPath();
            ctx->addRoundedRect(tab.insetBy(3, 4), 5);
            ctx->fillPath();
        } else if (index > 0) {
            ctx->setFillColor(gfx::Color::white(1, 0.2));
            ctx->fillRect(gfx::Rect(std::round(tab.minX()), tab.minY() + 6, 1, std::max(0.0, tab.height() - 12)));
        }
        const double top = std::floor(tab.midY() - font->lineHeight() / 2);
        ctx->setFillColor(index == activeIndex_ ? gfx::Color::white() : gfx::Color::white(0.85, 1));
        gfx::drawInRect(tabs_[i], gfx::Rect(tab.minX() + 2, top, tab.width() - 4, font->lineHeight()), font,
                        gfx::LineBreakMode::TailTruncation, gfx::TextAlignment::Center);
    }
}

} // namespace zelvan
