// The demo's goods store steps: the start-up bought-item prompt, and the store over the offer wall the step
// before left open.
#include "tools/demo/demo_goods_store_steps.h"

#include "app/demo/orvane_store_demo.h"
#include "core/zelvan_app_delegate.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runBoughtGoodsPromptSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    if (!steps.waitFor("the offer network's bought goods", [&] { return app::boughtGoodsChecked(*delegate); })) {
        return false;
    }
    auto prompt = ui::testing::AlertDriver::visibleAlert();
    if (!prompt || prompt->message().rfind("You have successfully acquired item", 0) != 0) {
        return true;
    }
    return steps.act("answer the bought-item prompt \"Cancel\"", ui::testing::AlertDriver::tap(prompt, "Cancel"));
}

bool runGoodsStoreSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    if (!steps.act("the window is there", window != nullptr)) {
        return false;
    }
    auto store = app::openGoodsStore(*delegate, *window);
    if (!steps.act("open the goods store", store != nullptr) ||
        !steps.waitFor("the goods store's lists", [&] { return app::goodsStoreListed(store); })) {
        return false;
    }
    steps.pause(0.8); // the store's opening transition
    session.screens.save(*window, "19-goods-store.png");
    session.goodsStoreRequests = app::goodsStoreReport(store);
    return true;
}

} // namespace zelvan::demo
