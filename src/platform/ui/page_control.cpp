// Page control paging by taps on either half, and its dots.
#include "platform/ui/page_control.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"

namespace ui {

void PageControl::setNumberOfPages(int pages) {
    numberOfPages_ = std::max(0, pages);
    currentPage_ = std::clamp(currentPage_, 0, std::max(0, numberOfPages_ - 1));
    setNeedsDisplay();
}

void PageControl::setCurrentPage(int page) {
    currentPage_ = std::clamp(page, 0, std::max(0, numberOfPages_ - 1));
    setNeedsDisplay();
}

void PageControl::setHidesForSinglePage(bool hides) {
    hidesForSinglePage_ = hides;
    setNeedsDisplay();
}

gfx::Size PageControl::sizeForNumberOfPages(int pages) {
    return {kDotSpacing * std::max(0, pages), kHeight};
}

void PageControl::endTrackingWithTouch(const Touch& touch, const Event* event) {
    const gfx::Point p = touch.locationInView(this);
    if (!bounds().containsPoint(p)) {
        return;
    }
    const int before = currentPage_;
    setCurrentPage(p.x < bounds().midX() ? currentPage_ - 1 : currentPage_ + 1);
    if (currentPage_ != before) {
        sendActions(ControlEvents::ValueChanged, event);
    }
}

void PageControl::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx || numberOfPages_ == 0 || (hidesForSinglePage_ && numberOfPages_ == 1)) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const double x0 = b.midX() - kDotSpacing * numberOfPages_ / 2;
    for (int i = 0; i < numberOfPages_; ++i) {
        ctx->setFillColor(i == currentPage_ ? gfx::Color::white() : gfx::Color::white(1, 0.3));
        ctx->beginPath();
        ctx->addArc(gfx::Point{x0 + kDotSpacing * i + kDotSpacing / 2, b.midY()}, kDotSize / 2, 0, 2 * M_PI,
                    gfx::Clockwise::No);
        ctx->fillPath();
    }
}

} // namespace ui
