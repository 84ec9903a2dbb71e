// Alert and action sheet presentation: the shared alert-level window (created while panels show,
// dimming the screen and taking key status from the window below), the button views, and the
// present / click / dismiss / cancel sequences timed by view animations on the process clock.
#include "platform/ui/alert_panel.h"

#include <algorithm>

#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/application.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

constexpr double kButtonCornerRadius = 8;

// The window panels show in, and the key window it took over from.
struct AlertWindowState {
    std::shared_ptr<Window> window;
    std::weak_ptr<Window> previousKey;
};

AlertWindowState& alertWindowState() {
    static AlertWindowState state;
    return state;
}

std::shared_ptr<Window> acquireAlertWindow() {
    auto& state = alertWindowState();
    if (!state.window) {
        state.window = View::create<Window>(Screen::main().bounds());
        state.window->setWindowLevel(kWindowLevelAlert);
        state.window->setBackgroundColor(AlertPanel::dimmingColor());
        state.window->setOpaque(false);
    }
    if (state.window->isHidden()) {
        auto key = Application::shared().keyWindow();
        state.previousKey = key != state.window ? key : nullptr;
        state.window->makeKeyAndVisible();
    }
    return state.window;
}

// Hides and drops the window once no panel is left in it, handing key status back.
void releaseAlertWindowIfEmpty() {
    auto& state = alertWindowState();
    if (!state.window || !state.window->subviews().empty()) {
        return;
    }
    const auto window = std::move(state.window);
    state.window.reset();
    window->endEditing(Force::Yes);
    window->setHidden(true);
    if (auto previous = state.previousKey.lock()) {
        previous->makeKeyWindow();
    } else if (Application::shared().keyWindow() == window) {
        Application::shared().setKeyWindow(nullptr);
    }
    state.previousKey.reset();
}

} // namespace

void PanelButton::setFillColor(const gfx::Color& color) {
    fill_ = color;
    setNeedsDisplay();
}

void PanelButton::drawRect(gfx::Rect rect) {
    if (currentBackgroundImage()) {
        Button::drawRect(rect);
        return;
    }
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    ctx->setFillColor(isHighlighted() ? gfx::Color(0.1, 0.4, 0.9, 1) : fill_);
    ctx->beginPath();
    ctx->addRoundedRect(bounds().insetBy(0.5, 0.5), kButtonCornerRadius);
    ctx->fillPath();
}

void AlertPanel::setTitle(std::string title) {
    title_ = std::move(title);
    setNeedsLayout();
    setNeedsDisplay();
}

int AlertPanel::addButtonWithTitle(const std::string& title) {
    const int index = numberOfButtons();
    auto button = View::create<PanelButton>(gfx::Rect());
    button->setTitle(title, ControlState::Normal);
    button->titleLabel()->setLineBreakMode(LineBreakMode::TailTruncation);
    std::weak_ptr<AlertPanel> weakSelf = self<AlertPanel>();
    button->addTarget(
        weakSelf,
        [weakSelf, index](Control&, const Event*) {
            if (auto panel = weakSelf.lock()) {
                panel->clickButtonAtIndex(index);
            }
        },
        ControlEvents::TouchUpInside);
    buttons_.push_back(button);
    panelButtons_.push_back(button);
    addSubview(button);
    styleButton(*button, index);
    setNeedsLayout();
    return index;
}

std::optional<std::string> AlertPanel::buttonTitleAtIndex(int index) const {
    if (index < 0 || index >= numberOfButtons()) {
        return std::nullopt;
    }
    return buttons_[static_cast<size_t>(index)]->titleForState(ControlState::Normal);
}

void AlertPanel::restyleButtons() {
    for (size_t i = 0; i < panelButtons_.size(); ++i) {
        styleButton(*panelButtons_[i], static_cast<int>(i));
    }
}

std::vector<std::shared_ptr<AlertPanel>> AlertPanel::visiblePanels() {
    std::vector<std::shared_ptr<AlertPanel>> panels;
    if (const auto& window = alertWindowState().window) {
        for (const auto& view : window->subviews()) {
            if (auto panel = std::dynamic_pointer_cast<AlertPanel>(view); panel && panel->isVisible()) {
                panels.push_back(panel);
            }
        }
    }
    return panels;
}

std::shared_ptr<Window> AlertPanel::alertWindow() {
    return alertWindowState().window;
}

