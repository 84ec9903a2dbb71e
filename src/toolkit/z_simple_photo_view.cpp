// The photo viewer: covering and dimming, loading through the photo source with the answer hopped to
// the main thread (stale answers dropped by load number), fitting the picture, the placeholder, and
// closing on a tap.
#include "toolkit/z_simple_photo_view.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/graphics_stack.h"
#include "protocol/tracer.h"
#include "toolkit/toolkit_context.h"

namespace zelvan {
namespace {

constexpr double kDimAlpha = 0.6;

// A framed grey card with a hill and a sun: "a picture belongs here".
gfx::ImagePtr drawPlaceholder() {
    const gfx::Size size(120, 90);
    gfx::beginImageContext(size);
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return nullptr;
    }
    ctx->setFillColor(gfx::Color::white(0.85, 1));
    ctx->beginPath();
    ctx->addRoundedRect(gfx::Rect(0, 0, size.width, size.height), 6);
    ctx->fillPath();
    ctx->setStrokeColor(gfx::Color::white(0.6, 1));
    ctx->setLineWidth(2);
    ctx->beginPath();
    ctx->addRoundedRect(gfx::Rect(1, 1, size.width - 2, size.height - 2), 6);
    ctx->strokePath();
    ctx->setFillColor(gfx::Color::white(0.65, 1));
    ctx->beginPath();
    ctx->moveToPoint(14, 74);
    ctx->addLineToPoint(48, 34);
    ctx->addLineToPoint(70, 58);
    ctx->addLineToPoint(84, 44);
    ctx->addLineToPoint(106, 74);
    ctx->closePath();
    ctx->fillPath();
    ctx->beginPath();
    ctx->addArc(gfx::Point(88, 24), 8, 0, 2 * M_PI, gfx::Clockwise::No);
    ctx->fillPath();
    gfx::ImagePtr image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

} // namespace

std::shared_ptr<ZSimplePhotoView> ZSimplePhotoView::initWithUrl(const std::string& url) {
    auto view = ui::View::create<ZSimplePhotoView>(gfx::Rect(0, 0, 320, 480));
    view->url_ = url;
    return view;
}

gfx::Size ZSimplePhotoView::defaultMaxSize() {
    return gfx::Size(240, 180);
}

std::shared_ptr<PhotoSource> ZSimplePhotoView::photoSource() {
    auto delegate = toolkit::context();
    return delegate ? delegate->photoSource() : nullptr;
}

void ZSimplePhotoView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(gfx::Color(0, 0, 0, kDimAlpha));
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);

    imageView_ = ui::View::create<ui::ImageView>(gfx::Rect());
    imageView_->setContentMode(ui::ContentMode::ScaleToFill);
    addSubview(imageView_);

    indicator_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    addSubview(indicator_);
}

void ZSimplePhotoView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        ZTRACE_WARN("no view to show the photo %@ in", fnd::logPreview(url_));
        return;
    }
    const bool wasShown = superview() != nullptr;
    setFrame(view->bounds());
    view->addSubview(self());
    setNeedsLayout();
    if (!wasShown) {
        startLoading();
    }
}

void ZSimplePhotoView::startLoading() {
    const uint64_t load = ++load_;
    imageView_->setImage(nullptr);
    loading_ = true;
    indicator_->startAnimating();
    setNeedsLayout();

    const auto source = photoSource();
    if (!source) {
        ZTRACE_WARN("no photo source to load %@ from; showing the placeholder", fnd::logPreview(url_));
        loading_ = false;
        indicator_->stopAnimating();
        showImage(placeholderImage());
        return;
    }
    std::weak_ptr<ZSimplePhotoView> weak = self<ZSimplePhotoView>();
    source->loadPhoto(url_, [weak, load](gfx::ImagePtr image) {
        onMain(weak, [load, image = std::move(image)](ZSimplePhotoView& view) mutable {
            view.photoArrived(load, std::move(image));
        });
    });
}

void ZSimplePhotoView::photoArrived(uint64_t load, gfx::ImagePtr image) {
    // An answer to a load that was closed or superseded, or a second answer, changes nothing.
    if (load != load_ || !loading_) {
        return;
    }
    loading_ = false;
    indicator_->stopAnimating();
    if (!image) {
        ZTRACE_WARN("the photo at %@ could not be loaded; showing the placeholder", fnd::logPreview(url_));
        image = placeholderImage();
    }
    showImage(std::move(image));
}

void ZSimplePhotoView::showImage(gfx::ImagePtr image) {
    imageView_->setImage(std::move(image));
    setNeedsLayout();
    layoutIfNeeded();
}

void ZSimplePhotoView::close() {
    // The superview may hold the last reference; stay alive until this call returns.
    const auto keep = self();
    ++load_;
    loading_ = false;
    indicator_->stopAnimating();
    removeFromSuperview();
}

void ZSimplePhotoView::touchesBegan(const ui::TouchSet&, const ui::Event*) {
    // Taken here so the touch does not reach the covered view.
}

void ZSimplePhotoView::touchesEnded(const ui::TouchSet&, const ui::Event*) {
    close();
}

void ZSimplePhotoView::layoutSubviews() {
    const gfx::Rect b = bounds();
    const gfx::Size side = indicator_->bounds().size;
    indicator_->setFrame(gfx::Rect(std::floor(b.midX() - side.width / 2), std::floor(b.midY() - side.height / 2),
                                   side.width, side.height));
    const auto& image = imageView_->image();
    imageView_->setFrame(image ? pictureFrame(image->size(), b) : gfx::Rect(b.midX(), b.midY(), 0, 0));
}

gfx::Rect ZSimplePhotoView::pictureFrame(gfx::Size imageSize, gfx::Rect bounds) {
    const gfx::Size max = defaultMaxSize();
    if (!(imageSize.width > 0) || !(imageSize.height > 0)) {
        return gfx::Rect(std::floor(bounds.midX()), std::floor(bounds.midY()), 0, 0);
    }
    const double scale = std::min({1.0, max.width / imageSize.width, max.height / imageSize.height});
    const double w = std::max(1.0, std::round(imageSize.width * scale));
    const double h = std::max(1.0, std::round(imageSize.height * scale));
    return gfx::Rect(bounds.minX() + std::floor((bounds.width() - w) / 2),
                     bounds.minY() + std::floor((bounds.height() - h) / 2), w, h);
}

gfx::ImagePtr ZSimplePhotoView::placeholderImage() {
    if (auto image = gfx::Image::imageNamed(kPlaceholderImageName)) {
        return image;
    }
    static const gfx::ImagePtr drawn = [] {
        ZTRACE_WARN("the bundle has no %s image; drawing a placeholder", kPlaceholderImageName);
        return drawPlaceholder();
    }();
    return drawn;
}

} // namespace zelvan
