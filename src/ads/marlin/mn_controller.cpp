#include "ads/marlin/mn_controller.h"

#include <utility>

#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_database.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/format.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "reachability/reachability.h"

namespace zelvan::marlin {

namespace {

constexpr std::string_view kClientVersionKey = "clientVersion";
constexpr std::string_view kMenuTimerValueKey = "menuTimerValue";
constexpr double kSlideSeconds = 0.5;

} // namespace

std::string MNController::localFileBasePath() {
    return fnd::AppFolders::documents();
}

std::string MNController::localFileBaseURL() {
    return fnd::Url::fileUrl(localFileBasePath()).absoluteString();
}

MNController::MNController() = default;

MNController::~MNController() {
    if (contentController_) {
        contentController_->teardown();
    }
    if (mnWindow_) {
        mnWindow_->setHidden(true);
    }
}

std::shared_ptr<MNController> MNController::initWithAppID(int64_t applicationID,
                                                          const std::optional<std::string>& server,
                                                          MarlinAddresses addresses,
                                                          std::shared_ptr<Reachability> reachability) {
    auto self = std::make_shared<MNController>();
    self->addresses_ = std::move(addresses);
    self->reachability_ = std::move(reachability);
    if (server) {
        self->serverURL_ = *server;
        MNLog("Initializing with custom server: %@", self->serverURL_);
    } else {
        self->serverURL_ = self->addresses_.defaultServer;
        MNLog("Initializing with standard server: %@", self->serverURL_);
    }
    self->mnWindow_ = ui::View::create<ui::Window>(ui::Screen::main().applicationFrame());
    auto root = ui::View::create<ui::View>(self->mnWindow_->bounds());
    root->setBackgroundColor(gfx::Color::clear());
    root->setOpaque(false);
    root->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    self->setView(root);
    self->mnWindow_->addSubview(root);
    self->mnWindow_->setHidden(true);
    self->mnWindow_->setWindowLevel(ui::kWindowLevelAlert);
    self->applicationID_ = applicationID;
    self->database_ = std::make_shared<MNDatabase>();
    self->contentController_ = std::make_shared<MNContentController>(self, self->database_);
    self->contentController_->setMenuTimerValue(
        static_cast<double>(self->database_->valueForRecordID(kMenuTimerValueKey, MNDatabase::kSettingsTable, 10)));
    self->contentController_->bootClient(applicationID);
    return self;
}

std::optional<std::string> MNController::clientVersion() {
    return database_->stringForRecordID(kClientVersionKey, MNDatabase::kSettingsTable);
}

void MNController::setClientVersion(const std::string& version) {
    database_->setRecordIDTableString(kClientVersionKey, MNDatabase::kSettingsTable, version);
}

int MNController::serverReachability() {
    if (!reachability_) {
        reachability_ = std::make_shared<Reachability>();
    }
    auto url = fnd::Url::parse(serverURL_);
    reachability_->setHostName(url ? std::optional<std::string>(url->host()) : std::nullopt);
    return reachability_->internetConnectionStatus();
}

bool MNController::displayAdView() {
    auto content = contentController_;
    const int state = content->clientState();
    const bool prefetched = content->isAdPrefetched();
    if (content->isAdDisplayCancelled()) {
        content->setAdDisplayCancelled(false);
        if (prefetched) {
            MNLog("Return from [displayAd:] call since display was cancelled");
            return false;
        }
    }
    if (state == 3 || state == 4) {
        MNLog("Ignoring [displayAdView:] call since we're currently displaying");
        return false;
    }
    const int reach = serverReachability();
    bool started = false;
    if (!prefetched) {
        if (auto bridge = content->jsBridge()) {
            bridge->setFlagListener("prefetch", std::static_pointer_cast<MNController>(shared_from_this()));
        }
    } else if (state == 0 || state == 1) {
        if (state == 0) {
            content->setClientState(4);
            if (reach != 0) {
                std::weak_ptr<MNContentController> weak = content;
                content->setClientPreRollCheckInTimer(fnd::Timer::scheduled(MNContentController::kPreRollCheckInSeconds,
                                                                            fnd::Repeats::No, [weak](fnd::Timer&) {
                                                                                if (auto c = weak.lock()) {
                                                                                    c->forceClientReboot();
                                                                                }
                                                                            }));
            }
        } else {
            content->setClientState(3);
        }
        const std::string command = fnd::format("displayAd(%d, %d);", reach, state == 0 ? 1 : 0);
        if (content->currentScript() == MNDatabase::kClientScriptFile) {
            content->jsBridge()->sendJavascriptCommand(command);
        } else {
            content->loadScript(fnd::appendingPathComponent(localFileBasePath(), "client.js"), command);
        }
        started = true;
    }
    if (reach != 0) {
        content->showLoadingScreen();
    }
    return started;
}

void MNController::presentController(const std::shared_ptr<ui::ViewController>& controller, bool animated) {
    makeKeyWindow();
    auto content = controller->view();
    auto root = view();
    if (content->superview() == root) {
        return;
    }
    const gfx::Rect bounds = root->bounds();
    content->setFrame(bounds);
    root->addSubview(content);
    content->setCenter({bounds.size.width / 2, bounds.size.height * 1.5});
    const gfx::Point middle(bounds.size.width / 2, bounds.size.height / 2);
    if (!animated) {
        controller->viewWillAppear(ui::Animated::No);
        content->setCenter(middle);
        controller->viewDidAppear(ui::Animated::No);
        return;
    }
    std::weak_ptr<ui::ViewController> weak = controller;
    ui::View::beginAnimations("MNController_presentController");
    ui::View::setAnimationDuration(kSlideSeconds);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseInOut);
    ui::View::setAnimationTransition(ui::ViewAnimationTransition::None, *content, false);
    ui::View::setAnimationDelegate(std::static_pointer_cast<void>(shared_from_this()));
    ui::View::setAnimationWillStartSelector([weak](const std::string&, void*) {
        if (auto c = weak.lock()) {
            c->viewWillAppear(ui::Animated::Yes);
        }
    });
    ui::View::setAnimationDidStopSelector([weak](const std::string&, bool, void*) {
        if (auto c = weak.lock()) {
            c->viewDidAppear(ui::Animated::Yes);
        }
    });
    content->setCenter(middle);
    ui::View::commitAnimations();
}

