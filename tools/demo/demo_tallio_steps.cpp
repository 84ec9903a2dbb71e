// The demo's hook-ad step, over whatever the window shows at that point.
#include "tools/demo/demo_tallio_steps.h"

#include "app/demo/tallio_demo_ad.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runTallioSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto window = session.delegate->window();
    auto ad = app::makeTallioDemoAd(*session.delegate);
    if (!steps.act("the analytics client is running", ad && window)) {
        return false;
    }
    if (!steps.waitFor("the analytics report's hook ads are parsed", [&] { return ad->replyParsed(); })) {
        return false;
    }
    if (!steps.act("a page ad slot takes the hook-ad source", ad->show(*window, gfx::Rect(0, 20, 320, 48)))) {
        return false;
    }
    if (!steps.waitFor("the hook-ad banner shows its ad", [&] { return ad->adAvailable(); })) {
        return false;
    }
    steps.pause(0.3);
    session.screens.save(*window, "14-tallio-hook-ad.png");
    if (!steps.act("touch the hook-ad banner", ad->touch()) ||
        !steps.waitFor("the canvas page loads with its panel", [&] { return ad->canvasLoaded(); }) ||
        !steps.act("follow the canvas page's store link", ad->followStoreLink()) ||
        !steps.waitFor("the store address is opened", [&] { return ad->storeOpened(); })) {
        return false;
    }
    ad->close();
    steps.pause(0.5);
    session.tallioRequests = ad->report();
    return true;
}

} // namespace zelvan::demo
