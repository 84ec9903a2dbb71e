#include "ads/adwick/adwick_flex_views.h"

#include <cmath>

#include "ads/adwick/adwick_ad.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/format.h"
#include "platform/graphics/context.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/layer.h"
#include "platform/ui/page_control.h"
#include "platform/ui/touch.h"
#include "platform/ui/transaction.h"

namespace zelvan::adwick {

namespace {

void addAnimationTo(ui::View& view, const ui::AnimationPtr& animation) {
    if (animation) {
        view.layer()->addAnimation(animation, "");
    }
}

fnd::Value touchesHistory(const std::shared_ptr<fnd::Array>& touches) {
    return fnd::Value::dictionary({{"touches", touches ? fnd::Value(touches) : fnd::Value::array()}});
}

} // namespace

// --- Touch recording views ---

fnd::Value AdwickFlexTouchRecorder::userInteractionHistory() const {
    return touchesHistory(storedTouches_);
}

void AdwickFlexTouchRecorder::record(ui::View& view, const ui::TouchSet& touches, bool isEnd) {
    if (touches.empty()) {
        return;
    }
    auto container = containerView_.lock();
    const double time = container ? container->timeSinceFirstRender() : 0;
    storedTouches_ =
        AdwickSingleAdView::recordTouch(touches.front()->locationInView(&view), isEnd, time, std::move(storedTouches_));
}

void AdwickLabelView::initWithFrame(gfx::Rect frame) {
    ui::Label::initWithFrame(frame);
    setUserInteractionEnabled(true);
    setBackgroundColor(gfx::Color::clear());
}

void AdwickLabelView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, false);
    ui::Label::touchesBegan(touches, event);
}

void AdwickLabelView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, true);
    ui::Label::touchesEnded(touches, event);
}

void AdwickLabelView::viewDidAppear() {
    addAnimationTo(*this, animation_);
}

void AdwickImageView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setUserInteractionEnabled(true);
    setBackgroundColor(gfx::Color::clear());
}

void AdwickImageView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, false);
    ui::View::touchesBegan(touches, event);
}

void AdwickImageView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, true);
    ui::View::touchesEnded(touches, event);
}

void AdwickImageView::viewDidAppear() {
    addAnimationTo(*this, animation_);
}

void AdwickImageView::drawRect(gfx::Rect /*rect*/) {
    auto context = gfx::getCurrentContext();
    if (!context || !image) {
        return;
    }
    const gfx::Rect area = bounds();
    if (!beveled) {
        image->drawInRect(area);
        return;
    }
    const double w = bevelWidth;
    const double r = std::max(0.0, bevelRadius);
    const gfx::Rect inner(area.origin.x + w / 2, area.origin.y + w / 2, std::max(0.0, area.size.width - w),
                          std::max(0.0, area.size.height - w));
    context->saveGState();
    context->beginPath();
    context->addRoundedRect(inner, r);
    context->clip();
    image->drawInRect(area);
    context->restoreGState();

    // The outline: dark along the left and top, light along the right and bottom, the colours meeting
    // on the top-right and bottom-left corner arcs at the meeting point.
    const double m = std::clamp(bevelCornerMeetingPoint, 0.0, 1.0);
    const double topRight = (1 - m) * 1.5 * M_PI + m * 2 * M_PI;
    const double bottomLeft = (1 - m) * 0.5 * M_PI + m * M_PI;
    const double left = inner.origin.x;
    const double top = inner.origin.y;
    const double right = inner.origin.x + inner.size.width;
    const double bottom = inner.origin.y + inner.size.height;
    const double rr = std::min(r, std::min(inner.size.width, inner.size.height) / 2);
    context->setLineWidth(w);
    context->setStrokeColor(bevelDarkColor);
    context->beginPath();
    context->addArc(gfx::Point(left + rr, bottom - rr), rr, bottomLeft, M_PI, gfx::Clockwise::No);
    context->addArc(gfx::Point(left + rr, top + rr), rr, M_PI, 1.5 * M_PI, gfx::Clockwise::No);
    context->addArc(gfx::Point(right - rr, top + rr), rr, 1.5 * M_PI, topRight, gfx::Clockwise::No);
    context->strokePath();
    context->setStrokeColor(bevelLightColor);
    context->beginPath();
    context->addArc(gfx::Point(right - rr, top + rr), rr, topRight, 2 * M_PI, gfx::Clockwise::No);
    context->addArc(gfx::Point(right - rr, bottom - rr), rr, 0, 0.5 * M_PI, gfx::Clockwise::No);
    context->addArc(gfx::Point(left + rr, bottom - rr), rr, 0.5 * M_PI, bottomLeft, gfx::Clockwise::No);
    context->strokePath();
}

