// The in-view alert: panel layout (icon, wrapped message, buttons side by side when there are at
// most two, stacked otherwise), the drawn icon glyphs, and the tap handling that removes the alert
// before the delegate hears of the choice.
#include "toolkit/z_simple_alert_view.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/main_thread.h"
#include "core/zelvan_style.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/label.h"
#include "protocol/tracer.h"
#include "toolkit/widget_layout.h"
#include "toolkit/z_rounded_corner_view.h"

namespace zelvan {
namespace {

constexpr double kMargin = 20;   // least space between the panel and the host's edges
constexpr double kGap = 10;      // between the icon, the message and the buttons
constexpr double kButtonGap = 8; // between buttons
constexpr double kPanelRadius = 10;

gfx::Color coverColor() {
    return gfx::Color(0, 0, 0, 0.4);
}

gfx::Color defaultPanelColor() {
    return gfx::Color(0.13, 0.16, 0.21, 0.94);
}

// A round badge with a one-character glyph: the alert's icon.
class AlertIconView : public ui::View {
public:
    void initWithFrame(gfx::Rect frame) override {
        View::initWithFrame(frame);
        setOpaque(false);
        setUserInteractionEnabled(false);
        setContentMode(ui::ContentMode::Redraw);
    }
    std::string className() const override { return "AlertIconView"; }
    bool drawsOwnContent() const override { return true; }

    void setKind(int kind) {
        kind_ = kind;
        setNeedsDisplay();
    }

    void drawRect(gfx::Rect /*rect*/) override {
        const auto ctx = gfx::getCurrentContext();
        if (!ctx) {
            return;
        }
        gfx::Color color = gfx::Color::fromRgbHex(0x3b82c4);
        const char* glyph = "i";
        switch (kind_) {
        case ZSimpleAlertView::kIconWarning:
            color = gfx::Color::fromRgbHex(0xe8a317);
            glyph = "!";
            break;
        case ZSimpleAlertView::kIconError:
            color = gfx::Color::fromRgbHex(0xd63a3a);
            glyph = "x";
            break;
        case ZSimpleAlertView::kIconQuestion:
            color = gfx::Color::fromRgbHex(0x3aa05a);
            glyph = "?";
            break;
        default:
            break;
        }
        const gfx::Rect box(0, 0, bounds().width(), bounds().height());
        gfx::StateSaver saver(*ctx);
        ctx->setFillColor(color);
        ctx->beginPath();
        CGContextAddRoundedRect(*ctx, box.minX(), box.minY(), box.width(), box.height(), box.width() / 2);
        ctx->fillPath();
        ctx->setFillColor(gfx::Color::white());
        const auto font = gfx::Font::boldSystemFontOfSize(std::round(box.height() * 0.6));
        const double lineHeight = gfx::sizeWithFont(glyph, font).height;
        gfx::drawInRect(glyph, gfx::Rect(0, (box.height() - lineHeight) / 2, box.width(), lineHeight), font,
                        gfx::LineBreakMode::Clip, gfx::TextAlignment::Center);
    }

private:
    int kind_ = ZSimpleAlertView::kIconInformation;
};

} // namespace

std::shared_ptr<ZSimpleAlertView> ZSimpleAlertView::create() {
    return View::create<ZSimpleAlertView>(gfx::Rect());
}

void ZSimpleAlertView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    View::setBackgroundColor(coverColor());
    setOpaque(false);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);

    panel_ = View::create<ZRoundedCornerView>(gfx::Rect());
    panel_->setFillColor(defaultPanelColor());
    panel_->setRadius(kPanelRadius);
    addSubview(panel_);

    auto iconView = View::create<AlertIconView>(gfx::Rect(0, 0, kIconSize, kIconSize));
    iconView->setHidden(true);
    iconView_ = iconView;
    panel_->addSubview(iconView_);

    label_ = View::create<ui::Label>(gfx::Rect());
    label_->setBackgroundColor(gfx::Color::clear());
    label_->setOpaque(false);
    label_->setTextColor(gfx::Color::white());
    label_->setFont(ZelvanStyle::shared()->font(11));
    label_->setNumberOfLines(0);
    label_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
    label_->setTextAlignment(gfx::TextAlignment::Center);
    panel_->addSubview(label_);
}

void ZSimpleAlertView::setIcon(int icon) {
    if (icon < kIconNone || icon > kIconQuestion) {
        ZTRACE_WARN("ZSimpleAlertView: no icon %d; showing none", icon);
        icon = kIconNone;
    }
    icon_ = icon;
    iconView_->setHidden(icon == kIconNone);
    if (icon != kIconNone) {
        std::static_pointer_cast<AlertIconView>(iconView_)->setKind(icon);
    }
    setNeedsLayout();
}

void ZSimpleAlertView::setBackgroundColor(const gfx::Color& color) {
    panel_->setFillColor(color);
}

gfx::Color ZSimpleAlertView::panelColor() const {
    return panel_->fillColor();
}

int ZSimpleAlertView::addButtonWithTitle(const std::string& title) {
    const int index = numberOfButtons();
    auto button = View::create<ui::PanelButton>(gfx::Rect());
    button->setTitle(title, ui::ControlState::Normal);
    button->setTitleColor(ZelvanStyle::shared()->labelTextColor(), ui::ControlState::Normal);
    button->setTitleColor(gfx::Color::white(), ui::ControlState::Highlighted);
    button->setFillColor(gfx::Color::white());
    button->addTarget(self<ZSimpleAlertView>(), &ZSimpleAlertView::buttonTapped, ui::ControlEvents::TouchUpInside);
    titles_.push_back(title);
    buttons_.push_back(button);
    panel_->addSubview(button);
    setNeedsLayout();
    return index;
}