void MNController::dismissController(const std::shared_ptr<ui::ViewController>& controller, bool animated) {
    if (auto app = appWindow()) {
        app->setHidden(false);
    }
    auto content = controller->viewIfLoaded();
    if (!content) {
        return;
    }
    const gfx::Rect bounds = view()->bounds();
    const gfx::Point below(bounds.size.width / 2, bounds.size.height * 1.5);
    std::weak_ptr<MNController> self = std::static_pointer_cast<MNController>(shared_from_this());
    std::weak_ptr<ui::ViewController> weak = controller;
    auto finish = [self, weak](ui::Animated how) {
        auto c = weak.lock();
        if (c && c->viewIfLoaded()) {
            c->viewIfLoaded()->removeFromSuperview();
        }
        if (auto s = self.lock()) {
            s->resignKeyWindow();
        }
        if (c) {
            c->viewDidDisappear(how);
        }
    };
    if (!animated) {
        controller->viewWillDisappear(ui::Animated::No);
        content->setCenter(below);
        finish(ui::Animated::No);
        return;
    }
    ui::View::beginAnimations("MNController_dismissController");
    ui::View::setAnimationDuration(kSlideSeconds);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseInOut);
    ui::View::setAnimationDelegate(std::static_pointer_cast<void>(shared_from_this()));
    ui::View::setAnimationWillStartSelector([weak](const std::string&, void*) {
        if (auto c = weak.lock()) {
            c->viewWillDisappear(ui::Animated::Yes);
        }
    });
    ui::View::setAnimationDidStopSelector([finish](const std::string&, bool, void*) { finish(ui::Animated::Yes); });
    content->setCenter(below);
    ui::View::commitAnimations();
}

void MNController::makeKeyWindow() {
    auto key = ui::Application::shared().keyWindow();
    if (key != mnWindow_) {
        appWindow_ = key;
    }
    mnWindow_->makeKeyAndVisible();
    mnWindow_->setHidden(false);
}

void MNController::resignKeyWindow() {
    if (auto app = appWindow()) {
        app->makeKeyWindow();
    }
    mnWindow_->setHidden(true);
    appWindow_.reset();
}

void MNController::jsBridgeDidChangeStateForFlag(JavascriptBridge& bridge, const std::string& flag) {
    bridge.setFlagListener(flag, {});
    displayAdView();
}

void MNController::didReceiveReleaseMessage() {
    auto content = contentController_;
    if (!content) {
        return;
    }
    if (auto bridge = content->jsBridge()) {
        bridge->sendJavascriptCommand("shutdown();");
        int polls = 0;
        while (bridge->poll() > 0) {
            if (++polls >= kMaxShutdownPolls) {
                ZLOG_TO(kMarlinLog, Warn,
                        "marlin: the client kept queuing commands through %d polls at shutdown; stopping",
                        kMaxShutdownPolls);
                break;
            }
        }
    }
    dismissController(content, false);
    content->teardown();
}

// --- Relays ---

void MNController::marlinDisplayWillOpen() {
    if (auto d = delegate()) {
        d->marlinDisplayWillOpen();
    }
}

void MNController::marlinDisplayDidOpen() {
    if (auto d = delegate()) {
        d->marlinDisplayDidOpen();
    }
}

void MNController::marlinDisplayWillClose() {
    if (auto d = delegate()) {
        d->marlinDisplayWillClose();
    }
}

void MNController::marlinDisplayDidClose() {
    if (auto d = delegate()) {
        d->marlinDisplayDidClose();
    }
}

void MNController::marlinConnectionFailed() {
    if (auto d = delegate()) {
        d->marlinConnectionFailed();
    }
}

void MNController::marlinAdDisplayFailed() {
    if (auto d = delegate()) {
        d->marlinAdDisplayFailed();
    }
}

void MNController::marlinDidReceiveMemoryWarning() {
    if (auto d = delegate()) {
        d->marlinDidReceiveMemoryWarning();
    }
}

} // namespace zelvan::marlin
