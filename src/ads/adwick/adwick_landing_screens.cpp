#include "ads/adwick/adwick_landing_screens.h"

namespace zelvan::adwick {

AdwickLandingScreens defaultLandingScreens() {
    return {[] { return std::make_shared<AdwickBrowserController>(); },
            [] { return std::make_shared<AdwickCanvasController>(); },
            [] { return std::make_shared<AdwickSearchViewController>(); }};
}

} // namespace zelvan::adwick
