#include "ads/adwick/adwick_landing_screens.h"

#include "ads/adwick/adwick_browser_controller.h"
#include "ads/adwick/adwick_canvas_controller.h"
#include "ads/adwick/adwick_search_view_controller.h"

namespace zelvan::adwick {

AdwickLandingScreens defaultLandingScreens() {
    return {
        [](const std::shared_ptr<AdwickContext>& context) {
            return std::make_shared<AdwickBrowserController>(context);
        },
        [](const std::shared_ptr<AdwickContext>& context) { return std::make_shared<AdwickCanvasController>(context); },
        [](const std::shared_ptr<AdwickContext>& context) {
            return std::make_shared<AdwickSearchViewController>(context);
        }};
}

} // namespace zelvan::adwick
