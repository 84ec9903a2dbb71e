// The demo's Kavlo steps: the feature list that starts the client, its question, and its banner in the chat.
#include "tools/demo/demo_kavlo_steps.h"

#include <memory>
#include <string>

#include "ads/zlv_ad_wrapper_view.h"
#include "app/demo/kavlo_summary.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tools/demo/demo_ad_features.h"

namespace zelvan::demo {

bool runKavloSteps(DemoSession& session) {
    auto& steps = session.steps;
    if (!askForAdFeatures(session)) {
        return false;
    }
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
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate->adView());
    if (!steps.act("the shared ad view is in the chat window", wrapper && wrapper->window() != nullptr) ||
        !steps.waitFor("the shared ad view takes a Kavlo banner",
                       [&] { return wrapper->adSource() && !app::kavloBannerReport(*wrapper->adSource()).empty(); })) {
        return false;
    }
    const auto source = wrapper->adSource();
    if (!steps.waitFor("the Kavlo banner loads in the chat", [&] {
            return source->isAdViewReady() && wrapper->isAdViewAvailable() && wrapper->window() != nullptr;
        })) {
        return false;
    }
    steps.pause(0.3);
    session.screens.save(*delegate->window(), "12-kavlo-banner.png");
    session.kavloAdRequests.push_back(app::kavloBannerReport(*source));
    return true;
}

} // namespace zelvan::demo
