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

void ImageView::drawRect(gfx::Rect) {
    const auto& image = shownImage();
    if (!image) {
        return;
    }
    image->drawInRect(View::contentModeRect(contentMode(), image->size(), bounds()));
}

} // namespace ui
