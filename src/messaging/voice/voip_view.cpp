// The call banner: its rows, thread hops, clock, layout, panel drawing and the hang-up confirmation.
#include "messaging/voice/voip_view.h"

#include <cmath>

#include "core/localization.h"
#include "core/main_thread.h"
#include "platform/foundation/format.h"
#include "platform/graphics/font.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/window.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

constexpr double kTitleFont = 20;
constexpr double kClockFont = 40;
constexpr double kInfoFont = 14;
constexpr int kAlertYes = 0;

gfx::Color clockColor(bool timing) {
    return timing ? gfx::Color::black() : gfx::Color::gray();
}

} // namespace

std::shared_ptr<VoipView> VoipView::create() {
    return View::create<VoipView>(gfx::Rect());
}

void VoipView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setOpaque(false);
    setBackgroundColor(gfx::Color(0, 0, 0, 0.4));
    titleLabel_ = addLabel(kTitleFont, true);
    titleLabel_->setText(ZLS("VoIPTitle"));
    timeLabel_ = addLabel(kClockFont, false);
    timeLabel_->setText("00:00");
    timeLabel_->setTextColor(clockColor(false));
    infoLabel_ = addLabel(kInfoFont, false);
    button_ = ZelvanWidget::newWhiteButton();
    button_->setTitle(ZLS("End call"), ui::ControlState::Normal);
    button_->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(ZelvanWidget::buttonFontSize()));
    button_->addTarget(self<VoipView>(), &VoipView::endsCall, ui::ControlEvents::TouchUpInside);
    addSubview(button_);
    iconView_ = View::create<ui::ImageView>(gfx::Rect(0, 0, kIconSide, kIconSide));
    addSubview(iconView_);
}

std::shared_ptr<ui::Label> VoipView::addLabel(double fontSize, bool bold) {
    auto label = View::create<ui::Label>(gfx::Rect());
    label->setFont(bold ? gfx::Font::boldSystemFontOfSize(fontSize) : gfx::Font::systemFontOfSize(fontSize));
    label->setTextColor(gfx::Color::black());
    label->setBackgroundColor(gfx::Color::clear());
    label->setNumberOfLines(0);
    addSubview(label);
    return label;
}

void VoipView::onMainInline(std::function<void(VoipView&)> work) {
    zelvan::onMainInline([view = self<VoipView>(), work = std::move(work)] { work(*view); });
}

void VoipView::refresh() {
    onMainInline([](VoipView& v) { v.refreshInternal(); });
}

void VoipView::startTiming() {
    onMainInline([](VoipView& v) {
        v.startDate_ = fnd::Date::now();
        v.timeLabel_->setTextColor(clockColor(true));
        if (v.timer_) {
            v.timer_->invalidate();
        }
        std::weak_ptr<VoipView> weak = v.self<VoipView>();
        v.timer_ = fnd::Timer::scheduled(kTimerInterval, fnd::Repeats::Yes, [weak](fnd::Timer&) {
            if (auto banner = weak.lock()) {
                banner->fireTimerEvent();
            }
        });
    });
}

void VoipView::stopTiming() {
    onMainInline([](VoipView& v) {
        if (v.timer_) {
            v.timer_->invalidate();
            v.timer_.reset();
        }
        v.timeLabel_->setTextColor(clockColor(false));
    });
}

void VoipView::showInView(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        return;
    }
    visible_ = true;
    onMainInline([view](VoipView& v) {
        v.setFrame(view->bounds());
        if (auto window = view->window()) {
            window->endEditing(ui::Force::Yes);
        }
        view->addSubview(v.self<VoipView>());
        v.refreshInternal();
    });
}

void VoipView::hide() {
    if (!visible_.exchange(false)) {
        return;
    }
    onMainInline([](VoipView& v) { v.removeFromSuperview(); });
}

void VoipView::setTitle(std::string title) {
    onMainInline([title = std::move(title)](VoipView& v) { v.titleLabel_->setText(title); });
}

void VoipView::setContent(std::string content) {
    onMainInline([content = std::move(content)](VoipView& v) { v.infoLabel_->setText(content); });
}

