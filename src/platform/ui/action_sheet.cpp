// Action sheets: button indices (destructive, others, cancel), the stacked layout under an
// optional title, the style's fill, and the slide up from the bottom of the area shown over.
#include "platform/ui/action_sheet.h"

#include <cmath>
#include <limits>

#include "platform/graphics/font.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "platform/ui/tab_bar.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

constexpr double kInset = 20;
constexpr double kTopInset = 12;
constexpr double kTitleGap = 10;
constexpr double kButtonSpacing = 8;
constexpr double kBottomInset = 14;
constexpr double kTitleFontSize = 13;

// The area a sheet shown from a bar covers: the bar's window, or the screen.
gfx::Rect barArea(const View* bar) {
    if (bar) {
        if (auto window = bar->window()) {
            return window->bounds();
        }
    }
    return Screen::main().bounds();
}

} // namespace

void ActionSheet::initWithFrame(gfx::Rect frame) {
    AlertPanel::initWithFrame(frame);
    setOpaque(false);
    titleLabel_ = View::create<Label>(gfx::Rect());
    titleLabel_->setBackgroundColor(gfx::Color::clear());
    titleLabel_->setTextColor(gfx::Color::white(0.85, 1));
    titleLabel_->setFont(gfx::Font::systemFontOfSize(kTitleFontSize));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setLineBreakMode(LineBreakMode::WordWrap);
    titleLabel_->setNumberOfLines(0);
    addSubview(titleLabel_);
}

void ActionSheet::setUp(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
                        std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
                        const std::vector<std::string>& otherButtonTitles) {
    setTitle(std::move(title));
    delegate_ = std::move(delegate);
    if (destructiveButtonTitle) {
        destructiveButtonIndex_ = addButtonWithTitle(*destructiveButtonTitle);
    }
    for (const auto& other : otherButtonTitles) {
        addButtonWithTitle(other);
    }
    if (cancelButtonTitle) {
        setCancelButtonIndex(addButtonWithTitle(*cancelButtonTitle));
    }
    restyleButtons();
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style) {
    style_ = style;
    setNeedsDisplay();
}

void ActionSheet::showInView(const std::shared_ptr<View>& view) {
    if (!view) {
        showInArea(Screen::main().bounds());
        return;
    }
    showInArea(view->convertRectToView(view->bounds(), nullptr));
}

void ActionSheet::showFromToolbar(const std::shared_ptr<Toolbar>& toolbar) {
    showInArea(barArea(toolbar.get()));
}

void ActionSheet::showFromTabBar(const std::shared_ptr<TabBar>& tabBar) {
    showInArea(barArea(tabBar.get()));
}

void ActionSheet::showInArea(gfx::Rect area) {
    const gfx::Size size = sizeThatFits(area.size);
    const gfx::Rect frame(area.minX() + std::round((area.width() - size.width) / 2), area.maxY() - size.height,
                          size.width, size.height);
    shownCenter_ = {frame.midX(), frame.midY()};
    hiddenCenter_ = {frame.midX(), frame.midY() + size.height};
    present(frame);
}

double ActionSheet::titleHeight(double width) const {
    if (title().empty()) {
        return 0;
    }
    return gfx::sizeWithFont(title(), titleLabel_->font(), {width - 2 * kInset, std::numeric_limits<double>::max()},
                             LineBreakMode::WordWrap)
        .height;
}

gfx::Size ActionSheet::sizeThatFits(gfx::Size size) const {
    const double width = size.width > 0 ? size.width : Screen::main().bounds().width();
    double height = kTopInset;
    if (const double title = titleHeight(width); title > 0) {
        height += title + kTitleGap;
    }
    const int count = numberOfButtons();
    if (count > 0) {
        height += count * kButtonHeight + (count - 1) * kButtonSpacing;
    }
    return {width, height + kBottomInset};
}

void ActionSheet::layoutSubviews() {
    const double width = bounds().width();
    const double title = titleHeight(width);
    titleLabel_->setText(this->title());
    titleLabel_->setFrame(gfx::Rect(kInset, kTopInset, std::max(0.0, width - 2 * kInset), title));
    double y = kTopInset + (title > 0 ? title + kTitleGap : 0);
    for (const auto& button : buttonViews()) {
        button->setFrame(gfx::Rect(kInset, y, std::max(0.0, width - 2 * kInset), kButtonHeight));
        y += kButtonHeight + kButtonSpacing;
    }
}

void ActionSheet::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    switch (style_) {
    case ActionSheetStyle::BlackOpaque:
        ctx->setFillColor(gfx::Color::black());
        break;
    case ActionSheetStyle::BlackTranslucent:
        ctx->setFillColor(gfx::Color(0, 0, 0, 0.8));
        break;
    case ActionSheetStyle::Automatic:
    case ActionSheetStyle::Default:
        ctx->setFillColor(gfx::Color(0.2, 0.24, 0.32, 0.92));
        break;
    }
    ctx->fillRect(bounds());
}

void ActionSheet::styleButton(PanelButton& button, int index) {
    if (index == destructiveButtonIndex_) {
        button.setFillColor(gfx::Color(0.8, 0.12, 0.1, 1));
        button.setTitleColor(gfx::Color::white(), ControlState::Normal);
    } else if (index == cancelButtonIndex()) {
        button.setFillColor(gfx::Color(0.12, 0.12, 0.14, 1));
        button.setTitleColor(gfx::Color::white(), ControlState::Normal);
    } else {
        button.setFillColor(gfx::Color::white(0.96, 1));
        button.setTitleColor(gfx::Color::black(), ControlState::Normal);
    }
}

void ActionSheet::applyPresentedState(bool presented) {
    setCenter(presented ? shownCenter_ : hiddenCenter_);
}

void ActionSheet::notifyClicked(int index) {
    if (auto d = delegate()) {
        d->actionSheetClickedButtonAtIndex(*this, index);
    }
}

void ActionSheet::notifyWillPresent() {
    if (auto d = delegate()) {
        d->willPresentActionSheet(*this);
    }
}

void ActionSheet::notifyDidPresent() {
    if (auto d = delegate()) {
        d->didPresentActionSheet(*this);
    }
}

void ActionSheet::notifyWillDismiss(int index) {
    if (auto d = delegate()) {
        d->actionSheetWillDismissWithButtonIndex(*this, index);
    }
}

void ActionSheet::notifyDidDismiss(int index) {
    if (auto d = delegate()) {
        d->actionSheetDidDismissWithButtonIndex(*this, index);
    }
}

bool ActionSheet::notifyCancel() {
    auto d = delegate();
    return d && d->actionSheetCancel(*this);
}

} // namespace ui