void AlertPanel::present(gfx::Rect frame) {
    VERIFY(fnd::isMainThread());
    if (state_ != State::Hidden) {
        ZLOG(Warn, "%@: show ignored, already on screen", className());
        return;
    }
    selfReference_ = self<AlertPanel>();
    state_ = State::Presenting;
    clickPending_ = false;
    const uint64_t serial = ++serial_;
    setFrame(frame);
    setNeedsLayout();
    setNeedsDisplay();
    layoutIfNeeded();
    acquireAlertWindow()->addSubview(self());
    applyPresentedState(false);
    notifyWillPresent();
    if (state_ != State::Presenting || serial != serial_) {
        return; // the delegate dismissed it already
    }
    std::weak_ptr<AlertPanel> weakSelf = self<AlertPanel>();
    View::beginAnimations("presentPanel");
    View::setAnimationDuration(kAnimationDuration);
    View::setAnimationDelegate(weakSelf);
    View::setAnimationDidStopSelector([weakSelf, serial](const std::string&, bool, void*) {
        if (auto panel = weakSelf.lock()) {
            panel->finishPresenting(serial);
        }
    });
    applyPresentedState(true);
    View::commitAnimations();
}

void AlertPanel::finishPresenting(uint64_t serial) {
    if (state_ != State::Presenting || serial != serial_) {
        return;
    }
    state_ = State::Shown;
    notifyDidPresent();
}

void AlertPanel::clickButtonAtIndex(int index) {
    if ((state_ != State::Presenting && state_ != State::Shown) || clickPending_) {
        return;
    }
    const auto keepAlive = self<AlertPanel>();
    if (state_ == State::Presenting) {
        // A tap before the presentation ended completes it first.
        finishPresenting(serial_);
        if (state_ != State::Shown) {
            return;
        }
    }
    clickPending_ = true;
    notifyClicked(index);
    const uint64_t serial = serial_;
    fnd::RunLoop::main().post([keepAlive, index, serial] {
        keepAlive->clickPending_ = false;
        // The delegate may have dismissed (and even shown again) the panel meanwhile.
        if (keepAlive->serial_ == serial) {
            keepAlive->dismissWithClickedButtonIndex(index, Animated::Yes);
        }
    });
}

void AlertPanel::dismissWithClickedButtonIndex(int index, Animated animated) {
    VERIFY(fnd::isMainThread());
    if (state_ == State::Hidden || state_ == State::Dismissing) {
        return;
    }
    const auto keepAlive = self<AlertPanel>();
    if (state_ == State::Presenting) {
        finishPresenting(serial_);
        if (state_ != State::Shown) {
            return; // did-present dismissed it
        }
    }
    state_ = State::Dismissing;
    const uint64_t serial = ++serial_;
    notifyWillDismiss(index);
    if (serial != serial_) {
        return;
    }
    if (animated == Animated::No || !View::areAnimationsEnabled()) {
        finishDismissing(index, serial);
        return;
    }
    std::weak_ptr<AlertPanel> weakSelf = keepAlive;
    View::beginAnimations("dismissPanel");
    View::setAnimationDuration(kAnimationDuration);
    View::setAnimationDelegate(weakSelf);
    View::setAnimationDidStopSelector([weakSelf, index, serial](const std::string&, bool, void*) {
        if (auto panel = weakSelf.lock()) {
            panel->finishDismissing(index, serial);
        }
    });
    applyPresentedState(false);
    View::commitAnimations();
}

void AlertPanel::finishDismissing(int index, uint64_t serial) {
    if (state_ != State::Dismissing || serial != serial_) {
        return;
    }
    // Held until the end of this call, even though the self-reference goes now.
    const auto keepAlive = std::move(selfReference_);
    selfReference_.reset();
    state_ = State::Hidden;
    clickPending_ = false;
    removeFromSuperview();
    releaseAlertWindowIfEmpty();
    notifyDidDismiss(index);
}

void AlertPanel::cancel() {
    if (state_ == State::Hidden || state_ == State::Dismissing) {
        return;
    }
    const auto keepAlive = self<AlertPanel>();
    if (notifyCancel()) {
        dismissWithClickedButtonIndex(cancelButtonIndex_, Animated::No);
    } else {
        clickButtonAtIndex(cancelButtonIndex_);
    }
}

} // namespace ui
