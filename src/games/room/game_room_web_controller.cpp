// GameRoomWebController: creation, the view with its mask and new-table strip, the countdown, the
// connection events, the plain alerts and confirmations, and the answers to invitations.
#include "games/room/game_room_web_controller.h"

#include "core/localization.h"
#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/thread.h"
#include "platform/ui/image_view.h"
#include "platform/ui/tab_bar_item.h"
#include "protocol/command_table.h"
#include "protocol/tracer.h"
#include "toolkit/z_alert_view.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<GameRoomWebController>
GameRoomWebController::create(const std::shared_ptr<zelvanAppDelegate>& delegate) {
    auto controller = std::make_shared<GameRoomWebController>(delegate);
    controller->setTitle(ZLS("Games"));
    controller->setTabBarItem(ui::TabBarItem::initWithTitle(
        ZLS("Games"), ZelvanWidget::newImageFromResource("games", false), zelvanAppDelegate::TabGames));
    controller->setInitUrl(ZLS("static_game_1600"));
    controller->isshowcountdown_ = true;
    return controller;
}

GameRoomWebController::~GameRoomWebController() {
    if (mTimer_ != nullptr) {
        mTimer_->invalidate();
    }
}

std::shared_ptr<GameRoomWebController> GameRoomWebController::self() {
    return selfAs<GameRoomWebController>();
}

void GameRoomWebController::onMain(std::function<void(GameRoomWebController&)> fn) {
    zelvan::onMain(self(), std::move(fn));
}

void GameRoomWebController::send(const fnd::Value& packet) {
    if (auto app = appDelegate()) {
        app->send(packet);
    }
}

std::shared_ptr<ui::ViewController> GameRoomWebController::rootViewController() {
    return self();
}

void GameRoomWebController::loadView() {
    ZAdvancedWebViewController::loadView();
    mMaskView_ = ZMaskView::create();
    if (mInputView_ != nullptr) {
        return;
    }
    const double width = view()->bounds().size.width;
    mInputView_ = ui::View::create<ui::View>(gfx::Rect(0, kInputTop, width, kInputHeight));
    mInputView_->addSubview(
        ui::ImageView::initWithImage(ZelvanWidget::imageFromResource(ZLS("game-createtable-inputlabel"), true)));
    mTextField_ = ui::View::create<ui::TextField>(gfx::Rect(15, 25, width - 31, 26));
    mTextField_->setBackground(ZelvanWidget::imageFromResource("game-createtable-input", true));
    mTextField_->setBorderStyle(ui::TextBorderStyle::None);
    mTextField_->setBackgroundColor(gfx::Color::clear());
    mTextField_->setReturnKeyType(ui::ReturnKeyType::Done);
    mTextField_->setKeyboardType(ui::KeyboardType::Default);
    mTextField_->setDelegate(std::weak_ptr<ui::TextFieldDelegate>(self()));
    mInputView_->addSubview(mTextField_);
}

bool GameRoomWebController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::Portrait;
}

void GameRoomWebController::webViewDidFinishLoad(ui::WebView& webView) {
    ZAdvancedWebViewController::webViewDidFinishLoad(webView);
    hideInput();
}

// --- The open game ---

std::shared_ptr<ScriptController> GameRoomWebController::playingScreen() const {
    std::lock_guard lock(gameMutex_);
    return playingGame_;
}

void GameRoomWebController::setPlayingGame(std::shared_ptr<ScriptController> game) {
    std::lock_guard lock(gameMutex_);
    playingGame_ = std::move(game);
}

void GameRoomWebController::closeGame() {
    std::shared_ptr<ScriptController> game;
    {
        std::lock_guard lock(gameMutex_);
        game = std::move(playingGame_);
    }
    if (game != nullptr) {
        game->hideAndCloseGame();
    }
}

// --- Connection ---

void GameRoomWebController::connectionLost() {
    onMain([](GameRoomWebController& self) {
        self.hideMask();
        self.closeGame();
    });
}

void GameRoomWebController::connectionResumed() {
    onMain([](GameRoomWebController& self) { self.hideMask(); });
}

// --- Countdown ---

