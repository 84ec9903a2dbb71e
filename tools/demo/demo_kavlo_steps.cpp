// The demo's answer to the Kavlo client's usage-statistics question.
#include "tools/demo/demo_kavlo_steps.h"

#include <memory>
#include <string>

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

} // namespace zelvan::demo
