// BackedView: the persistent backing context, resized with the bounds on the main thread, drawn
// into under its mutex from any thread, and composited by the display pass.
#include "platform/ui/backed_view.h"

#include <cmath>

#include "platform/ui/application.h"

namespace ui {

void BackedView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    if (syncBackingSize()) {
        backingDidChange();
    }
}

void BackedView::layoutSubviews() {
    View::layoutSubviews();
    if (syncBackingSize()) {
        backingDidChange();
    }
}

bool BackedView::syncBackingSize() {
    const int width = static_cast<int>(std::ceil(bounds().width()));
    const int height = static_cast<int>(std::ceil(bounds().height()));
    std::lock_guard lock(backingMutex_);
    if (backing_ && backing_->width() == width && backing_->height() == height) {
        return false;
    }
    if (!backing_ && (width <= 0 || height <= 0)) {
        return false;
    }
    auto fresh = width > 0 && height > 0 ? gfx::Context::createView(width, height) : nullptr;
    if (fresh && backing_) {
        if (auto old = backing_->makeImage()) {
            gfx::StateSaver saver(*fresh);
            fresh->translateCTM(0, old->height());
            fresh->scaleCTM(1, -1);
            fresh->drawImage(gfx::Rect(0, 0, old->width(), old->height()), *old);
        }
    }
    backing_ = std::move(fresh);
    return true;
}

void BackedView::withBackingContext(const std::function<void(gfx::Context&)>& fn) {
    {
        std::lock_guard lock(backingMutex_);
        if (!backing_) {
            return;
        }
        fn(*backing_);
    }
    Application::shared().setNeedsPasses();
}

std::shared_ptr<gfx::Context> BackedView::backingContext() {
    std::lock_guard lock(backingMutex_);
    return backing_;
}

gfx::ImagePtr BackedView::copyBacking() {
    std::lock_guard lock(backingMutex_);
    return backing_ ? backing_->makeImage() : nullptr;
}

void BackedView::drawContent(gfx::Context& ctx) {
    if (syncBackingSize()) {
        backingDidChange();
    }
    gfx::ImagePtr image = copyBacking();
    if (!image) {
        return;
    }
    const gfx::Rect b = bounds();
    gfx::Rect dest(b.origin.x, b.origin.y, image->width(), image->height());
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(0, dest.minY() + dest.maxY());
    ctx.scaleCTM(1, -1);
    ctx.drawImage(dest, *image);
}

} // namespace ui