void AdwickPlainView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setUserInteractionEnabled(true);
}

void AdwickPlainView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, false);
    ui::View::touchesBegan(touches, event);
}

void AdwickPlainView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    record(*this, touches, true);
    ui::View::touchesEnded(touches, event);
}

void AdwickPlainView::viewDidAppear() {
    addAnimationTo(*this, animation_);
}

// --- Gradient ---

void AdwickGradientView::setUp(gfx::Color baseColor, double initialAlpha, double endPointY) {
    baseGradientColor_ = baseColor;
    initialAlpha_ = initialAlpha;
    endPointY_ = endPointY;
    setOpaque(true);
    setNeedsDisplay();
}

void AdwickGradientView::drawRect(gfx::Rect /*rect*/) {
    auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    const gfx::Rect area = bounds();
    context->setFillColor(gfx::Color::white());
    context->fillRect(area);
    const gfx::Color& c = baseGradientColor_;
    const double components[] = {c.r, c.g, c.b, initialAlpha_, c.r, c.g, c.b, c.a};
    const double locations[] = {0, 1};
    auto gradient = gfx::Gradient::withColorComponents(components, locations);
    if (!gradient) {
        return;
    }
    context->drawLinearGradient(*gradient, gfx::Point(area.size.width / 2, 0),
                                gfx::Point(area.size.width / 2, endPointY_ * area.size.height),
                                gfx::GradientDrawingOptions::DrawsAfterEnd);
}

void AdwickGradientView::viewDidAppear() {
    addAnimationTo(*this, animation_);
}

// --- Touch forwarding ---

void AdwickTouchForwardingView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(gfx::Color::clear());
}

void AdwickTouchForwardingView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    if (auto delegate = delegate_.lock()) {
        delegate->touchesBegan(touches, event);
    }
}

void AdwickTouchForwardingView::touchesMoved(const ui::TouchSet& touches, const ui::Event* event) {
    if (auto delegate = delegate_.lock()) {
        delegate->touchesMoved(touches, event);
    }
}

void AdwickTouchForwardingView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    if (auto delegate = delegate_.lock()) {
        delegate->touchesEnded(touches, event);
    }
}

void AdwickTouchForwardingView::touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) {
    if (auto delegate = delegate_.lock()) {
        delegate->touchesCancelled(touches, event);
    }
}

// --- Paging ---

void AdwickPagingScrollView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setUiTag("scroll");
    scrollView_ = ui::View::create<ui::ScrollView>(bounds());
    scrollView_->setPagingEnabled(true);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollView_->setScrollsToTop(false);
    scrollView_->setDelaysContentTouches(true);
    scrollView_->setCanCancelContentTouches(true);
    addSubview(scrollView_);
    pageControl_ = ui::View::create<ui::PageControl>(gfx::Rect());
    pageControl_->setHidesForSinglePage(true);
    pageControl_->setUserInteractionEnabled(false);
    pageControl_->setTransform(gfx::AffineTransform::identity().scale(kPageControlScale, kPageControlScale));
    pageControl_->setAlpha(kPageControlRestingAlpha);
    addSubview(pageControl_);
}

