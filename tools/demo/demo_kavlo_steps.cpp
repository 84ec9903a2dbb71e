// The demo's answer to the Kavlo client's usage-statistics question.
#include "tools/demo/demo_kavlo_steps.h"

#include <memory>
#include <string>

#include "ads/zlv_ad_wrapper_view.h"
#include "app/demo/kavlo_summary.h"
#include "app/wiring/mediation.h"
#include "messaging/lists/im_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"

namespace zelvan::demo {

bool runKavloSteps(DemoSession& session) {
    auto& steps = session.steps;
    std::shared_ptr<ui::AlertView> question;
    if (!steps.waitFor("the usage statistics question", [&] {
            question = ui::testing::AlertDriver::visibleAlert();
            return question &&
                   question->message().find("would like to gather anonymous usage statistics") != std::string::npos;
        })) {
        return false;
    }
    return steps.act("answer the usage statistics question \"OK\"", ui::testing::AlertDriver::tap(question, "OK"));
}

bool runKavloBannerSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto im = std::dynamic_pointer_cast<IMController>(delegate->im());
    auto chatWindow = im ? im->chatController() : nullptr;
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView());
    // For this step only: the source the view had comes back afterwards.
    auto listed = wrapper ? wrapper->adSource() : nullptr;
    auto source = app::bannerSourceFor(*delegate, "kavlo");
    if (!steps.act("the shared ad view in the chat takes a Kavlo banner",
                   chatWindow && chatWindow->viewIfLoaded() && wrapper && source)) {
        return false;
    }
    wrapper->setAdSource(source);
    chatWindow->viewDidAppear(ui::Animated::No);
    if (!steps.waitFor("the Kavlo banner loads in the chat", [&] {
            return source->isAdViewReady() && wrapper->isAdViewAvailable() && wrapper->superview() != nullptr;
        })) {
        return false;
    }
    steps.pause(0.3);
    session.screens.save(*delegate->window(), "12-kavlo-banner.png");
    session.kavloAdRequests.push_back(app::kavloBannerReport(*source));
    wrapper->setAdSource(listed);
    return true;
}

} // namespace zelvan::demo
