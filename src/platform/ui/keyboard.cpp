// The keyboard stand-in: visibility follows whether a text input holds first-responder status,
// and each change posts will-show / will-hide at once and did-show / did-hide when the 0.3 s slide
// ends on the process clock (or at once, when the next change starts first).
#include "platform/ui/keyboard.h"

#include <string>

#include "platform/foundation/dictionary.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/screen.h"
#include "platform/ui/text_field.h"
#include "platform/ui/text_view.h"

namespace ui {

KeyboardController& KeyboardController::shared() {
    static KeyboardController controller;
    return controller;
}

gfx::Rect KeyboardController::frameForOrientation(InterfaceOrientation orientation) {
    const gfx::Rect screen = Screen::main().bounds();
    const bool landscape =
        orientation == InterfaceOrientation::LandscapeLeft || orientation == InterfaceOrientation::LandscapeRight;
    const double width = landscape ? screen.height() : screen.width();
    const double height = landscape ? screen.width() : screen.height();
    const double keyboard = landscape ? kLandscapeHeight : kPortraitHeight;
    return gfx::Rect(0, height - keyboard, width, keyboard);
}

gfx::Rect KeyboardController::frame() const {
    return frameForOrientation(Application::shared().statusBarOrientation());
}

std::shared_ptr<Responder> KeyboardController::textInput() {
    auto responder = Responder::currentFirstResponder();
    if (dynamic_cast<TextField*>(responder.get()) || dynamic_cast<TextView*>(responder.get())) {
        return responder;
    }
    return nullptr;
}

KeyboardController::Handoff::Handoff() {
    ++shared().handoffDepth_;
}

KeyboardController::Handoff::~Handoff() {
    auto& keyboard = shared();
    if (--keyboard.handoffDepth_ == 0) {
        keyboard.update();
    }
}

void KeyboardController::update() {
    VERIFY(fnd::isMainThread());
    if (handoffDepth_ > 0) {
        return;
    }
    const bool wanted = textInput() != nullptr;
    if (wanted && !visible_) {
        show();
    } else if (!wanted && visible_) {
        hide();
    }
}

fnd::Value KeyboardController::valueFromRect(gfx::Rect rect) {
    return fnd::Value::dictionary(
        {{"x", rect.minX()}, {"y", rect.minY()}, {"width", rect.width()}, {"height", rect.height()}});
}

fnd::Value KeyboardController::valueFromPoint(gfx::Point point) {
    return fnd::Value::dictionary({{"x", point.x}, {"y", point.y}});
}

namespace {

std::optional<double> number(const fnd::Dictionary& dictionary, const char* key) {
    const fnd::Value* value = dictionary.find(key);
    if (!value || !value->isNumber()) {
        return std::nullopt;
    }
    return value->doubleValue();
}

} // namespace

std::optional<gfx::Rect> KeyboardController::rectFromValue(const fnd::Value& value) {
    const auto dictionary = value.asDictionary();
    if (!dictionary) {
        return std::nullopt;
    }
    const auto x = number(*dictionary, "x");
    const auto y = number(*dictionary, "y");
    const auto width = number(*dictionary, "width");
    const auto height = number(*dictionary, "height");
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    return gfx::Rect(*x, *y, *width, *height);
}

std::optional<gfx::Point> KeyboardController::pointFromValue(const fnd::Value& value) {
    const auto dictionary = value.asDictionary();
    if (!dictionary) {
        return std::nullopt;
    }
    const auto x = number(*dictionary, "x");
    const auto y = number(*dictionary, "y");
    if (!x || !y) {
        return std::nullopt;
    }
    return gfx::Point{*x, *y};
}

fnd::Value KeyboardController::userInfo(bool showing) const {
    // The keyboard slides between its place and just below the bottom of the screen.
    const gfx::Rect onScreen = showing ? frame() : shownFrame_;
    const gfx::Point shown{onScreen.midX(), onScreen.midY()};
    const gfx::Point below{onScreen.midX(), onScreen.maxY() + onScreen.height() / 2};
    return fnd::Value::dictionary({
        {kKeyboardBoundsUserInfoKey, valueFromRect(gfx::Rect(0, 0, onScreen.width(), onScreen.height()))},
        {kKeyboardCenterBeginUserInfoKey, valueFromPoint(showing ? below : shown)},
        {kKeyboardCenterEndUserInfoKey, valueFromPoint(showing ? shown : below)},
        {kKeyboardAnimationDurationUserInfoKey, kAnimationDuration},
    });
}

void KeyboardController::completePending() {
    if (!pendingDid_.isPending()) {
        return;
    }
    pendingDid_.cancel();
    const std::string name(pendingName_);
    const fnd::Value info = pendingInfo_;
    pendingInfo_ = fnd::Value();
    fnd::NotificationCenter::defaultCenter().postNotificationName(name, fnd::Value(), info);
}

void KeyboardController::show() {
    completePending();
    visible_ = true;
    shownFrame_ = frame();
    const fnd::Value info = userInfo(true);
    fnd::NotificationCenter::defaultCenter().postNotificationName(kKeyboardWillShowNotification, fnd::Value(), info);
    pendingName_ = kKeyboardDidShowNotification;
    pendingInfo_ = info;
    pendingDid_ = fnd::RunLoop::main().performAfter(kAnimationDuration, [this] {
        const fnd::Value posted = std::exchange(pendingInfo_, fnd::Value());
        fnd::NotificationCenter::defaultCenter().postNotificationName(kKeyboardDidShowNotification, fnd::Value(),
                                                                      posted);
    });
}

void KeyboardController::hide() {
    completePending();
    visible_ = false;
    const fnd::Value info = userInfo(false);
    fnd::NotificationCenter::defaultCenter().postNotificationName(kKeyboardWillHideNotification, fnd::Value(), info);
    pendingName_ = kKeyboardDidHideNotification;
    pendingInfo_ = info;
    pendingDid_ = fnd::RunLoop::main().performAfter(kAnimationDuration, [this] {
        const fnd::Value posted = std::exchange(pendingInfo_, fnd::Value());
        fnd::NotificationCenter::defaultCenter().postNotificationName(kKeyboardDidHideNotification, fnd::Value(),
                                                                      posted);
    });
}

} // namespace ui