void AdwickPagingScrollView::setNumberOfPages(int pages, std::weak_ptr<ui::Responder> touchDelegate) {
    pages_ = std::max(0, pages);
    scrollView_->setDelegate(std::static_pointer_cast<AdwickPagingScrollView>(shared_from_this()));
    const gfx::Size page = scrollView_->bounds().size;
    const gfx::Size content(pages_ * page.width, page.height);
    scrollView_->setContentSize(content);
    if (touchForwardingView_) {
        touchForwardingView_->removeFromSuperview();
    }
    touchForwardingView_ = ui::View::create<AdwickTouchForwardingView>(gfx::Rect(0, 0, content.width, content.height));
    touchForwardingView_->setDelegate(std::move(touchDelegate));
    scrollView_->insertSubviewAtIndex(touchForwardingView_, 0);

    pageControl_->setNumberOfPages(pages_);
    const gfx::Size size = ui::PageControl::sizeForNumberOfPages(pages_);
    const gfx::Rect area = bounds();
    pageControl_->setTransform(gfx::AffineTransform::identity());
    pageControl_->setFrame(gfx::Rect((area.size.width - size.width) / 2, area.size.height - kPageControlHeight,
                                     size.width, kPageControlHeight));
    pageControl_->setTransform(gfx::AffineTransform::identity().scale(kPageControlScale, kPageControlScale));
    pageControl_->setCurrentPage(static_cast<int>(initialPage_));
}

void AdwickPagingScrollView::addContentSubview(const std::shared_ptr<ui::View>& view, int page) {
    if (!touchForwardingView_ || !view) {
        return;
    }
    gfx::Rect frame = view->frame();
    frame.origin.x += page * scrollView_->bounds().size.width;
    view->setFrame(frame);
    touchForwardingView_->addSubview(view);
}

void AdwickPagingScrollView::fadePageControl(double duration) {
    ui::View::beginAnimations("fadePageControl");
    ui::View::setAnimationDuration(duration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseIn);
    ui::View::setAnimationBeginsFromCurrentState(true);
    pageControl_->setAlpha(kPageControlRestingAlpha);
    ui::View::commitAnimations();
}

void AdwickPagingScrollView::recordScrollToNewPage(int page) {
    if (!storedScrolls_) {
        storedScrolls_ = std::make_shared<fnd::Array>();
    }
    auto container = containerView_.lock();
    storedScrolls_->addObject(fnd::format("%i,%f", page, container ? container->timeSinceFirstRender() : 0.0));
}

fnd::Value AdwickPagingScrollView::userInteractionHistory() const {
    return storedScrolls_ ? fnd::Value(storedScrolls_) : fnd::Value();
}

void AdwickPagingScrollView::viewDidAppear() {
    const double width = scrollView_->bounds().size.width;
    scrollView_->setContentOffset(gfx::Point(initialPage_ * width, 0));
    pageControl_->setAlpha(1);
    fadePageControl(kFadeSeconds);
    addAnimationTo(*this, animation_);
}

void AdwickPagingScrollView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    pageControl_->setAlpha(1);
    ui::View::touchesBegan(touches, event);
}

void AdwickPagingScrollView::scrollViewDidScroll(ui::ScrollView& scrollView) {
    const double width = scrollView.bounds().size.width;
    // A paging view without width has no pages to tell apart.
    if (!(width > 0)) {
        return;
    }
    const int page = static_cast<int>(std::floor((scrollView.contentOffset().x - width / 2) / width)) + 1;
    if (page != pageControl_->currentPage()) {
        recordScrollToNewPage(page);
        pageControl_->setCurrentPage(page);
    }
    if (!scrollView.isDecelerating()) {
        pageControl_->setAlpha(1);
    }
}

void AdwickPagingScrollView::scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& /*scrollView*/,
                                                                    bool /*decelerate*/) {
    fadePageControl(kFadeSeconds);
}

void AdwickPagingScrollView::scrollViewDidEndScrollingAnimation(ui::ScrollView& /*scrollView*/) {
    fadePageControl(kFadeSeconds);
}

