// The demo's hook-ad step, on the chat window the banner steps left open.
#include "tools/demo/demo_tallio_steps.h"

#include "app/demo/tallio_demo_ad.h"
#include "platform/ui/window.h"
#include "tools/demo/demo_ad_features.h"

namespace zelvan::demo {

bool runTallioSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto window = session.delegate->window();
    auto ad = app::makeTallioDemoAd(*session.delegate);
    if (!steps.act("the analytics client is running", ad && window)) {
        return false;
    }
    if (!steps.waitFor("the analytics report's hook ads are parsed", [&] { return ad->replyParsed(); }) ||
        !askForAdFeatures(session) ||
        !steps.waitFor("the shared ad view takes the hook-ad banner", [&] { return ad->inAdView(); }) ||
        !steps.waitFor("the hook-ad banner shows its ad in the chat", [&] { return ad->adAvailable(); })) {
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
