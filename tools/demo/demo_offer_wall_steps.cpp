// The demo's offer wall step, over the window the game steps left.
#include "tools/demo/demo_offer_wall_steps.h"

#include "app/demo/orvane_summary.h"
#include "core/zelvan_app_delegate.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runOfferWallSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    if (!steps.act("the window is there", window != nullptr) ||
        !steps.waitFor("the offer network's account", [&] { return app::orvaneAccountReady(*delegate); })) {
        return false;
    }
    const int iconsBefore = app::offerWallIconsRead();
    auto wall = app::openOfferWall(*delegate, *window);
    if (!steps.act("open the offer wall", wall != nullptr) ||
        !steps.waitFor("the offer wall's rows", [&] { return app::offerWallOffers(wall) > 0; }) ||
        !steps.waitFor("the offer wall's first icons", [&] { return app::offerWallIconsRead() - iconsBefore >= 3; })) {
        return false;
    }
    steps.pause(0.8); // the icons fade in over half a second
    session.screens.save(*window, "08-offer-wall.png");
    session.orvaneRequests = app::offerWallReport(wall, iconsBefore);
    return true;
}

} // namespace zelvan::demo
