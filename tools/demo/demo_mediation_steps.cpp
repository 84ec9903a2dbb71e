// The demo's mediation step, on the chat window the banner step left open.
#include "tools/demo/demo_mediation_steps.h"

#include "ads/zlv_ad_wrapper_view.h"
#include "app/wiring/mediation.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runMediationSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView());
    if (!steps.act("the shared ad view is in the chat window", wrapper && wrapper->window() != nullptr)) {
        return false;
    }
    if (!steps.waitFor("the offer network's banner shows in the chat",
                       [&] { return wrapper->isAdViewAvailable() && !app::mediationReport(*delegate).empty(); })) {
        return false;
    }
    steps.pause(0.3);
    session.screens.save(*window, "13-mediation-banner.png");
    session.mediationImpressions = app::mediationReport(*delegate);
    return true;
}

} // namespace zelvan::demo
