// The registry's class operations over the context.
#include "ads/mediation/orv_ad_model.h"

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"

namespace zelvan::mediation {

std::recursive_mutex* ORVAdModel::getLock() {
    auto shared = context();
    return shared ? &shared->getLock() : nullptr;
}

std::shared_ptr<ORVAdController> ORVAdModel::getAdController(int eventId) {
    auto shared = context();
    return shared ? shared->getAdController(eventId) : nullptr;
}

std::shared_ptr<ORVAdController> ORVAdModel::resetAdController(int eventId) {
    auto shared = context();
    return shared ? shared->resetAdController(eventId) : nullptr;
}

void ORVAdModel::cleanView(ui::View& view) {
    MediationContext::cleanView(view);
}

void ORVAdModel::destroy() {
    if (auto shared = context()) {
        shared->destroy();
    }
}

} // namespace zelvan::mediation
