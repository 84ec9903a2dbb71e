#include "ads/marlin/mn_message_box.h"

#include <algorithm>
#include <array>

#include "platform/graphics/context.h"
#include "platform/graphics/font.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/path.h"
#include "platform/ui/application.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/window.h"

namespace zelvan::marlin {

namespace {

constexpr ui::AutoresizingMask kFlexibleSize =
    ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight;

// A rounded rectangle with cubic-curve corners of `radius`, its edges half a point inside `size`.
gfx::Path panelPath(gfx::Size size, double radius) {
    const double minX = 0.5, minY = 0.5, maxX = size.width - 0.5, maxY = size.height - 0.5;
    const double r = std::min({radius, (maxX - minX) / 2, (maxY - minY) / 2});
    // Control points at the corner itself make each corner a cubic curve.
    gfx::Path path;
    path.moveToPoint({minX + r, minY});
    path.addLineToPoint({maxX - r, minY});
    path.addCurveToPoint({maxX, minY}, {maxX, minY}, {maxX, minY + r});
    path.addLineToPoint({maxX, maxY - r});
    path.addCurveToPoint({maxX, maxY}, {maxX, maxY}, {maxX - r, maxY});
    path.addLineToPoint({minX + r, maxY});
    path.addCurveToPoint({minX, maxY}, {minX, maxY}, {minX, maxY - r});
    path.addLineToPoint({minX, minY + r});
    path.addCurveToPoint({minX, minY}, {minX, minY}, {minX + r, minY});
    path.closeSubpath();
    return path;
}

} // namespace

// --- MNMessageBoxView ---

void MNMessageBoxView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    initialize();
}

void MNMessageBoxView::initialize() {
    cornerRadius_ = ui::Screen::main().bounds().size.width / 20;
    setOpaque(false);
    setBackgroundColor(gfx::Color::clear());
    updateBackgroundLayerForSize(bounds().size);
    contentView_ = ui::View::create<ui::ScrollView>(bounds().insetBy(cornerRadius_, cornerRadius_));
    contentView_->setBackgroundColor(gfx::Color::clear());
    contentView_->setAutoresizingMask(kFlexibleSize);
    addSubview(contentView_);
}

void MNMessageBoxView::updateBackgroundLayerForSize(gfx::Size size) {
    auto reference = gfx::BitmapContext::create(1, 1, gfx::PixelFormat::Bgra8PremulFirstLE);
    bgLayer_ = reference ? gfx::Layer::create(*reference, size) : nullptr;
    if (!bgLayer_) {
        return;
    }
    gfx::Context& ctx = *bgLayer_->context();
    // The layer is y-up: flip it so the gradient runs from the top of the box down.
    ctx.translateCTM(0, size.height);
    ctx.scaleCTM(1, -1);
    const gfx::Path shape = panelPath(size, cornerRadius_);
    {
        gfx::StateSaver saver(ctx);
        ctx.beginPath();
        ctx.addPath(shape);
        ctx.clip();
        const std::array<double, 12> components = {0.5, 0.5, 0.5, 0.75, 0.25, 0.25, 0.25, 0.75, 0, 0, 0, 0.75};
        const std::array<double, 3> locations = {0.0, 0.1, 1.0};
        if (auto gradient = gfx::Gradient::withColorComponents(components, locations)) {
            ctx.drawLinearGradient(*gradient, {0, 0}, {0, size.height}, gfx::GradientDrawingOptions::None);
        }
    }
    ctx.beginPath();
    ctx.addPath(shape);
    ctx.setStrokeColor(gfx::Color::white());
    ctx.setLineWidth(kBorderWidth);
    ctx.strokePath();
    setNeedsDisplay();
}

void MNMessageBoxView::drawRect(gfx::Rect /*rect*/) {
    auto context = gfx::getCurrentContext();
    if (context && bgLayer_) {
        context->drawLayerAtPoint({0, 0}, *bgLayer_);
    }
}

gfx::Size MNMessageBoxView::contentSize() const {
    std::lock_guard guard(sizeMutex_);
    return contentSize_;
}

void MNMessageBoxView::setContentSize(gfx::Size size) {
    {
        std::lock_guard guard(sizeMutex_);
        contentSize_ = size;
    }
    if (contentView_) {
        contentView_->setContentSize(size);
    }
}

void MNMessageBoxView::addView(const std::shared_ptr<ui::View>& view) {
    if (!view || !contentView_) {
        return;
    }
    gfx::Size size = contentSize();
    const double height = view->frame().size.height;
    contentView_->addSubview(view);
    view->setCenter({contentView_->bounds().size.width / 2, size.height + height / 2});
    size.height += height;
    size.width = std::max(size.width, view->frame().size.width);
    setContentSize(size);
}

void MNMessageBoxView::removeView(const std::shared_ptr<ui::View>& view) {
    if (!view || !contentView_ || view->superview() != contentView_) {
        return;
    }
    const double height = view->frame().size.height;
    bool after = false;
    for (const auto& subview : std::vector<std::shared_ptr<ui::View>>(contentView_->subviews())) {
        if (subview == view) {
            after = true;
        } else if (after) {
            gfx::Point c = subview->center();
            subview->setCenter({c.x, c.y - height});
        }
    }
    view->removeFromSuperview();
    gfx::Size size = contentSize();
    size.height -= height;
    setContentSize(size);
}

