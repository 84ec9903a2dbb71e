// The demo's banner step, driving the chat window that the messenger steps left open.
#include "tools/demo/demo_adwick_steps.h"

#include "ads/zlv_ad_wrapper_view.h"
#include "app/demo/ad_banner_report.h"
#include "app/wiring/mediation.h"
#include "messaging/lists/im_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/ui/window.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan::demo {

bool runAdwickSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto im = std::dynamic_pointer_cast<IMController>(delegate->im());
    auto chatWindow = im ? im->chatController() : nullptr;
    auto databases = delegate->webDatabases();
    if (!steps.act("the chat window is open",
                   chatWindow && chatWindow->viewIfLoaded() && chatWindow->view()->window() != nullptr) ||
        !steps.act("turn the chat ads on",
                   databases && databases->setFeatures(fnd::Value::dictionary({{"chatads", fnd::Value(1)}})))) {
        return false;
    }
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView());
    // For this step only: the feature list's first banner network fills the view otherwise.
    auto listed = wrapper ? wrapper->adSource() : nullptr;
    auto adwickSource = app::bannerSourceFor(*delegate, "adwick");
    if (!steps.act("the shared ad view takes Adwick banners", wrapper && adwickSource != nullptr)) {
        return false;
    }
    wrapper->setAdSource(adwickSource);
    // The chat window shows the ad view when it appears.
    chatWindow->viewDidAppear(ui::Animated::No);
    if (!steps.waitFor("the Adwick banner loads in the chat", [&] {
            // Available once the first ad has loaded with its pictures and its view is in place.
            return wrapper->isAdViewAvailable() && wrapper->superview() != nullptr;
        })) {
        return false;
    }
    steps.pause(0.3);
    session.screens.save(*window, "09-adwick-banner.png");

    session.adwickRequests = app::adwickBannerReport(*delegate);
    wrapper->setAdSource(listed);
    return true;
}

} // namespace zelvan::demo