void GameRoomWebController::startTiming() {
    if (!fnd::isMainThread()) {
        onMain([](GameRoomWebController& self) { self.startTiming(); });
        return;
    }
    if (mTimer_ != nullptr) {
        mTimer_->invalidate();
    }
    mStartDate_ = fnd::Date::now();
    std::weak_ptr<GameRoomWebController> weak = self();
    mTimer_ = fnd::Timer::scheduled(1.0, fnd::Repeats::Yes, [weak](fnd::Timer&) {
        if (auto controller = weak.lock()) {
            controller->fireTimerEvent();
        }
    });
}

void GameRoomWebController::fireTimerEvent() {
    if (static_cast<int>(fnd::Date::now().timeIntervalSinceDate(mStartDate_)) > kCountdownSeconds) {
        stopTiming();
    }
}

void GameRoomWebController::stopTiming() {
    if (!fnd::isMainThread()) {
        onMain([](GameRoomWebController& self) { self.stopTiming(); });
        return;
    }
    callJS("hidecountdown();");
    if (mTimer_ != nullptr) {
        mTimer_->invalidate();
        mTimer_.reset();
    }
}

// --- Input strip and mask ---

void GameRoomWebController::showInput() {
    if (mInputView_ == nullptr) {
        return;
    }
    view()->addSubview(mInputView_);
    mTextField_->becomeFirstResponder();
}

void GameRoomWebController::hideInput() {
    if (mInputView_ == nullptr || mInputView_->superview() == nullptr) {
        return;
    }
    mInputView_->removeFromSuperview(); // first, so the end of editing finds the strip gone
    mTextField_->resignFirstResponder();
}

std::optional<bool> GameRoomWebController::textFieldShouldReturn(ui::TextField& field) {
    const std::string name = field.text();
    if (!name.empty()) {
        send(fnd::Value::array({cmd::kCreateTable, name, parentId_, 9, 1, 0}));
        showLoading();
    }
    field.setText("");
    hideInput();
    return true;
}

void GameRoomWebController::textFieldDidEndEditing(ui::TextField& field) {
    field.setText("");
    hideInput();
}

void GameRoomWebController::showMask(const std::string& message, bool animated) {
    if (mMaskView_ != nullptr && isViewLoaded()) {
        mMaskView_->showMaskInView(view(), message, animated ? ui::Animated::Yes : ui::Animated::No);
    }
}

void GameRoomWebController::hideMask() {
    if (mMaskView_ != nullptr) {
        mMaskView_->hideMask(ui::Animated::Yes);
    }
}

// --- Alerts ---

void GameRoomWebController::showAlert(const std::string& message, const std::string& title) {
    ui::AlertView::initWithTitle(title, message, {}, ZLS("Ok"))->show();
}

void GameRoomWebController::showConfirmation(int type, const std::string& message, const std::string& title,
                                             fnd::Value data) {
    std::vector<std::string> buttons = type == kConfirmInvitation
                                           ? std::vector<std::string>{ZLS("Accept"), ZLS("Reject"), ZLS("Ignore")}
                                           : std::vector<std::string>{ZLS("Yes"), ZLS("No")};
    auto alert =
        ZAlertView::create(title, message, std::weak_ptr<ui::AlertViewDelegate>(self()), std::nullopt, buttons);
    alert->setTag(type);
    alert->setCarryData(std::move(data));
    invitationAlerts_.show(alert);
}

void GameRoomWebController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    auto* confirmation = dynamic_cast<ZAlertView*>(&alert);
    if (confirmation == nullptr || alert.tag() != kConfirmInvitation) {
        return;
    }
    std::shared_ptr<fnd::Array> data = confirmation->carryData().asArray();
    if (data == nullptr || data->count() < 3) {
        ZTRACE_WARN("GameRoomController: an invitation without its reply values");
        return;
    }
    const std::string title = alert.buttonTitleAtIndex(buttonIndex).value_or("");
    const fnd::Value a = data->objectAtIndex(0);
    if (title == ZLS("Accept")) {
        send(fnd::Value::array({cmd::kInvitationAnswer, a, data->objectAtIndex(2)}));
    } else if (title == ZLS("Reject")) {
        send(fnd::Value::array({cmd::kInvitationReject, a, 0}));
    }
}

} // namespace zelvan
