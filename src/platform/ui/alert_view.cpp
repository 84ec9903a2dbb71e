// Alert views: button indices with the cancel button first, the centred layout of title, message
// and buttons, the drawn rounded panel, and the delegate calls of the shared panel sequences.
#include "platform/ui/alert_view.h"

#include <cmath>
#include <limits>

#include "platform/graphics/font.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"

namespace ui {
namespace {

constexpr double kInset = 12;
constexpr double kTopInset = 16;
constexpr double kTextGap = 8;
constexpr double kButtonsGap = 14;
constexpr double kButtonSpacing = 8;
constexpr double kBottomInset = 14;
constexpr double kCornerRadius = 10;
constexpr double kTitleFontSize = 17;
constexpr double kMessageFontSize = 15;

std::shared_ptr<Label> makeTextLabel(bool bold) {
    auto label = View::create<Label>(gfx::Rect());
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    label->setFont(bold ? gfx::Font::boldSystemFontOfSize(kTitleFontSize)
                        : gfx::Font::systemFontOfSize(kMessageFontSize));
    label->setTextAlignment(TextAlignment::Center);
    label->setLineBreakMode(LineBreakMode::WordWrap);
    label->setNumberOfLines(0);
    return label;
}

} // namespace

void AlertView::initWithFrame(gfx::Rect frame) {
    AlertPanel::initWithFrame(frame);
    setBackgroundColor(gfx::Color::clear());
    setOpaque(false);
    titleLabel_ = makeTextLabel(true);
    messageLabel_ = makeTextLabel(false);
    addSubview(titleLabel_);
    addSubview(messageLabel_);
}

void AlertView::setUp(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
                      std::optional<std::string> cancelButtonTitle, const std::vector<std::string>& otherButtonTitles) {
    setTitle(std::move(title));
    setMessage(std::move(message));
    delegate_ = std::move(delegate);
    if (cancelButtonTitle) {
        setCancelButtonIndex(addButtonWithTitle(*cancelButtonTitle));
        restyleButtons();
    }
    for (const auto& other : otherButtonTitles) {
        addButtonWithTitle(other);
    }
}

void AlertView::setMessage(std::string message) {
    message_ = std::move(message);
    setNeedsLayout();
}

int AlertView::firstOtherButtonIndex() const {
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelButtonIndex()) {
            return i;
        }
    }
    return -1;
}

void AlertView::show() {
    const gfx::Size size = sizeThatFits({});
    const gfx::Rect screen = Screen::main().bounds();
    present(gfx::Rect(std::round(screen.midX() - size.width / 2), std::round(screen.midY() - size.height / 2),
                      size.width, size.height));
}

double AlertView::textHeight(const std::string& text, bool bold) const {
    if (text.empty()) {
        return 0;
    }
    const auto& label = bold ? titleLabel_ : messageLabel_;
    return gfx::sizeWithFont(text, label->font(), {kWidth - 2 * kInset, std::numeric_limits<double>::max()},
                             LineBreakMode::WordWrap)
        .height;
}

double AlertView::textsBottom() const {
    double y = kTopInset;
    const double title = textHeight(this->title(), true);
    const double message = textHeight(message_, false);
    y += title;
    if (title > 0 && message > 0) {
        y += kTextGap;
    }
    return y + message;
}

std::vector<gfx::Rect> AlertView::buttonRects(double top) const {
    const int count = numberOfButtons();
    std::vector<gfx::Rect> rects(static_cast<size_t>(count));
    const double width = kWidth - 2 * kInset;
    if (count == 2) {
        const double half = (width - kButtonSpacing) / 2;
        rects[0] = gfx::Rect(kInset, top, half, kButtonHeight);
        rects[1] = gfx::Rect(kInset + half + kButtonSpacing, top, half, kButtonHeight);
        return rects;
    }
    double y = top;
    for (int i = 0; i < count; ++i) {
        if (i == cancelButtonIndex()) {
            continue;
        }
        rects[static_cast<size_t>(i)] = gfx::Rect(kInset, y, width, kButtonHeight);
        y += kButtonHeight + kButtonSpacing;
    }
    if (cancelButtonIndex() >= 0 && cancelButtonIndex() < count) {
        rects[static_cast<size_t>(cancelButtonIndex())] = gfx::Rect(kInset, y, width, kButtonHeight);
    }
    return rects;
}

gfx::Size AlertView::sizeThatFits(gfx::Size) const {
    double height = textsBottom();
    const int count = numberOfButtons();
    if (count > 0) {
        const int rows = count == 2 ? 1 : count;
        height += kButtonsGap + rows * kButtonHeight + (rows - 1) * kButtonSpacing;
    }
    return {kWidth, height + kBottomInset};
}

void AlertView::layoutSubviews() {
    const double textWidth = kWidth - 2 * kInset;
    const double titleHeight = textHeight(title(), true);
    titleLabel_->setText(title());
    titleLabel_->setFrame(gfx::Rect(kInset, kTopInset, textWidth, titleHeight));
    const double messageTop = kTopInset + titleHeight + (titleHeight > 0 && !message_.empty() ? kTextGap : 0);
    messageLabel_->setText(message_);
    messageLabel_->setFrame(gfx::Rect(kInset, messageTop, textWidth, textHeight(message_, false)));
    const auto rects = buttonRects(textsBottom() + kButtonsGap);
    for (size_t i = 0; i < rects.size(); ++i) {
        buttonViews()[i]->setFrame(rects[i]);
    }
}

void AlertView::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect box = bounds().insetBy(1, 1);
    ctx->setFillColor(gfx::Color(0.08, 0.16, 0.38, 0.94));
    ctx->beginPath();
    ctx->addRoundedRect(box, kCornerRadius);
    ctx->fillPath();
    ctx->setStrokeColor(gfx::Color::white(0.9, 1));
    ctx->setLineWidth(2);
    ctx->beginPath();
    ctx->addRoundedRect(box, kCornerRadius);
    ctx->strokePath();
}

void AlertView::styleButton(PanelButton& button, int index) {
    const bool isCancel = index == cancelButtonIndex();
    button.setFillColor(isCancel ? gfx::Color(0.3, 0.36, 0.5, 1) : gfx::Color(0.45, 0.52, 0.68, 1));
    button.setTitleColor(gfx::Color::white(), ControlState::Normal);
}

void AlertView::applyPresentedState(bool presented) {
    setAlpha(presented ? 1 : 0);
}

void AlertView::notifyClicked(int index) {
    if (auto d = delegate()) {
        d->alertViewClickedButtonAtIndex(*this, index);
    }
}

void AlertView::notifyWillPresent() {
    if (auto d = delegate()) {
        d->willPresentAlertView(*this);
    }
}

void AlertView::notifyDidPresent() {
    if (auto d = delegate()) {
        d->didPresentAlertView(*this);
    }
}

void AlertView::notifyWillDismiss(int index) {
    if (auto d = delegate()) {
        d->alertViewWillDismissWithButtonIndex(*this, index);
    }
}

void AlertView::notifyDidDismiss(int index) {
    if (auto d = delegate()) {
        d->alertViewDidDismissWithButtonIndex(*this, index);
    }
}

bool AlertView::notifyCancel() {
    auto d = delegate();
    return d && d->alertViewCancel(*this);
}

} // namespace ui
