// The client's class-level entry points, the only code of the client that looks up the installed context
// (context()): the `Kavlo` front, the getInstance of the controller, the messenger, the queue, the
// reachability front and the in-app browser (with its `KavloBrowser` front), and the initialisers that
// store their object in the context. Every other part of the client is handed its context.
#include <mutex>

#include "analytics/kavlo/kavlo_browser.h"
#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_messenger.h"
#include "analytics/kavlo/kavlo_reachability.h"

namespace zelvan::kavlo {

// --- The controller and the messenger ---

std::shared_ptr<KavloController> KavloController::getInstance() {
    return instanceOf(context());
}

std::shared_ptr<KavloController> KavloController::initInstanceWithApplicationId(const std::string& applicationId,
                                                                                int logLevel, bool useCoreLocation,
                                                                                bool notifyUser) {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    std::lock_guard lock(ctx->classLock());
    auto controller = initWithApplicationId(ctx, applicationId, logLevel, useCoreLocation, notifyUser);
    ctx->setController(controller);
    return controller;
}

std::shared_ptr<KavloMessenger> KavloMessenger::getInstance() {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    std::shared_ptr<KavloController> controller;
    {
        std::lock_guard lock(ctx->classLock());
        if (auto messenger = ctx->messenger()) {
            return messenger;
        }
        controller = ctx->controller();
    }
    return controller ? controller->messenger() : nullptr;
}

// --- The queue and the reachability front ---

std::shared_ptr<KavloDatabase> KavloDatabase::initForApplication(const std::string& applicationId) {
    auto database = std::make_shared<KavloDatabase>(applicationId);
    if (auto shared = context()) {
        shared->setDatabase(database);
    }
    return database;
}

std::shared_ptr<KavloDatabase> KavloDatabase::getInstance() {
    auto shared = context();
    return shared ? shared->database() : nullptr;
}

std::shared_ptr<KavloReachability> KavloReachability::getInstance() {
    auto shared = context();
    return shared ? shared->reachability() : nullptr;
}

// --- The in-app browser ---

std::shared_ptr<KavloBrowserView> KavloBrowserView::getInstance() {
    auto ctx = context();
    return ctx ? sharedIn(*ctx) : nullptr;
}

void KavloBrowser::openRequest(const fnd::UrlRequest& request) {
    if (auto browser = sharedBrowser()) {
        browser->openRequest(request);
    }
}

void KavloBrowser::close() {
    if (auto browser = sharedBrowser()) {
        browser->close();
    }
}

// --- The Kavlo front ---

void Kavlo::start() {
    KavloController::getInstance();
}

void Kavlo::sync() {
    if (auto messenger = KavloMessenger::getInstance()) {
        messenger->sync();
    }
}

void Kavlo::updateLocation(const std::shared_ptr<device::Location>& location) {
    if (auto controller = KavloController::getInstance()) {
        controller->updateLocation(location);
    }
}

void Kavlo::logEventWithLevel(int level, const std::string& processName, const std::string& eventName,
                              const std::string& description, bool stop) {
    auto controller = KavloController::getInstance();
    if (!controller || static_cast<unsigned>(controller->logLevel()) > static_cast<unsigned>(level)) {
        return;
    }
    ZLOG_TO(kKavloLog, Info, "%@, %@: %@", processName, eventName, description);
    controller->saveDictionary(KavloController::eventRecord(level, processName, eventName, description, stop), "q");
}

} // namespace zelvan::kavlo
