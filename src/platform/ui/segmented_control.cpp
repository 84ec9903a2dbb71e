// Segmented control: segment geometry, selection on touch down, and the drawn segments.
#include "platform/ui/segmented_control.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"

namespace ui {

namespace {

constexpr double kSegmentPadding = 10;
constexpr double kMinimumSegmentWidth = 20;

std::shared_ptr<gfx::Font> segmentFont() {
    return gfx::Font::boldSystemFontOfSize(13);
}

double heightForStyle(SegmentedControlStyle style) {
    return style == SegmentedControlStyle::Bar ? 30 : 44;
}

} // namespace

std::shared_ptr<SegmentedControl> SegmentedControl::initWithItems(const std::vector<Item>& items) {
    auto control = View::create<SegmentedControl>(gfx::Rect{});
    for (const auto& item : items) {
        Segment segment;
        if (const auto* title = std::get_if<std::string>(&item)) {
            segment.title = *title;
        } else {
            segment.image = std::get<gfx::ImagePtr>(item);
        }
        control->segments_.push_back(std::move(segment));
    }
    control->setFrame(gfx::Rect(gfx::Point{}, control->sizeThatFits({})));
    return control;
}

void SegmentedControl::setSegmentedControlStyle(SegmentedControlStyle style) {
    style_ = style;
    setNeedsDisplay();
}

void SegmentedControl::setTintColor(std::optional<gfx::Color> color) {
    tintColor_ = color;
    setNeedsDisplay();
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    selected_ = valid(index) ? index : kNoSegment;
    setNeedsDisplay();
}

void SegmentedControl::setTitle(std::string title, int segment) {
    if (valid(segment)) {
        segments_[segment].title = std::move(title);
        segments_[segment].image = nullptr;
        setNeedsDisplay();
    }
}

std::optional<std::string> SegmentedControl::titleForSegmentAtIndex(int segment) const {
    return valid(segment) ? segments_[segment].title : std::nullopt;
}

void SegmentedControl::setImage(gfx::ImagePtr image, int segment) {
    if (valid(segment)) {
        segments_[segment].image = std::move(image);
        segments_[segment].title.reset();
        setNeedsDisplay();
    }
}

gfx::ImagePtr SegmentedControl::imageForSegmentAtIndex(int segment) const {
    return valid(segment) ? segments_[segment].image : nullptr;
}

void SegmentedControl::setWidth(double width, int segment) {
    if (valid(segment)) {
        segments_[segment].width = std::isfinite(width) ? std::max(0.0, width) : 0.0;
        setNeedsDisplay();
    }
}

double SegmentedControl::widthForSegmentAtIndex(int segment) const {
    return valid(segment) ? segments_[segment].width : 0;
}

void SegmentedControl::setEnabled(bool enabled, int segment) {
    if (valid(segment)) {
        segments_[segment].enabled = enabled;
        setNeedsDisplay();
    }
}

bool SegmentedControl::isEnabledForSegmentAtIndex(int segment) const {
    return valid(segment) && segments_[segment].enabled;
}

double SegmentedControl::naturalWidth(const Segment& segment) const {
    if (segment.width > 0) {
        return segment.width;
    }
    double content = 0;
    if (segment.title) {
        content = gfx::sizeWithFont(*segment.title, segmentFont()).width;
    } else if (segment.image) {
        content = segment.image->size().width;
    }
    return std::max(kMinimumSegmentWidth, content + 2 * kSegmentPadding);
}

std::vector<gfx::Rect> SegmentedControl::segmentRects() const {
    std::vector<gfx::Rect> rects;
    const gfx::Rect b = bounds();
    double fixed = 0;
    int flexible = 0;
    for (const auto& segment : segments_) {
        if (segment.width > 0) {
            fixed += segment.width;
        } else {
            ++flexible;
        }
    }
    const double share = flexible > 0 ? std::max(0.0, b.width() - fixed) / flexible : 0;
    double x = b.minX();
    for (const auto& segment : segments_) {
        const double w = segment.width > 0 ? segment.width : share;
        rects.emplace_back(x, b.minY(), w, b.height());
        x += w;
    }
    return rects;
}

int SegmentedControl::segmentAtPoint(gfx::Point point) const {
    const auto rects = segmentRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].containsPoint(point)) {
            return static_cast<int>(i);
        }
    }
    return kNoSegment;
}

gfx::Size SegmentedControl::sizeThatFits(gfx::Size) const {
    double width = 0;
    for (const auto& segment : segments_) {
        width += naturalWidth(segment);
    }
    return {width, heightForStyle(style_)};
}

bool SegmentedControl::beginTrackingWithTouch(const Touch& touch, const Event* event) {
    const int segment = segmentAtPoint(touch.locationInView(this));
    if (!valid(segment) || !segments_[segment].enabled) {
        return false;
    }
    if (segment != selected_ || momentary_) {
        setSelectedSegmentIndex(segment);
        sendActions(ControlEvents::ValueChanged, event);
    }
    return true;
}

void SegmentedControl::endTrackingWithTouch(const Touch&, const Event*) {
    if (momentary_) {
        setSelectedSegmentIndex(kNoSegment);
    }
}

void SegmentedControl::cancelTrackingWithEvent(const Event*) {
    if (momentary_) {
        setSelectedSegmentIndex(kNoSegment);
    }
}

void SegmentedControl::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Color tint = tintColor_.value_or(style_ == SegmentedControlStyle::Bar ? gfx::Color(0.45, 0.55, 0.7, 1)
                                                                                     : gfx::Color(0.15, 0.4, 0.85, 1));
    const auto font = segmentFont();
    const auto rects = segmentRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const gfx::Rect r = rects[i];
        const Segment& segment = segments_[i];
        const bool selected = static_cast<int>(i) == selected_;
        ctx->setFillColor(selected ? tint : gfx::Color::white(style_ == SegmentedControlStyle::Bar ? 0.8 : 1, 1));
        ctx->fillRect(r);
        ctx->setStrokeColor(gfx::Color::white(0.55, 1));
        ctx->strokeRectWithWidth(r.insetBy(0.5, 0.5), 1);
        if (segment.title) {
            const double lineHeight = font->lineHeight();
            gfx::Color ink = selected ? gfx::Color::white() : gfx::Color::white(0.3, 1);
            if (!segment.enabled || !isEnabled()) {
                ink = ink.withAlphaComponent(0.4);
            }
            ctx->setFillColor(ink);
            gfx::drawInRect(*segment.title,
                            gfx::Rect(r.minX() + 2, r.minY() + std::floor((r.height() - lineHeight) / 2),
                                      std::max(0.0, r.width() - 4), lineHeight),
                            font, gfx::LineBreakMode::TailTruncation, gfx::TextAlignment::Center);
        } else if (segment.image) {
            const gfx::Size s = segment.image->size();
            segment.image->drawInRect(gfx::Rect(r.minX() + std::floor((r.width() - s.width) / 2),
                                                r.minY() + std::floor((r.height() - s.height) / 2), s.width, s.height));
        }
    }
}

} // namespace ui