void AdwickPagingScrollView::scrollViewDidEndDecelerating(ui::ScrollView& /*scrollView*/) {
    fadePageControl(kFadeSeconds);
}

// --- Container ---

void AdwickFlexAdContainerView::initWithFrame(gfx::Rect frame) {
    AdwickSingleAdView::initWithFrame(frame);
    setUiTag("container");
    setOpaque(true);
    touchableArea_ = bounds();
}

double AdwickFlexAdContainerView::timeSinceFirstRender() const {
    return dateOfFirstRender_ ? fnd::Date::now().timeIntervalSinceDate(*dateOfFirstRender_) : 0.0;
}

void AdwickFlexAdContainerView::drawRect(gfx::Rect /*rect*/) {
    if (!dateOfFirstRender_) {
        dateOfFirstRender_ = fnd::Date::now();
        appear();
    }
    if (ad_) {
        ad_->loadAccountingPixel();
    }
}

void AdwickFlexAdContainerView::appear() {
    if (useCATransaction_) {
        ui::Transaction::begin();
    }
    std::vector<ui::View*> stack{this};
    while (!stack.empty()) {
        ui::View* view = stack.back();
        stack.pop_back();
        if (auto* flex = dynamic_cast<AdwickFlexAdViewProtocol*>(view)) {
            flex->viewDidAppear();
        }
        const auto& children = view->subviews();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    if (useCATransaction_) {
        ui::Transaction::commit();
    }
}

void AdwickFlexAdContainerView::viewDidAppear() {
    addAnimationTo(*this, animation_);
}

bool AdwickFlexAdContainerView::counts(gfx::Point location) const {
    return dateOfFirstRender_ && timeSinceFirstRender() > initialTouchIgnoreDuration_ &&
           touchableArea_.containsPoint(location);
}

void AdwickFlexAdContainerView::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (touches.empty()) {
        return;
    }
    const gfx::Point location = touches.front()->locationInView(this);
    if (counts(location)) {
        setTouched(true);
        storedTouches_ = recordTouch(location, false, timeSinceFirstRender(), std::move(storedTouches_));
    }
}

void AdwickFlexAdContainerView::touchesMoved(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (!touches.empty()) {
        setTouched(counts(touches.front()->locationInView(this)));
    }
}

void AdwickFlexAdContainerView::touchesEnded(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    setTouched(false);
    if (touches.empty()) {
        return;
    }
    const gfx::Point location = touches.front()->locationInView(this);
    if (counts(location)) {
        storedTouches_ = recordTouch(location, true, timeSinceFirstRender(), std::move(storedTouches_));
        click();
    }
}

void AdwickFlexAdContainerView::touchesCancelled(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    setTouched(false);
}

fnd::Value AdwickFlexAdContainerView::userInteractionHistory() const {
    return touchesHistory(storedTouches_);
}

fnd::Value AdwickFlexAdContainerView::gatherInteractions() {
    auto gathered = std::make_shared<fnd::Dictionary>();
    std::vector<ui::View*> stack{this};
    while (!stack.empty()) {
        ui::View* view = stack.back();
        stack.pop_back();
        if (auto* flex = dynamic_cast<AdwickFlexAdViewProtocol*>(view); flex && flex->uiTag()) {
            fnd::Value history = flex->userInteractionHistory();
            if (history.kind() != fnd::Value::Kind::Null) {
                gathered->setObject(std::move(history), fnd::Key(*flex->uiTag()));
            }
        }
        const auto& children = view->subviews();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return fnd::Value(gathered);
}

void AdwickFlexAdContainerView::click() {
    auto keep = self<AdwickFlexAdContainerView>();
    fnd::Value data = fnd::Value::dictionary({{"interactions", gatherInteractions()}});
    if (auto owner = controller()) {
        owner->clickWithData(*this, data);
    }
}

} // namespace zelvan::adwick
