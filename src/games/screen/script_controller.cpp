// ScriptController: creation with its engine, the views, full screen and back, the engine's disposal,
// the thinned repaints, queued commands, progress and scores, and the room record shared with the
// game thread.
#include "games/screen/script_controller.h"

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "games/games_context.h"
#include "platform/foundation/thread.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<ScriptController>
ScriptController::initWithScript(std::string title, fnd::Bytes script, const fnd::Value& myid, const fnd::Value& room,
                                 const fnd::Value& gameid, fnd::Value userids, fnd::Value names, int32_t width,
                                 int32_t height, const fnd::Value& attribute, std::shared_ptr<GameHost> host) {
    auto screen = std::make_shared<ScriptController>(host, gameid.intValue(), attribute.intValue());
    screen->setTitle(std::move(title));
    auto engine =
        std::make_shared<STLScriptEngine>(std::move(script), myid.intValue(), room.intValue(), gameid.intValue(),
                                          std::move(userids), std::move(names), width, height, std::move(host));
    std::lock_guard lock(screen->stateMutex_);
    screen->engine_ = std::move(engine);
    return screen;
}

ScriptController::ScriptController(std::shared_ptr<GameHost> host, int32_t gameId, int32_t attribute)
    : host_(std::move(host)), gameId_(gameId), gameattribute_(attribute) {}

ScriptController::~ScriptController() {
    // The last reference may go on the game thread (a native's strong reference): the views are
    // taken down on the main thread.
    auto teardown = [loading = loadingView_, chat = chatView_, input = inputView_, mask = maskView_, view = mView_]() {
        if (loading != nullptr) {
            loading->stopAnimation();
            loading->removeFromSuperview();
        }
        if (chat != nullptr) {
            chat->setGameChatViewdelegate({});
        }
        if (input != nullptr) {
            input->setDelegate({});
        }
        if (view != nullptr) {
            view->setParent(nullptr);
        }
    };
    zelvan::onMainInline(std::move(teardown));
}

void ScriptController::onMain(std::function<void(ScriptController&)> fn) {
    zelvan::onMain(std::dynamic_pointer_cast<ScriptController>(shared_from_this()), std::move(fn));
}

void ScriptController::onMainInline(std::function<void(ScriptController&)> fn) {
    if (fnd::isMainThread()) {
        fn(*this); // also while the controller is being made or let go, when no shared owner is at hand
        return;
    }
    onMain(std::move(fn));
}

std::shared_ptr<GameRoom> ScriptController::room() const {
    std::lock_guard lock(stateMutex_);
    return room_;
}

void ScriptController::setRoom(std::shared_ptr<GameRoom> room) {
    std::lock_guard lock(stateMutex_);
    room_ = std::move(room);
}

int32_t ScriptController::roomId() const {
    std::shared_ptr<GameRoom> r = room();
    return r != nullptr ? r->roomId : 0;
}

int32_t ScriptController::roomAttribute() const {
    std::shared_ptr<GameRoom> r = room();
    return r != nullptr ? r->attribute : 0;
}

std::shared_ptr<STLScriptEngine> ScriptController::engine() const {
    std::lock_guard lock(stateMutex_);
    return engine_;
}

gfx::ImagePtr ScriptController::screenImage() const {
    std::shared_ptr<ScriptView> view;
    {
        std::lock_guard lock(stateMutex_);
        view = viewForSnapshots_;
    }
    return view != nullptr ? view->copyBacking() : nullptr;
}

void ScriptController::loadView() {
    std::shared_ptr<ui::View> root = ZelvanWidget::newContentViewForViewController();
    root->setAutoresizesSubviews(false);
    root->setAutoresizingMask(ui::AutoresizingMask::None);
    setView(root);

    mView_ = ui::View::create<ScriptView>(root->bounds());
    mView_->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
    mView_->setMultipleTouchEnabled(GameRoom::checkAttr(gameattribute_, kMultipleTouchBit));
    mView_->setParent(engine());
    root->addSubview(mView_);
    {
        std::lock_guard lock(stateMutex_);
        viewForSnapshots_ = mView_;
    }

    if (!progressHidden_) {
        loadingView_ = GameLoadView::initWithOrientation(!isLandscape());
    }

    const auto self = std::dynamic_pointer_cast<ScriptController>(shared_from_this());
    chatView_ = ui::View::create<GameChatView>(gfx::Rect());
    chatView_->setHidden(true);
    chatView_->setAutoresizingMask(ui::AutoresizingMask::None);
    chatView_->setGameChatViewdelegate(std::weak_ptr<GameChatViewDelegate>(self));
    root->addSubview(chatView_);

    maskView_ = ui::View::create<ui::Control>(gfx::Rect());
    maskView_->setBackgroundColor(ZelvanWidget::colorFromWeb(0, 0.5));
    maskView_->addTarget(self, &ScriptController::hideInput, ui::ControlEvents::TouchUpInside);

    inputView_ = ui::View::create<ZSimpleInputField>(gfx::Rect());
    inputView_->setDelegate(std::weak_ptr<ui::TextFieldDelegate>(self));
    inputView_->setReturnKeyType(ui::ReturnKeyType::Send);
}

