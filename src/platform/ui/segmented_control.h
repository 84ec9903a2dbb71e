// ui::SegmentedControl: a row of segments showing titles or images, one of which may be selected;
// touching a segment selects it and sends ValueChanged at once.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/control.h"

namespace ui {

enum class SegmentedControlStyle { Plain = 0, Bordered = 1, Bar = 2 };

class SegmentedControl : public Control {
public:
    static constexpr int kNoSegment = -1;
    // A segment of width 0 takes an equal share of what the fixed-width segments leave.
    using Item = std::variant<std::string, gfx::ImagePtr>;

    // A control showing `items`, sized to fit them.
    static std::shared_ptr<SegmentedControl> initWithItems(const std::vector<Item>& items);

    std::string className() const override { return "SegmentedControl"; }

    SegmentedControlStyle segmentedControlStyle() const { return style_; }
    void setSegmentedControlStyle(SegmentedControlStyle style);
    const std::optional<gfx::Color>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<gfx::Color> color);
    // A momentary control shows the touched segment only while the touch lasts; the selection
    // returns to none when it ends.
    bool isMomentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    int selectedSegmentIndex() const { return selected_; }
    // Out-of-range indexes select none; sends no event.
    void setSelectedSegmentIndex(int index);

    int numberOfSegments() const { return static_cast<int>(segments_.size()); }
    // Setters ignore an index out of range; getters answer empty values for it.
    void setTitle(std::string title, int segment);
    std::optional<std::string> titleForSegmentAtIndex(int segment) const;
    void setImage(gfx::ImagePtr image, int segment);
    gfx::ImagePtr imageForSegmentAtIndex(int segment) const;
    void setWidth(double width, int segment);
    double widthForSegmentAtIndex(int segment) const;
    void setEnabled(bool enabled, int segment);
    bool isEnabledForSegmentAtIndex(int segment) const;

    // The segment rects across the bounds (fixed widths first, the rest shared equally).
    std::vector<gfx::Rect> segmentRects() const;
    // The segment under a point in the bounds, or kNoSegment.
    int segmentAtPoint(gfx::Point point) const;

    // Natural width of each segment (fixed, or title/image plus padding) and the style's height.
    gfx::Size sizeThatFits(gfx::Size size) const override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    bool beginTrackingWithTouch(const Touch& touch, const Event* event) override;
    void endTrackingWithTouch(const Touch& touch, const Event* event) override;
    void cancelTrackingWithEvent(const Event* event) override;

private:
    struct Segment {
        std::optional<std::string> title;
        gfx::ImagePtr image;
        double width = 0;
        bool enabled = true;
    };
    bool valid(int segment) const { return segment >= 0 && segment < numberOfSegments(); }
    double naturalWidth(const Segment& segment) const;

    std::vector<Segment> segments_;
    SegmentedControlStyle style_ = SegmentedControlStyle::Plain;
    std::optional<gfx::Color> tintColor_;
    bool momentary_ = false;
    int selected_ = kNoSegment;
};

} // namespace ui
