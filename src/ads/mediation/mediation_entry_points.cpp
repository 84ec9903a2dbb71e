// The mediation's class-level entry points over the installed context: the one file of the mediation,
// besides the accessor's own definition, that calls context(). Without a context nothing happens and
// nothing is returned.
#include "ads/mediation/ad_controller_registry.h"
#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_model.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "ads/mediation/selvo_interface.h"

namespace zelvan::mediation {
namespace {

// The installed context's controller registry, or null.
std::shared_ptr<AdControllerRegistry> installedControllers() {
    auto shared = context();
    return shared ? shared->controllers() : nullptr;
}

} // namespace

// --- ORVAdModel ---

std::recursive_mutex* ORVAdModel::getLock() {
    auto shared = context();
    return shared ? &shared->getLock() : nullptr;
}

std::shared_ptr<ORVAdController> ORVAdModel::getAdController(int eventId) {
    auto registry = installedControllers();
    return registry ? registry->getAdController(eventId) : nullptr;
}

std::shared_ptr<ORVAdController> ORVAdModel::resetAdController(int eventId) {
    auto registry = installedControllers();
    return registry ? registry->resetAdController(eventId) : nullptr;
}

void ORVAdModel::cleanView(ui::View& view) {
    AdControllerRegistry::cleanView(view);
}

void ORVAdModel::destroy() {
    if (auto registry = installedControllers()) {
        registry->destroy();
    }
}

// --- The shared requests ---

std::shared_ptr<OrvaneAdInterface> OrvaneAdInterface::sharedInstance() {
    auto shared = context();
    return shared ? shared->orvaneAdInterface() : nullptr;
}

std::shared_ptr<KavloInterface> KavloInterface::sharedInstance() {
    auto shared = context();
    return shared ? shared->kavloInterface() : nullptr;
}

std::shared_ptr<SelvoInterface> SelvoInterface::sharedInstance() {
    auto shared = context();
    return shared ? shared->selvoInterface() : nullptr;
}

} // namespace zelvan::mediation
