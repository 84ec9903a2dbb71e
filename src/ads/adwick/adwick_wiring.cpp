#include "ads/adwick/adwick_wiring.h"

#include <utility>

#include "ads/adwick/adwick_flex_ad.h"
#include "ads/adwick/adwick_landing_screens.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickContext> makeAdwick(const NetworkEndpoint& endpoint, std::shared_ptr<fnd::WorkerPool> workers) {
    auto made = std::make_shared<AdwickContext>(endpoint, std::move(workers));
    made->setFlexAdFactory(defaultFlexAdFactory());
    made->setLandingScreens(defaultLandingScreens());
    return made;
}

} // namespace zelvan::adwick
