#include "ads/adwick/adwick_wiring.h"

#include "ads/adwick/adwick_flex_ad.h"
#include "ads/adwick/adwick_landing_screens.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickContext> makeAdwick(const NetworkEndpoint& endpoint) {
    auto made = std::make_shared<AdwickContext>(endpoint);
    made->setFlexAdFactory(defaultFlexAdFactory());
    made->setLandingScreens(defaultLandingScreens());
    return made;
}

} // namespace zelvan::adwick
