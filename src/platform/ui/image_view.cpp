// Image view drawing: the shown image placed in the bounds by the view's content mode.
#include "platform/ui/image_view.h"

namespace ui {

std::shared_ptr<ImageView> ImageView::initWithImage(gfx::ImagePtr image) {
    const gfx::Size size = image ? image->size() : gfx::Size{};
    auto view = View::create<ImageView>(gfx::Rect(gfx::Point{}, size));
    view->setImage(std::move(image));
    return view;
}

void ImageView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setUserInteractionEnabled(false);
}

void ImageView::setImage(gfx::ImagePtr image) {
    image_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setHighlightedImage(gfx::ImagePtr image) {
    highlightedImage_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    setNeedsDisplay();
}

const gfx::ImagePtr& ImageView::shownImage() const {
    return highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
}

gfx::Size ImageView::sizeThatFits(gfx::Size) const {
    return image_ ? image_->size() : gfx::Size{};
}

void ImageView::drawContent(gfx::Context& ctx) {
    const auto& shown = shownImage();
    if (!shown) {
        return;
    }
    // Photos with an orientation are drawn turned upright, as Image::drawInRect does.
    const gfx::ImagePtr upright = shown->orientation() == gfx::ImageOrientation::Up ? nullptr : shown->uprightCopy();
    const gfx::Image& image = upright ? *upright : *shown;
    const gfx::Rect dest = View::contentModeRect(contentMode(), image.size(), bounds());
    // drawImage puts the top row at the rect's maximum y; flip about the rect's middle so it lands
    // at the top in this y-down context.
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(0, dest.minY() + dest.maxY());
    ctx.scaleCTM(1, -1);
    ctx.drawImage(dest, image);
}

} // namespace ui
