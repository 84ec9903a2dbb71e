// View geometry: the frame derived from centre, bounds and transform, autoresizing of subviews when
// a view's size changes, and coordinate conversion between views, windows and the screen.
#include "platform/ui/view.h"

#include <cmath>

#include "platform/ui/window.h"

namespace ui {

gfx::AffineTransform View::transformToSuperview() const {
    // Bounds space -> centred on the view -> transformed about the centre -> the superview's space.
    const double w = bounds_.size.width;
    const double h = bounds_.size.height;
    return gfx::AffineTransform::makeTranslation(-(bounds_.origin.x + w / 2), -(bounds_.origin.y + h / 2))
        .concat(transform_)
        .concat(gfx::AffineTransform::makeTranslation(center_.x, center_.y));
}

gfx::AffineTransform View::transformToRoot() const {
    gfx::AffineTransform t = gfx::AffineTransform::identity();
    const View* view = this;
    for (auto parent = view->superview(); parent; parent = parent->superview()) {
        t = t.concat(view->transformToSuperview());
        view = parent.get();
    }
    return t;
}

gfx::AffineTransform View::transformToScreen() const {
    const View* root = this;
    for (auto parent = superview(); parent; parent = parent->superview()) {
        root = parent.get();
    }
    // A root (window or not) sits in screen space by its own frame.
    return transformToRoot().concat(root->transformToSuperview());
}

gfx::Rect View::frame() const {
    const double w = bounds_.size.width;
    const double h = bounds_.size.height;
    gfx::Rect local(-w / 2, -h / 2, w, h);
    if (transform_.isIdentity()) {
        return local.offsetBy(center_.x, center_.y);
    }
    return transform_.applyToRect(local).offsetBy(center_.x, center_.y);
}

void View::setFrame(gfx::Rect frame) {
    const gfx::Rect old = this->frame();
    gfx::Rect f = frame.standardized();
    gfx::Size size = f.size;
    if (!transform_.isIdentity()) {
        gfx::Size inverse = transform_.invert().applyToSize(size);
        size = gfx::Size{std::abs(inverse.width), std::abs(inverse.height)};
    }
    center_ = gfx::Point{f.midX(), f.midY()};
    setBoundsSize(size);
    syncLayer();
    ViewAnimations::recordChange(*this, "frame", old, this->frame());
}

void View::setBounds(gfx::Rect bounds) {
    const gfx::Rect old = bounds_;
    const gfx::Rect b = bounds.standardized();
    bounds_.origin = b.origin;
    setBoundsSize(b.size);
    syncLayer();
    ViewAnimations::recordChange(*this, "bounds", old, bounds_);
}

void View::setCenter(gfx::Point center) {
    const gfx::Point old = center_;
    center_ = center;
    syncLayer();
    ViewAnimations::recordChange(*this, "center", old, center);
}

void View::setTransform(const gfx::AffineTransform& transform) {
    const gfx::AffineTransform old = transform_;
    transform_ = transform;
    syncLayer();
    ViewAnimations::recordChange(*this, "transform", old, transform);
}

void View::setBoundsSize(gfx::Size size) {
    const gfx::Size old = bounds_.size;
    if (old == size) {
        return;
    }
    bounds_.size = size;
    setNeedsLayout();
    if (contentMode_ == ContentMode::Redraw) {
        setNeedsDisplay();
    }
    if (autoresizesSubviews_) {
        resizeSubviews(old);
    }
}

void View::resizeSubviews(gfx::Size oldSize) {
    const auto subviews = subviews_; // a resized subview's hooks may change the list
    for (const auto& subview : subviews) {
        subview->autoresize(oldSize, bounds_.size);
    }
}

namespace {

// Spreads `delta` over the flexible parts of one axis (leading margin, size, trailing margin) in
// proportion to their current sizes, or equally when those sizes add up to zero.
void spread(double delta, const bool flexible[3], const double sizes[3], double out[3]) {
    int count = 0;
    double total = 0;
    for (int i = 0; i < 3; ++i) {
        out[i] = 0;
        if (flexible[i]) {
            ++count;
            total += sizes[i];
        }
    }
    if (count == 0) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        if (flexible[i]) {
            out[i] = total != 0 ? delta * sizes[i] / total : delta / count;
        }
    }
}

} // namespace

void View::autoresize(gfx::Size oldSuperSize, gfx::Size newSuperSize) {
    if (autoresizingMask_ == AutoresizingMask::None) {
        return;
    }
    gfx::Rect f = frame();
    using M = AutoresizingMask;
    const bool horizontal[3] = {hasFlag(autoresizingMask_, M::FlexibleLeftMargin),
                                hasFlag(autoresizingMask_, M::FlexibleWidth),
                                hasFlag(autoresizingMask_, M::FlexibleRightMargin)};
    const double hSizes[3] = {f.origin.x, f.size.width, oldSuperSize.width - f.origin.x - f.size.width};
    double dx[3];
    spread(newSuperSize.width - oldSuperSize.width, horizontal, hSizes, dx);

    const bool vertical[3] = {hasFlag(autoresizingMask_, M::FlexibleTopMargin),
                              hasFlag(autoresizingMask_, M::FlexibleHeight),
                              hasFlag(autoresizingMask_, M::FlexibleBottomMargin)};
    const double vSizes[3] = {f.origin.y, f.size.height, oldSuperSize.height - f.origin.y - f.size.height};
    double dy[3];
    spread(newSuperSize.height - oldSuperSize.height, vertical, vSizes, dy);

    if (dx[0] == 0 && dx[1] == 0 && dy[0] == 0 && dy[1] == 0) {
        return;
    }
    setFrame(gfx::Rect(f.origin.x + dx[0], f.origin.y + dy[0], f.size.width + dx[1], f.size.height + dy[1]));
}

// --- Coordinate conversion ---

namespace {

const View* rootOf(const View* view) {
    const View* root = view;
    for (auto parent = view->superview(); parent; parent = parent->superview()) {
        root = parent.get();
    }
    return root;
}

} // namespace

gfx::AffineTransform View::conversionTo(const View* view) const {
    if (!view) {
        // The window's space, or the screen for a view outside any window.
        return rootOf(this)->isWindow() ? transformToRoot() : transformToScreen();
    }
    if (rootOf(this) == rootOf(view)) {
        return transformToRoot().concat(view->transformToRoot().invert());
    }
    return transformToScreen().concat(view->transformToScreen().invert());
}

gfx::Point View::convertPointToView(gfx::Point point, const View* view) const {
    return conversionTo(view).applyToPoint(point);
}

gfx::Point View::convertPointFromView(gfx::Point point, const View* view) const {
    return conversionTo(view).invert().applyToPoint(point);
}

gfx::Rect View::convertRectToView(gfx::Rect rect, const View* view) const {
    const gfx::AffineTransform t = conversionTo(view);
    return t.isIdentity() ? rect : t.applyToRect(rect);
}

gfx::Rect View::convertRectFromView(gfx::Rect rect, const View* view) const {
    const gfx::AffineTransform t = conversionTo(view).invert();
    return t.isIdentity() ? rect : t.applyToRect(rect);
}

} // namespace ui
