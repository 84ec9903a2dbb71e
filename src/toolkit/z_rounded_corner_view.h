// ZRoundedCornerView: a view that paints a filled rounded rectangle, optionally with a drop shadow;
// the kit's panels (alerts, loading boxes) sit on it.
#pragma once

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/view.h"

namespace zelvan {

class ZRoundedCornerView : public ui::View {
public:
    // Transparent around the shape; white fill, radius 8, no shadow.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZRoundedCornerView"; }

    gfx::Color fillColor() const { return fillColor_; }
    void setFillColor(const gfx::Color& color);
    double radius() const { return radius_; }
    // Negative radii count as 0; the shape clamps the radius to half its shorter side.
    void setRadius(double radius);
    bool shadow() const { return shadow_; }
    void setShadow(bool shadow);
    double shadowBlur() const { return shadowBlur_; }
    void setShadowBlur(double blur);
    // In screen terms: x to the right, y upwards (so (3, -3) falls right and down).
    gfx::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(gfx::Size offset);

    // Where the shape is drawn: the bounds, inset on each side by what the shadow needs when it is on.
    gfx::Rect shapeRect() const;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    gfx::Color fillColor_ = gfx::Color::white();
    double radius_ = 8;
    bool shadow_ = false;
    double shadowBlur_ = 5;
    gfx::Size shadowOffset_{3, -3};
};

} // namespace zelvan
