// The landing screens a click can open (embedded browser, canvas page, search screen) and the factories
// the context holds to make them: the real screens unless a test replaces them. A click whose screen
// has no factory logs one line and opens nothing.
#pragma once

#include <functional>
#include <memory>

#include "ads/adwick/adwick_browser_controller.h"
#include "ads/adwick/adwick_canvas_controller.h"
#include "ads/adwick/adwick_search_view_controller.h"

namespace zelvan::adwick {

struct AdwickLandingScreens {
    std::function<std::shared_ptr<AdwickBrowserController>()> browser;
    std::function<std::shared_ptr<AdwickCanvasController>()> canvas;
    std::function<std::shared_ptr<AdwickSearchViewController>()> search;
};

// Factories of the real screens.
AdwickLandingScreens defaultLandingScreens();

} // namespace zelvan::adwick
