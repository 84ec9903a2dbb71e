// The demo's Selvo step, over whatever the window shows at that point.
#include "tools/demo/demo_selvo_steps.h"

#include "app/demo/selvo_demo_ad.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runSelvoSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto window = session.delegate->window();
    auto ad = app::showSelvoDemoAd(*session.delegate);
    if (!steps.act("make a Selvo small banner", ad && ad->view() && window)) {
        return false;
    }
    if (!steps.waitFor("the Selvo view displays its ad", [&] { return ad->displayed(); })) {
        return false;
    }
    // As the mediation does once the ad is displayed: the view goes into the view tree.
    auto view = ad->view();
    view->setFrame(gfx::Rect(0, 20, 320, 50));
    window->addSubview(view);
    steps.pause(0.3);
    session.screens.save(*window, "10-selvo-ad.png");
    session.selvoRequests = ad->report();
    view->removeFromSuperview();
    return true;
}

} // namespace zelvan::demo
