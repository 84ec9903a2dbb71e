// ui::ImageView: a view that shows an image (or its highlighted image) placed by its content mode.
#pragma once

#include <memory>

#include "platform/graphics/image.h"
#include "platform/ui/view.h"

namespace ui {

class ImageView : public View {
public:
    // A view the size of `image` (zero when null) at the origin, showing it.
    static std::shared_ptr<ImageView> initWithImage(gfx::ImagePtr image);

    // Image views take no touches by default.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "ImageView"; }

    const gfx::ImagePtr& image() const { return image_; }
    void setImage(gfx::ImagePtr image);
    // Shown instead of the image while highlighted, when set.
    const gfx::ImagePtr& highlightedImage() const { return highlightedImage_; }
    void setHighlightedImage(gfx::ImagePtr image);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    // The image's size (zero without one).
    gfx::Size sizeThatFits(gfx::Size size) const override;

protected:
    // The image is drawn straight into the rendering context rather than kept in a backing store,
    // so a change of content mode or size shows at once.
    void drawContent(gfx::Context& ctx) override;

private:
    const gfx::ImagePtr& shownImage() const;

    gfx::ImagePtr image_;
    gfx::ImagePtr highlightedImage_;
    bool highlighted_ = false;
};

} // namespace ui
