// The offer network's shared context: its parser, skin folder, colour, addresses, what the composition root
// installs and the client objects makeOrvane sets.
#include "offers/orvane/client/orvane_context.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/client/orv_parser.h"

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

void OrvaneContext::setObjects(Objects objects) {
    std::lock_guard lock(objectsMutex_);
    objects_ = std::move(objects);
}

std::shared_ptr<ORVShadow> OrvaneContext::shadow() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.shadow;
}

std::shared_ptr<ORVModelController> OrvaneContext::modelController() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.modelController;
}

std::shared_ptr<ORVWebServiceInterface> OrvaneContext::webServiceInterface() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.webServiceInterface;
}

std::shared_ptr<SqliteController> OrvaneContext::sqliteController() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.sqliteController;
}

std::shared_ptr<ORVFiltersValueInfo> OrvaneContext::filtersValueInfo() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.filtersValueInfo;
}

std::shared_ptr<OrvaneConnect> OrvaneContext::makeFacade() const {
    std::function<std::shared_ptr<OrvaneConnect>()> maker;
    {
        std::lock_guard lock(objectsMutex_);
        maker = objects_.makeFacade;
    }
    return maker ? maker() : nullptr;
}

std::shared_ptr<OrvaneConnect> OrvaneContext::facade() const {
    std::lock_guard lock(objectsMutex_);
    return facade_;
}

void OrvaneContext::setFacade(std::shared_ptr<OrvaneConnect> facade) {
    std::lock_guard lock(objectsMutex_);
    facade_ = std::move(facade);
}

std::shared_ptr<OrvaneContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->orvane() : nullptr;
}

} // namespace zelvan::orvane