void ZSimpleAlertView::removeAllButton() {
    for (const auto& button : buttons_) {
        button->removeFromSuperview();
    }
    buttons_.clear();
    titles_.clear();
    setNeedsLayout();
}

void ZSimpleAlertView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        ZTRACE_WARN("ZSimpleAlertView: asked to show in no view");
        return;
    }
    setFrame(view->bounds());
    view->addSubview(self());
    setNeedsLayout();
    layoutIfNeeded();
}

void ZSimpleAlertView::hide() {
    removeFromSuperview();
}

void ZSimpleAlertView::removeFromSuperview() {
    if (!superview()) {
        return;
    }
    // Held until the end of this call: the host may have held the last reference.
    const auto keep = self<ZSimpleAlertView>();
    View::removeFromSuperview();
    if (auto handler = std::exchange(dismissHandler_, nullptr)) {
        handler();
    }
}

AlertQueue::Entry ZSimpleAlertView::queueEntry(std::weak_ptr<ui::View> host) {
    auto alert = self<ZSimpleAlertView>();
    return {alert, [alert, host = std::move(host)](std::function<void()> left) {
                alert->setDismissHandler(std::move(left));
                alert->showInView(host.lock());
            }};
}

std::vector<std::shared_ptr<ZSimpleAlertView>>
ZSimpleAlertView::alertsShowingIn(const std::shared_ptr<ui::View>& root) {
    std::vector<std::shared_ptr<ZSimpleAlertView>> found;
    std::vector<std::shared_ptr<ui::View>> pending;
    if (root) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        const auto view = std::move(pending.back());
        pending.pop_back();
        if (auto alert = std::dynamic_pointer_cast<ZSimpleAlertView>(view)) {
            found.push_back(alert);
            continue; // nothing under an alert is another alert on screen
        }
        const auto& subviews = view->subviews();
        pending.insert(pending.end(), subviews.rbegin(), subviews.rend());
    }
    return found;
}

void ZSimpleAlertView::buttonTapped(ui::Control& button) {
    const auto found =
        std::find_if(buttons_.begin(), buttons_.end(),
                     [&button](const std::shared_ptr<ui::PanelButton>& item) { return item.get() == &button; });
    const auto index = static_cast<size_t>(found - buttons_.begin());
    if (index < titles_.size()) {
        // A copy: the delegate may change the alert's buttons while it still reads the title.
        const std::string title = titles_[index];
        finish(title, static_cast<int>(index));
    }
}

void ZSimpleAlertView::finish(const std::string& title, int index) {
    const auto keep = self<ZSimpleAlertView>();
    hide();
    if (auto d = delegate_.lock()) {
        d->buttonClickedFromAlert(*this, title, index);
    }
    // The tapped button is still delivering its touch; release the alert after this pass.
    onMain([keep] {});
}

void ZSimpleAlertView::layoutSubviews() {
    const gfx::Rect host = bounds();
    const double width = std::max(120.0, std::min(kPanelWidth, host.width() - 2 * kMargin));
    const double inner = width - 2 * kPadding;
    double y = kPadding;

    if (icon_ != kIconNone) {
        iconView_->setFrame(gfx::Rect(std::round((width - kIconSize) / 2), y, kIconSize, kIconSize));
        y += kIconSize + kGap;
    }

    if (!label_->text().empty()) {
        const gfx::Size size = widgetGetLabelSize(*label_, inner);
        label_->setFrame(gfx::Rect(kPadding, y, inner, size.height));
        y += size.height + kGap;
    } else {
        label_->setFrame(gfx::Rect(kPadding, y, inner, 0));
    }

    const size_t count = buttons_.size();
    if (count > 0 && count <= 2) {
        const double buttonWidth = std::floor((inner - kButtonGap * static_cast<double>(count - 1)) / count);
        for (size_t i = 0; i < count; ++i) {
            const double x = kPadding + static_cast<double>(i) * (buttonWidth + kButtonGap);
            buttons_[i]->setFrame(gfx::Rect(x, y, buttonWidth, kButtonHeight));
        }
        y += kButtonHeight + kGap;
    } else {
        for (const auto& button : buttons_) {
            button->setFrame(gfx::Rect(kPadding, y, inner, kButtonHeight));
            y += kButtonHeight + kButtonGap;
        }
        if (count > 0) {
            y += kGap - kButtonGap;
        }
    }
    // The last gap becomes the bottom padding.
    const double height = std::ceil(y - kGap + kPadding);
    const double x = std::round(host.minX() + (host.width() - width) / 2);
    const double top = std::round(host.minY() + (host.height() - height) / 2);
    panel_->setFrame(gfx::Rect(x, top, width, height));
}

void ZSimpleAlertView::touchesBegan(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}

void ZSimpleAlertView::touchesMoved(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}

void ZSimpleAlertView::touchesEnded(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    if (buttons_.empty() && isShowing()) {
        finish(std::string(), -1);
    }
}

void ZSimpleAlertView::touchesCancelled(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}

} // namespace zelvan
