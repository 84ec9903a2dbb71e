// The mediation's shared context: the starters, the settings and the services it is handed.
#include "ads/mediation/mediation_context.h"

#include <utility>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::mediation {

std::vector<AdNetworkRef> defaultAdProvidersInfo() {
    auto house = std::make_shared<AdNetwork>();
    house->adLibraryName = "orvaneads";
    return {house};
}

MediationContext::MediationContext(std::shared_ptr<NetworkLibraries> libraries)
    : libraries_(libraries ? std::move(libraries) : std::make_shared<NetworkLibraries>()) {}

void MediationContext::setStarter(const std::string& key, Starter starter) {
    if (starter) {
        starters_[key] = std::move(starter);
    } else {
        starters_.erase(key);
    }
}

MediationContext::Starter MediationContext::starter(const std::string& key) const {
    auto found = starters_.find(key);
    return found == starters_.end() ? Starter() : found->second;
}

std::shared_ptr<MediationContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::mediation) : nullptr;
}

} // namespace zelvan::mediation
