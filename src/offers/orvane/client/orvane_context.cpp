// The offer network's shared context: its parser, skin folder, log threshold, colour and addresses.
#include "offers/orvane/client/orvane_context.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/orvane_connect.h"
#include "platform/foundation/log.h"

namespace zelvan::orvane {

OrvaneContext::OrvaneContext(const NetworkEndpoint& endpoint, std::string skinFolder)
    : parser_(std::make_shared<ORVParser>()), skinFolder_(std::move(skinFolder)), serviceBase_(endpoint.root()) {}

std::string OrvaneContext::serviceURL(std::string_view method) const {
    if (serviceBase_.empty()) {
        return {};
    }
    return serviceBase_ + "/Service1.asmx/" + std::string(method);
}

std::string OrvaneContext::deviceId() const {
    std::lock_guard lock(objectsMutex_);
    return deviceId_;
}

void OrvaneContext::setDeviceId(std::string id) {
    std::lock_guard lock(objectsMutex_);
    deviceId_ = std::move(id);
}

std::shared_ptr<ORVShadow> OrvaneContext::shadow() {
    std::lock_guard lock(objectsMutex_);
    if (!shadow_) {
        shadow_ = std::make_shared<ORVShadow>(*this);
    }
    return shadow_;
}

std::shared_ptr<ORVModelController> OrvaneContext::modelController() {
    std::lock_guard lock(objectsMutex_);
    if (!model_) {
        model_ = std::make_shared<ORVModelController>();
    }
    return model_;
}

std::shared_ptr<OrvaneConnect> OrvaneContext::facade() const {
    std::lock_guard lock(objectsMutex_);
    return facade_;
}

void OrvaneContext::setFacade(std::shared_ptr<OrvaneConnect> facade) {
    std::lock_guard lock(objectsMutex_);
    facade_ = std::move(facade);
}

std::shared_ptr<ORVAdModel> OrvaneContext::adModel() const {
    std::lock_guard lock(objectsMutex_);
    return adModel_;
}

void OrvaneContext::setAdModel(std::shared_ptr<ORVAdModel> model) {
    std::lock_guard lock(objectsMutex_);
    adModel_ = std::move(model);
}

OrvaneContext::FullPageFactory OrvaneContext::fullPageFactory() const {
    std::lock_guard lock(objectsMutex_);
    return fullPageFactory_;
}

void OrvaneContext::setFullPageFactory(FullPageFactory factory) {
    std::lock_guard lock(objectsMutex_);
    fullPageFactory_ = std::move(factory);
}

std::shared_ptr<ORVScreens> OrvaneContext::screens() const {
    std::lock_guard lock(objectsMutex_);
    return screens_;
}

void OrvaneContext::setScreens(std::shared_ptr<ORVScreens> screens) {
    std::lock_guard lock(objectsMutex_);
    screens_ = std::move(screens);
}

std::shared_ptr<ORVWebServiceInterface> OrvaneContext::webServiceInterface() {
    std::lock_guard lock(objectsMutex_);
    if (!webService_) {
        webService_ = std::make_shared<ORVWebServiceInterface>(*this);
    }
    return webService_;
}

std::shared_ptr<SqliteController> OrvaneContext::sqliteController() {
    std::lock_guard lock(objectsMutex_);
    if (!sqlite_) {
        sqlite_ = std::make_shared<SqliteController>(SqliteController::defaultPath());
    }
    return sqlite_;
}

void OrvaneContext::setSqliteController(std::shared_ptr<SqliteController> store) {
    std::lock_guard lock(objectsMutex_);
    sqlite_ = std::move(store);
}

std::shared_ptr<LocalPurchasedItems> OrvaneContext::localPurchasedItems() {
    std::lock_guard lock(objectsMutex_);
    if (!localPurchased_) {
        localPurchased_ = std::make_shared<LocalPurchasedItems>(*this);
    }
    return localPurchased_;
}

std::shared_ptr<ORVFiltersValueInfo> OrvaneContext::filtersValueInfo() {
    std::lock_guard lock(objectsMutex_);
    if (!filters_) {
        filters_ = std::make_shared<ORVFiltersValueInfo>();
    }
    return filters_;
}

std::shared_ptr<OrvaneContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->orvane() : nullptr;
}

} // namespace zelvan::orvane
