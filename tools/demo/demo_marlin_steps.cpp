// The demo's Marlin step, with the touch and alert drivers standing in for the user.
#include "tools/demo/demo_marlin_steps.h"

#include "app/demo/marlin_demo_interstitial.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runMarlinSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto ad = app::startMarlinDemoInterstitial();
    if (!steps.act("start the Marlin interstitial client", ad != nullptr) ||
        !steps.waitFor("the Marlin client prefetches its ad",
                       [&] { return ad->connectionFailed() || ad->prefetched(); }) ||
        !steps.act("the Marlin client installs", !ad->connectionFailed())) {
        return false;
    }
    session.marlinRequests = ad->report();
    if (!steps.act("MNDisplayAd shows the prefetched ad", ad->display()) ||
        !steps.waitFor("the interstitial is on screen", [&] { return ad->onScreen(); })) {
        return false;
    }
    steps.pause(0.5);
    if (auto window = session.delegate->window()) {
        session.screens.save(*window, *ad->window(), "11-marlin-interstitial.png");
    }
    if (!steps.waitFor("the Menu button appears", [&] { return ad->menuButton() && !ad->menuButton()->isHidden(); })) {
        return false;
    }
    auto button = ad->menuButton();
    const gfx::Rect frame = button->convertRectToView(button->bounds(), nullptr);
    ui::testing::TouchDriver::tap(
        ad->window(), gfx::Point(frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2));
    if (!steps.waitFor("the Menu sheet opens", [] { return ui::testing::AlertDriver::visibleSheet() != nullptr; }) ||
        !steps.act("tap Skip", ui::testing::AlertDriver::tap("Skip")) ||
        !steps.waitFor("the interstitial closes", [&] { return ad->closed(); }) ||
        !steps.waitFor("the Menu sheet fades", [] { return ui::AlertPanel::visiblePanels().empty(); })) {
        return false;
    }
    session.marlinRequests.push_back("display opened and closed by Skip");
    ad->finish();
    return true;
}

} // namespace zelvan::demo