void MNMessageBoxView::layoutViews() {
    double y = 0, width = 0;
    const double middle = contentView_->bounds().size.width / 2;
    for (const auto& subview : contentView_->subviews()) {
        const gfx::Size s = subview->frame().size;
        subview->setCenter({middle, y + s.height / 2});
        y += s.height;
        width = std::max(width, s.width);
    }
    setContentSize({width, y});
}

void MNMessageBoxView::sizeToFit() {
    gfx::Rect all = gfx::Rect::null();
    for (const auto& subview : contentView_->subviews()) {
        all = all.unionRect(subview->frame());
    }
    gfx::Size size = all.isNull() ? gfx::Size(0, 0) : all.size;
    size.width += 2 * cornerRadius_;
    size.height = std::min(size.height + 2 * cornerRadius_, kMaximumHeight);
    setBounds(gfx::Rect({0, 0}, size));
    contentView_->setFrame(bounds().insetBy(cornerRadius_, cornerRadius_));
    updateBackgroundLayerForSize(size);
    layoutViews();
}

// --- MNMessageBox ---

std::shared_ptr<MNMessageBox> MNMessageBox::messageBox() {
    return std::make_shared<MNMessageBox>();
}

void MNMessageBox::loadView() {
    gfx::Rect frame(0, 0, 256, 256);
    if (auto key = ui::Application::shared().keyWindow()) {
        const gfx::Rect b = key->bounds();
        frame.origin = {b.origin.x + (b.size.width - 256) / 2, b.origin.y + (b.size.height - 256) / 2};
    }
    auto box = ui::View::create<MNMessageBoxView>(frame);
    box->setAutoresizingMask(ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
                             ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin);
    setView(box);
}

std::shared_ptr<MNMessageBoxView> MNMessageBox::boxView() {
    return std::static_pointer_cast<MNMessageBoxView>(view());
}

std::shared_ptr<ui::Label> MNMessageBox::makeLabel(const std::string& text, bool bold) {
    auto label = ui::View::create<ui::Label>(boxView()->bounds());
    const double size = gfx::Font::labelFontSize();
    label->setFont(bold ? gfx::Font::boldSystemFontOfSize(size) : gfx::Font::systemFontOfSize(size));
    label->setTextColor(gfx::Color::white());
    label->setShadowColor(gfx::Color::black());
    label->setShadowOffset({0, -1});
    label->setBackgroundColor(gfx::Color::clear());
    if (bold) {
        label->setNumberOfLines(2);
        label->setAdjustsFontSizeToFitWidth(true);
        label->setMinimumFontSize(5);
    } else {
        label->setNumberOfLines(0);
    }
    label->setText(text);
    label->sizeToFit();
    return label;
}

void MNMessageBox::setTitle(const std::string& text) {
    removeView(titleView_);
    titleView_ = makeLabel(text, true);
    addView(titleView_);
}

void MNMessageBox::setMessage(const std::string& text) {
    removeView(messageView_);
    messageView_ = makeLabel(text, false);
    addView(messageView_);
}

void MNMessageBox::addView(const std::shared_ptr<ui::View>& view) {
    boxView()->addView(view);
}

void MNMessageBox::removeView(const std::shared_ptr<ui::View>& view) {
    boxView()->removeView(view);
}

void MNMessageBox::show() {
    auto key = ui::Application::shared().keyWindow();
    if (!key) {
        return;
    }
    auto box = boxView();
    box->sizeToFit();
    const gfx::Rect b = key->bounds();
    box->setCenter({b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2});
    box->setTransform(box->transform().scale(1.25, 1.25));
    box->setAlpha(0);
    key->addSubview(box);
    ui::View::beginAnimations(kAnimationName);
    ui::View::setAnimationDuration(kAnimationSeconds);
    ui::View::setAnimationTransition(ui::ViewAnimationTransition::None, *key, true);
    box->setTransform(box->transform().scale(0.8, 0.8));
    box->setAlpha(1.0);
    ui::View::commitAnimations();
}

void MNMessageBox::hide() {
    auto box = viewIfLoaded();
    if (!box) {
        return;
    }
    std::weak_ptr<MNMessageBox> weak = std::static_pointer_cast<MNMessageBox>(shared_from_this());
    ui::View::beginAnimations(kAnimationName);
    ui::View::setAnimationDuration(kAnimationSeconds);
    if (auto window = box->window()) {
        ui::View::setAnimationTransition(ui::ViewAnimationTransition::None, *window, true);
    }
    ui::View::setAnimationDelegate(std::static_pointer_cast<void>(shared_from_this()));
    ui::View::setAnimationDidStopSelector([weak](const std::string& name, bool finished, void*) {
        if (auto self = weak.lock()) {
            self->animationFinished(name, finished);
        }
    });
    box->setAlpha(0);
    ui::View::commitAnimations();
}

void MNMessageBox::setTransform(const gfx::AffineTransform& transform) {
    view()->setTransform(transform);
}

void MNMessageBox::animationFinished(const std::string& /*name*/, bool /*finished*/) {
    if (auto box = viewIfLoaded()) {
        box->removeFromSuperview();
    }
}

} // namespace zelvan::marlin
