// Navigation bar: the item stack, the views for the top item (title, left, right, back button) and
// their layout within the bar's height.
#include "platform/ui/navigation_bar.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/bar_background.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"

namespace ui {

namespace {

constexpr double kTitleFontSize = 20;
constexpr double kBackButtonHeight = 30;
constexpr double kBackButtonPadding = 20;

void detach(const std::shared_ptr<View>& view, const View* bar) {
    if (view && view->superview().get() == bar) {
        view->removeFromSuperview();
    }
}

} // namespace

void NavigationBar::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
    titleLabel_ = View::create<Label>(gfx::Rect{});
    titleLabel_->setFont(gfx::Font::boldSystemFontOfSize(kTitleFontSize));
    titleLabel_->setTextColor(gfx::Color::white());
    titleLabel_->setBackgroundColor(gfx::Color::clear());
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setShadowColor(gfx::Color::white(0, 0.5));
}

void NavigationBar::setBarStyle(BarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}

void NavigationBar::setTintColor(std::optional<gfx::Color> color) {
    tintColor_ = color;
    setNeedsDisplay();
}

void NavigationBar::watch(const std::shared_ptr<NavigationItem>& item) {
    std::weak_ptr<NavigationBar> weakSelf = self<NavigationBar>();
    item->setChangeHandler([weakSelf] {
        if (auto bar = weakSelf.lock()) {
            bar->refresh();
        }
    });
}

void NavigationBar::pushNavigationItem(std::shared_ptr<NavigationItem> item, Animated) {
    if (!item) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !d->navigationBarShouldPushItem(*this, *item).value_or(true)) {
        return;
    }
    items_.push_back(item);
    watch(item);
    refresh();
    if (auto d = delegate()) {
        d->navigationBarDidPushItem(*this, *item);
    }
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItem(Animated) {
    if (items_.empty()) {
        return nullptr;
    }
    const std::shared_ptr<View> keepAlive = self();
    auto item = items_.back();
    if (auto d = delegate(); d && !d->navigationBarShouldPopItem(*this, *item).value_or(true)) {
        return nullptr;
    }
    items_.pop_back();
    item->setChangeHandler({});
    refresh();
    if (auto d = delegate()) {
        d->navigationBarDidPopItem(*this, *item);
    }
    return item;
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const {
    return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

std::shared_ptr<View> NavigationBar::titleView() const {
    return shownTitleView_;
}

void NavigationBar::refresh() {
    detach(titleLabel_, this);
    detach(shownTitleView_, this);
    detach(leftView_, this);
    detach(rightView_, this);
    detach(backButton_, this);
    shownTitleView_.reset();
    leftView_.reset();
    rightView_.reset();
    backButton_.reset();

    const auto top = topItem();
    if (top) {
        if (top->titleView()) {
            shownTitleView_ = top->titleView();
            addSubview(shownTitleView_);
        } else {
            titleLabel_->setText(top->title());
            addSubview(titleLabel_);
        }
        if (top->leftBarButtonItem()) {
            leftView_ = top->leftBarButtonItem()->makeView();
        }
        if (top->rightBarButtonItem()) {
            rightView_ = top->rightBarButtonItem()->makeView();
        }
        const auto back = backItem();
        if (!leftView_ && back && !top->hidesBackButton()) {
            const std::string title = back->backBarButtonItem() ? back->backBarButtonItem()->title() : back->title();
            backButton_ = Button::buttonWithType(ButtonType::Custom);
            backButton_->titleLabel()->setFont(BarButtonItem::itemFont());
            backButton_->setTitle(title, ControlState::Normal);
            backButton_->setFrame(
                gfx::Rect(0, 0, gfx::sizeWithFont(title, BarButtonItem::itemFont()).width + kBackButtonPadding,
                          kBackButtonHeight));
            std::weak_ptr<NavigationBar> weakSelf = self<NavigationBar>();
            backButton_->addTarget(
                weakSelf,
                [weakSelf](Control&, const Event*) {
                    if (auto bar = weakSelf.lock()) {
                        bar->popNavigationItem(Animated::Yes);
                    }
                },
                ControlEvents::TouchUpInside);
            addSubview(backButton_);
        }
        if (leftView_) {
            addSubview(leftView_);
        }
        if (rightView_) {
            addSubview(rightView_);
        }
    }
    setNeedsLayout();
    layoutIfNeeded();
    setNeedsDisplay();
}

gfx::Size NavigationBar::sizeThatFits(gfx::Size) const {
    return {bounds().width(), kDefaultHeight};
}

void NavigationBar::layoutSubviews() {
    const gfx::Rect b = bounds();
    auto centredY = [&](double height) { return b.minY() + std::floor((b.height() - height) / 2); };
    double left = b.minX() + kMargin;
    double right = b.maxX() - kMargin;
    const std::shared_ptr<View> leading = leftView_ ? leftView_ : std::static_pointer_cast<View>(backButton_);
    if (leading) {
        const gfx::Rect f = leading->frame();
        const double height = std::min(f.height(), b.height());
        leading->setFrame(gfx::Rect(left, centredY(height), f.width(), height));
        left += f.width() + kMargin;
    }
    if (rightView_) {
        const gfx::Rect f = rightView_->frame();
        const double height = std::min(f.height(), b.height());
        rightView_->setFrame(gfx::Rect(right - f.width(), centredY(height), f.width(), height));
        right -= f.width() + kMargin;
    }
    // The title is centred on the bar when it fits between the side views, else within them.
    const std::shared_ptr<View> title = shownTitleView_ ? shownTitleView_ : std::static_pointer_cast<View>(titleLabel_);
    if (title->superview().get() != this) {
        return;
    }
    double width = 0;
    double height = 0;
    if (shownTitleView_) {
        width = shownTitleView_->frame().width();
        height = std::min(shownTitleView_->frame().height(), b.height());
    } else {
        width = gfx::sizeWithFont(titleLabel_->text(), titleLabel_->font()).width;
        height = std::min(titleLabel_->font()->lineHeight(), b.height());
    }
    const double space = std::max(0.0, right - left);
    width = std::min(width, space);
    double x = std::floor(b.midX() - width / 2);
    x = std::clamp(x, left, std::max(left, right - width));
    title->setFrame(gfx::Rect(x, centredY(height), width, height));
}

void NavigationBar::drawRect(gfx::Rect) {
    if (const auto ctx = gfx::getCurrentContext()) {
        drawBarBackground(*ctx, bounds(), barStyle_, tintColor_, BarEdge::Bottom);
    }
}

} // namespace ui
