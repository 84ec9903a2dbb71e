// The display pass (drawRect into a fresh view context per damaged view, committed at once) and
// rendering of a view tree into a context: background, backing store, layer sublayers, subviews.
#include "platform/ui/view.h"

#include <cmath>

#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/layer.h"

namespace ui {
namespace {

// Draws `image` with its top row at the rect's minimum y of a y-down space.
void drawUpright(gfx::Context& ctx, gfx::Rect rect, const gfx::Image& image) {
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(0, rect.minY() + rect.maxY());
    ctx.scaleCTM(1, -1);
    ctx.drawImage(rect, image);
}

} // namespace

std::shared_ptr<gfx::Context> View::backingStore() const {
    std::lock_guard lock(displayMutex_);
    return backing_;
}

void View::displayIfNeeded() {
    VERIFY(fnd::isMainThread());
    displaySubtree();
}

void View::displaySubtree() {
    if (hidden_) {
        return; // damage waits until the view shows
    }
    if (drawsOwnContent()) {
        bool needs;
        {
            std::lock_guard lock(displayMutex_);
            needs = needsDisplay_ || (!backing_ && !bounds_.isEmpty());
        }
        if (needs) {
            redraw();
        }
    }
    const auto subviews = subviews_; // drawRect must not change the tree, but stay safe if it does
    for (const auto& subview : subviews) {
        subview->displaySubtree();
    }
}

void View::redraw() {
    gfx::Rect damage;
    std::shared_ptr<gfx::Context> old;
    gfx::ImagePtr oldImage;
    {
        std::lock_guard lock(displayMutex_);
        damage = damage_;
        damage_ = gfx::Rect::null();
        needsDisplay_ = false;
        old = backing_;
        oldImage = backingImage_;
    }
    const int width = static_cast<int>(std::ceil(bounds_.width()));
    const int height = static_cast<int>(std::ceil(bounds_.height()));
    auto ctx = width > 0 && height > 0 ? gfx::Context::createView(width, height) : nullptr;
    if (!ctx) {
        std::lock_guard lock(displayMutex_);
        backing_.reset();
        backingImage_.reset();
        return;
    }
    gfx::Rect area = damage.isNull() ? bounds_ : damage.intersection(bounds_);
    const bool partial = old && oldImage && old->width() == width && old->height() == height && !area.isNull() &&
                         !area.containsRect(bounds_);
    if (partial) {
        // Keep what is outside the damage; only the damaged part is drawn again.
        drawUpright(*ctx, gfx::Rect(0, 0, width, height), *oldImage);
    } else {
        area = bounds_;
    }
    ctx->translateCTM(-bounds_.origin.x, -bounds_.origin.y);
    if (partial) {
        ctx->clearRect(area);
    }
    ctx->clipToRect(area);
    gfx::pushContext(ctx);
    drawRect(area);
    gfx::popContext();
    auto image = ctx->makeImage();
    std::lock_guard lock(displayMutex_);
    backing_ = std::move(ctx);
    backingImage_ = std::move(image);
}

void View::drawContent(gfx::Context& ctx) {
    gfx::ImagePtr image;
    {
        std::lock_guard lock(displayMutex_);
        image = backingImage_;
    }
    if (!image) {
        return;
    }
    gfx::Size size{static_cast<double>(image->width()), static_cast<double>(image->height())};
    gfx::Rect dest = gfx::Rect(bounds_.origin, size);
    if (std::ceil(bounds_.width()) != size.width || std::ceil(bounds_.height()) != size.height) {
        dest = contentModeRect(contentMode_, size, bounds_); // a store from an older size
    }
    drawUpright(ctx, dest, *image);
}

void View::renderInContext(gfx::Context& ctx) {
    if (hidden_) {
        return;
    }
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(-bounds_.origin.x, -bounds_.origin.y);
    renderTree(ctx, 1);
}

void View::renderTree(gfx::Context& ctx, double parentAlpha) {
    const double alpha = parentAlpha * std::clamp(alpha_, 0.0, 1.0);
    if (alpha <= 0) {
        return;
    }
    gfx::StateSaver saver(ctx);
    if (clipsToBounds_) {
        ctx.clipToRect(bounds_);
    }
    ctx.setAlpha(alpha);
    if (backgroundColor_.a > 0) {
        ctx.setFillColor(backgroundColor_);
        ctx.fillRect(bounds_);
    }
    drawContent(ctx);
    if (layer_) {
        gfx::StateSaver layerSaver(ctx);
        layer_->renderContentsInContext(ctx);
        layer_->renderSublayersInContext(ctx);
    }
    for (const auto& subview : subviews_) {
        if (subview->hidden_) {
            continue;
        }
        gfx::StateSaver subviewSaver(ctx);
        ctx.concatCTM(subview->transformToSuperview());
        ctx.setAlpha(alpha);
        subview->renderTree(ctx, alpha);
    }
}

} // namespace ui