void ScriptController::handleGameInit() {
    std::lock_guard lock(screenLock_);
    std::shared_ptr<ui::View> root = view();
    showProgressOnMain();
    root->setFrame(isLandscape() ? gfx::Rect(0, 0, 480, 320) : gfx::Rect(0, 0, 320, 480));
    mView_->setFrame(root->bounds());
    if (auto app = games::context()) {
        app->switchToFullScreen(root, isLandscape() ? 1 : 0);
    }
}

void ScriptController::hideAndCloseGame() {
    std::lock_guard lock(screenLock_);
    if (auto app = games::context()) {
        app->switchToNormalScreen(isLandscape() ? 1 : 0);
    }
    if (webDialog_ != nullptr) {
        webDialog_->hide(ui::Animated::No);
        webDialog_.reset();
    }
    disposeEngine();
}

void ScriptController::disposeEngine() {
    if (mView_ != nullptr) {
        mView_->setParent(nullptr);
    }
    std::lock_guard lock(stateMutex_);
    engine_.reset();
}

void ScriptController::safeRefresh() {
    onMainInline([](ScriptController& self) { self.refreshOnMain(); });
}

void ScriptController::refreshOnMain() {
    if (auto app = games::context(); app != nullptr && app->locked()) {
        return;
    }
    if (webDialog_ != nullptr && webDialog_->isVisible()) {
        if (++bypassPaintTick_ < kBypassedRefreshes) {
            return;
        }
        bypassPaintTick_ = 0;
    }
    if (mView_ != nullptr) {
        mView_->setNeedsDisplay();
    }
}

void ScriptController::handleGameScript(const fnd::Value& packet) {
    std::shared_ptr<STLScriptEngine> game = engine();
    if (game == nullptr) {
        return;
    }
    fnd::Value cmd = fnd::Value::array();
    if (std::shared_ptr<fnd::Array> list = packet.asArray()) {
        for (size_t i = 2; i < list->count(); ++i) {
            cmd.asArray()->addObject(list->objectAtIndex(i));
        }
    }
    game->addCmd(std::move(cmd));
}

void ScriptController::handleMessage(const std::string& message, int32_t type) {
    onMainInline([message, type](ScriptController& self) {
        if (self.chatView_ == nullptr) {
            return;
        }
        if (type == -1) {
            self.chatView_->addUserMessage(message);
        } else if (type == -2) {
            self.chatView_->addSystemMessage(message);
        }
    });
}

void ScriptController::setProgress(int32_t percent) {
    onMainInline([percent](ScriptController& self) {
        if (self.loadingView_ != nullptr) {
            self.loadingView_->updateProgress(static_cast<float>(percent) / 100.0f);
        }
    });
}

void ScriptController::showProgress() {
    onMainInline([](ScriptController& self) { self.showProgressOnMain(); });
}

void ScriptController::showProgressOnMain() {
    if (loadingView_ == nullptr || !isViewLoaded() || loadingView_->superview() != nullptr) {
        return;
    }
    view()->addSubview(loadingView_);
    loadingView_->startAnimation();
}

void ScriptController::hideProgress() {
    onMainInline([](ScriptController& self) {
        self.progressHidden_ = true;
        if (self.loadingView_ != nullptr) {
            self.loadingView_->stopAnimation();
            self.loadingView_->removeFromSuperview();
            self.loadingView_.reset();
        }
    });
}

void ScriptController::setUserScore(int32_t score) {
    if (auto game = engine()) {
        game->set_userScore(score);
    }
}

void ScriptController::setFoescore(int32_t score) {
    if (auto game = engine()) {
        game->setFoescore(score);
    }
}

int32_t ScriptController::foescore() const {
    auto game = engine();
    return game != nullptr ? game->foescore() : 0;
}

bool ScriptController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    const bool landscape = orientation == ui::InterfaceOrientation::LandscapeLeft ||
                           orientation == ui::InterfaceOrientation::LandscapeRight;
    return isLandscape() ? landscape : !landscape;
}

void ScriptController::engineCall(const std::string& name, const fnd::Value& args) {
    if (std::shared_ptr<STLScriptEngine> game = engine()) {
        game->call(name, args);
    }
}

} // namespace zelvan
