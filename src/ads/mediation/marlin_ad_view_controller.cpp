// The Marlin full-page adapter: the shared adapter's life, starting and stopping the library, showing,
// and the library's callbacks as notifications.
#include "ads/mediation/marlin_ad_view_controller.h"

#include <exception>

#include "ads/mediation/med_log.h"
#include "core/main_thread.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/scalar.h"

namespace zelvan::mediation {
namespace {

std::string_view gameId(const AdNetworkRef& network) {
    return network ? std::string_view(network->adNetworkGameIDs[0]) : std::string_view();
}

void postFailure(const char* reason) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kFullPageAdFailureNotification, fnd::Value(reason));
}

} // namespace

MarlinAdViewController::MarlinAdViewController(std::weak_ptr<MediationContext> context)
    : context_(std::move(context)) {}

std::shared_ptr<MarlinAdViewController>
MarlinAdViewController::initWithNetworkInfo(std::weak_ptr<MediationContext> context, AdNetworkRef network) {
    auto made = std::make_shared<MarlinAdViewController>(std::move(context));
    made->networkObj_ = std::move(network);
    made->setAppIdFromStr(gameId(made->networkObj_));
    return made;
}

void MarlinAdViewController::setAppIdFromStr(std::string_view text) {
    const int64_t id = fnd::longLongValue(text);
    applicationId_ = id == 0 ? kDefaultApplicationId : id;
}

std::shared_ptr<MarlinLibrary> MarlinAdViewController::library() const {
    auto context = context_.lock();
    return context ? context->libraries().marlin : nullptr;
}

// --- The shared adapter ---

std::shared_ptr<MarlinAdViewController>
MarlinAdViewController::sharedObjectWithNetworkInfo(MediationContext& context, const AdNetworkRef& network) {
    auto& libraries = context.libraries();
    if (!libraries.sharedMarlin) {
        libraries.sharedMarlin = initWithNetworkInfo(context.weak_from_this(), network);
        marlinInitWithAppId(context, libraries.sharedMarlin->applicationId());
        return libraries.sharedMarlin;
    }
    auto shared = libraries.sharedMarlin;
    const int64_t id = fnd::longLongValue(gameId(network));
    if (id != 0 && id != shared->applicationId()) {
        shared->setAppIdFromStr(gameId(network));
        destoryMarlin(context);
        marlinInitWithAppId(context, id);
    }
    return shared;
}

std::shared_ptr<MarlinAdViewController> MarlinAdViewController::sharedObject(MediationContext& context) {
    return context.libraries().sharedMarlin;
}

void MarlinAdViewController::marlinInitWithAppId(MediationContext& context, int64_t applicationId) {
    auto shared = context.libraries().sharedMarlin;
    if (!shared) {
        return;
    }
    auto library = context.libraries().marlin;
    if (!library || !library->available()) {
        context.libraries().noteMissingClient("marlin");
        return;
    }
    auto core = context.offerCore();
    try {
        library->MNInit(applicationId);
        library->MNSetDelegate(shared);
        library->MNSetTimeout(15);
        shared->marlinInitialized_ = true;
        library->MNSetRelativeRotation(core ? core->fullPageAdAngle() : 0);
    } catch (const std::exception& error) {
        shared->marlinInitialized_ = false;
        MED_LOG(3, "Marlin threw an exception and not initialized");
        MED_LOG(5, "Marlin: %@", error.what());
    } catch (...) {
        shared->marlinInitialized_ = false;
        MED_LOG(3, "Marlin threw an exception and not initialized");
    }
}

void MarlinAdViewController::destoryMarlin(MediationContext& context) {
    MED_LOG(4, "Going to destroy Marlin Object");
    auto shared = context.libraries().sharedMarlin;
    if (!shared || !shared->marlinInitialized_) {
        return;
    }
    MED_LOG(4, "MNDealloc called of MarlinAdViewController");
    if (auto library = context.libraries().marlin) {
        library->MNDealloc();
    }
    shared->marlinInitialized_ = false;
}

void MarlinAdViewController::destroy(MediationContext& context) {
    MED_LOG(4, "Static destroy of MarlinAdViewController");
    std::lock_guard lock(context.libraries().marlinLock);
    destoryMarlin(context);
    // The full-page controller holds the adapter weakly, so it forgets it with this.
    context.libraries().sharedMarlin.reset();
}

// --- The full-page network ---

void MarlinAdViewController::showFullpageAd() {
    MED_LOG(4, "Marlin full page Ad Request");
    auto lib = library();
    if (!marlinInitialized_ || !lib) {
        // A library that is missing or did not start has no ad: the host hears so instead of nothing.
        if (auto context = context_.lock(); context && (!lib || !lib->available())) {
            context->libraries().noteMissingClient("marlin");
        }
        postFailure("Marlin: No Ad to display");
        return;
    }
    const bool status = lib->MNDisplayAd();
    MED_LOG(4, "MN Display Ad Status %d", status ? 1 : 0);
    if (!status) {
        MED_LOG(3, "Marlin Ad Failure, Cannot retreive Ad");
        postFailure("Marlin: No Ad to display");
    }
}

void MarlinAdViewController::setFullPagenNetworkOrientation(float angle) {
    auto lib = library();
    if (marlinInitialized_ && lib) {
        lib->MNSetRelativeRotation(angle);
    }
}

// --- The library's callbacks ---

void MarlinAdViewController::later(void (MarlinAdViewController::*step)()) {
    onMain(weak_from_this(), step);
}

void MarlinAdViewController::marlinDisplayWillOpen() {
    later(&MarlinAdViewController::opened);
}

void MarlinAdViewController::marlinDisplayWillClose() {
    later(&MarlinAdViewController::closed);
}

void MarlinAdViewController::marlinAdDisplayFailed() {
    later(&MarlinAdViewController::displayFailed);
}

void MarlinAdViewController::marlinConnectionFailed() {
    later(&MarlinAdViewController::connectionFailed);
}

void MarlinAdViewController::opened() {
    MED_LOG(3, "Marlin Full Page Ad Response Returned");
    fnd::NotificationCenter::defaultCenter().postNotificationName(kFullPageAdOpenNotification);
    auto context = context_.lock();
    if (auto core = context ? context->offerCore() : nullptr) {
        core->adShownWithCampaignID(networkObj_ ? networkObj_->adCampaignId : std::string());
    }
}

void MarlinAdViewController::closed() {
    MED_LOG(3, "Marlin Full Page Ad Closed");
    fnd::NotificationCenter::defaultCenter().postNotificationName(kFullPageAdCloseNotification);
}

void MarlinAdViewController::failed(const char* reason) {
    MED_LOG(3, "%@", reason);
    postFailure(reason);
}

} // namespace zelvan::mediation
