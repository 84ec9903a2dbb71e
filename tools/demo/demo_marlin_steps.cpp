// The demo's Marlin step, with the touch and alert drivers standing in for the user.
#include "tools/demo/demo_marlin_steps.h"

#include <memory>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/button.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

// What the application hears, as the full-page adapter would.
class DemoMarlinDelegate : public marlin::MarlinDelegate {
public:
    void marlinDisplayWillOpen() override { opened = true; }
    void marlinDisplayWillClose() override { closed = true; }
    void marlinConnectionFailed() override { failed = true; }
    bool opened = false;
    bool closed = false;
    bool failed = false;
};

} // namespace

bool runMarlinSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = std::make_shared<DemoMarlinDelegate>();
    marlin::MNSetDelegate(delegate);
    marlin::MNSetTimeout(10);
    auto controller = marlin::MNInit(1001);
    if (!steps.act("start the Marlin interstitial client", controller != nullptr)) {
        return false;
    }
    auto content = controller->contentController();
    if (!steps.waitFor("the Marlin client prefetches its ad",
                       [&] { return delegate->failed || (content->isAdPrefetched() && content->clientState() == 1); }) ||
        !steps.act("the Marlin client installs", !delegate->failed)) {
        return false;
    }
    session.marlinRequests.push_back("client " + controller->clientVersion().value_or("none") + " from " +
                                     controller->serverURL() + "/req_js.htm");
    const bool unpacked = fnd::FileManager::fileExistsAtPath(
        fnd::appendingPathComponent(fnd::AppFolders::documents(), "MNContent/demo/library.plist"));
    session.marlinRequests.push_back(std::string(unpacked ? "prefetched " : "no ad from ") + controller->serverURL() +
                                     "/ads/demo.zip");
    if (!steps.act("MNDisplayAd shows the prefetched ad", marlin::MNDisplayAd()) ||
        !steps.waitFor("the interstitial is on screen", [&] {
            return delegate->opened && content->animationView() && !controller->mnWindow()->isHidden();
        })) {
        return false;
    }
    steps.pause(0.5);
    if (auto window = session.delegate->window()) {
        session.screens.save(*window, *controller->mnWindow(), "11-marlin-interstitial.png");
    }
    if (!steps.waitFor("the Menu button appears", [&] { return content->menuButton() && !content->menuButton()->isHidden(); })) {
        return false;
    }
    auto button = content->menuButton();
    const gfx::Rect frame = button->convertRectToView(button->bounds(), nullptr);
    ui::testing::TouchDriver::tap(controller->mnWindow(), gfx::Point(frame.origin.x + frame.size.width / 2,
                                                                     frame.origin.y + frame.size.height / 2));
    if (!steps.waitFor("the Menu sheet opens", [] { return ui::testing::AlertDriver::visibleSheet() != nullptr; }) ||
        !steps.act("tap Skip", ui::testing::AlertDriver::tap("Skip")) ||
        !steps.waitFor("the interstitial closes", [&] { return delegate->closed; }) ||
        !steps.waitFor("the Menu sheet fades", [] { return ui::AlertPanel::visiblePanels().empty(); })) {
        return false;
    }
    session.marlinRequests.push_back("display opened and closed by Skip");
    marlin::MNDealloc();
    return true;
}

} // namespace zelvan::demo
