// The interstitial client's entry points: the plain functions and MNController::sharedController, the one
// place the client reaches its context. The controller is made here on first use and handed the addresses
// and the reachability monitor it asks.
#include "ads/marlin/marlin_entry_points.h"

#include <utility>

#include "ads/marlin/marlin_context.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"

namespace zelvan::marlin {

namespace {

constexpr std::string_view kTemporaryPrefix = "marlin";

// Leftovers of earlier runs in the temporary folder: every entry named "marlin" and more.
void clearTemporaryLeftovers() {
    const std::string folder = fnd::AppFolders::temporary();
    if (!fnd::FileManager::fileExistsAtPath(folder)) {
        return;
    }
    auto names = fnd::FileManager::contentsOfDirectoryAtPath(folder);
    if (!names) {
        return;
    }
    for (const auto& name : *names) {
        if (name.size() > kTemporaryPrefix.size() && name.starts_with(kTemporaryPrefix)) {
            fnd::FileManager::removeItemAtPath(fnd::appendingPathComponent(folder, name));
        }
    }
}

} // namespace

std::shared_ptr<MNController> MNController::sharedController() {
    auto context = MarlinContext::context();
    return context ? context->shared.lock() : nullptr;
}

std::shared_ptr<MNController> MNInit(int64_t applicationID) {
    return MNInitWithCustomServer(applicationID, nullptr);
}

std::shared_ptr<MNController> MNInitWithCustomServer(int64_t applicationID, const char* server) {
    auto context = MarlinContext::context();
    if (!context) {
        return nullptr;
    }
    context->applicationID = applicationID;
    context->server = server ? std::optional<std::string>(server) : std::nullopt;
    return MNControllerInstance();
}

std::shared_ptr<MNController> MNControllerInstance() {
    auto context = MarlinContext::context();
    if (!context) {
        return nullptr;
    }
    if (context->controller || context->applicationID == 0) {
        return context->controller;
    }
    if (!context->server && context->addresses().defaultServer.empty()) {
        if (!context->toldNoServer) {
            context->toldNoServer = true;
            ZLOG_TO(kMarlinLog, Info,
                    "marlin: no --ads-base and no custom server given, so no interstitial client runs");
        }
        return nullptr;
    }
    clearTemporaryLeftovers();
    context->controller = MNController::initWithAppID(context->applicationID, context->server, context->addresses(),
                                                      context->reachability());
    context->shared = context->controller;
    if (context->delegate) {
        context->controller->setDelegate(*context->delegate);
    }
    if (context->rotation) {
        context->controller->contentController()->setRelativeRotation(*context->rotation);
    }
    return context->controller;
}

void MNSetDelegate(std::weak_ptr<MarlinDelegate> delegate) {
    auto context = MarlinContext::context();
    if (!context) {
        return;
    }
    context->delegate = delegate;
    if (auto controller = MNControllerInstance()) {
        controller->setDelegate(std::move(delegate));
    }
}

void MNSetRelativeRotation(float degrees) {
    auto context = MarlinContext::context();
    if (!context) {
        return;
    }
    context->rotation = degrees;
    if (auto controller = MNControllerInstance()) {
        controller->contentController()->setRelativeRotation(degrees);
    }
}

void MNSetTimeout(int /*seconds*/) {}

bool MNDisplayAd() {
    auto controller = MNControllerInstance();
    if (!controller) {
        return false;
    }
    auto content = controller->contentController();
    const int state = content->clientState();
    if (state == 3 || state == 4) {
        ZLOG_TO(kMarlinLog, Info, "marlin: not displaying an ad while one is on screen (state %d)", state);
        return false;
    }
    if (!content->isAdPrefetched()) {
        return false;
    }
    return controller->displayAdView();
}

void MNDealloc() {
    auto context = MarlinContext::context();
    if (!context || !context->controller) {
        return;
    }
    auto controller = std::move(context->controller);
    context->controller.reset();
    context->shared.reset();
    controller->didReceiveReleaseMessage();
}

} // namespace zelvan::marlin