void VoipView::setButtonTitle(std::string title) {
    onMainInline([title = std::move(title)](VoipView& v) { v.button_->setTitle(title, ui::ControlState::Normal); });
}

void VoipView::setIcon(gfx::ImagePtr icon) {
    onMainInline([icon = std::move(icon)](VoipView& v) { v.iconView_->setImage(icon); });
}

void VoipView::fireTimerEvent() {
    const double elapsed = std::floor(fnd::Date::now().timeIntervalSinceDate(startDate_));
    const int seconds = elapsed > 0 ? static_cast<int>(std::fmin(elapsed, 2147483647.0)) : 0;
    timeLabel_->setText(fnd::format("%.2d:%.2d", seconds / 60, seconds % 60));
    refreshInternal();
}

void VoipView::endsCall() {
    if (button_->titleForState(ui::ControlState::Normal) == ZLS("Close")) {
        hide();
        return;
    }
    confirm_ = ui::AlertView::initWithTitle(ZLS("VoIPTitle"), ZLS("Are you sure you want to hang up?"),
                                            self<VoipView>(), std::nullopt, {ZLS("Yes"), ZLS("No")});
    confirm_->show();
}

void VoipView::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    confirm_.reset();
    if (buttonIndex != kAlertYes) {
        return;
    }
    if (hangUp_) {
        hangUp_();
    }
    hide();
}

void VoipView::refreshInternal() {
    const double width = std::floor(bounds().width());
    const double height = std::floor(bounds().height());
    const double cw = std::trunc(3 * width * 0.25);
    const gfx::Size title = widgetGetLabelSize(*titleLabel_, cw);
    const gfx::Size info = widgetGetLabelSize(*infoLabel_, cw);
    const gfx::Size clock = widgetGetLabelSize(*timeLabel_, cw);
    const gfx::Size button = widgetGetButtonSize(*button_, cw);
    // The button's height is added here, not subtracted: the panel sits a little higher that way.
    const double y0 = ((height - title.height - info.height - clock.height + button.height) - 30) * 0.5 - 50;
    iconView_->setFrame(gfx::Rect((width - kIconSide - title.width - kGap) * 0.5, y0, kIconSide, kIconSide));
    titleLabel_->setFrame(gfx::Rect((width + kIconSide + kGap - title.width) * 0.5, y0, title.width, title.height));
    double y = y0 + title.height + kGap;
    infoLabel_->setFrame(gfx::Rect((width - info.width) * 0.5, y, info.width, info.height));
    y += info.height + kGap;
    timeLabel_->setFrame(gfx::Rect((width - clock.width) * 0.5, y, clock.width, clock.height));
    y += clock.height + kGap;
    button_->setFrame(gfx::Rect((width - button.width) * 0.5, y, button.width, button.height));
    setNeedsDisplay();
    widgetViewFrameCeil(*this);
}

void VoipView::drawRect(gfx::Rect rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    const gfx::Rect icon = iconView_->frame();
    const gfx::Rect title = titleLabel_->frame();
    // The row that starts furthest left sets the panel's left edge and width; ties keep the earlier row.
    double left = icon.minX();
    double rowWidth = icon.width() + kGap + title.width();
    for (const auto& row : {infoLabel_->frame(), timeLabel_->frame(), button_->frame()}) {
        if (row.minX() < left) {
            left = row.minX();
            rowWidth = row.width();
        }
    }
    const double panelHeight =
        title.height() + infoLabel_->frame().height() + timeLabel_->frame().height() + button_->frame().height() + 80;
    {
        gfx::StateSaver saver(*ctx);
        ctx->setShadow(gfx::Size(3, -3), 5);
        ctx->setFillColor(gfx::Color(0.9333, 0.9333, 0.9333, 0.85));
        ctx->beginPath();
        CGContextAddRoundedRect(*ctx, left - 15, title.minY() - 10, rowWidth + 30, panelHeight, kPanelRadius);
        ctx->fillPath();
    }
    View::drawRect(rect);
}

} // namespace zelvan
