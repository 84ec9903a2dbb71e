#include "app/demo/marlin_demo_interstitial.h"

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/ui/button.h"

namespace zelvan::app {

namespace {

// The demo's application id at the ad host.
constexpr int64_t kDemoApplicationID = 1001;

class Interstitial : public MarlinDemoInterstitial, public marlin::MarlinDelegate {
public:
    void marlinDisplayWillOpen() override { opened_ = true; }
    void marlinDisplayWillClose() override { closed_ = true; }
    void marlinConnectionFailed() override { failed_ = true; }

    bool prefetched() const override {
        auto content = controller_->contentController();
        return content->isAdPrefetched() && content->clientState() == 1;
    }
    bool connectionFailed() const override { return failed_; }
    bool display() override { return marlin::MNDisplayAd(); }
    bool onScreen() const override {
        return opened_ && controller_->contentController()->animationView() && !controller_->mnWindow()->isHidden();
    }
    bool closed() const override { return closed_; }
    std::shared_ptr<ui::Window> window() const override { return controller_->mnWindow(); }
    std::shared_ptr<ui::View> menuButton() const override { return controller_->contentController()->menuButton(); }
    std::vector<std::string> report() const override {
        const std::string server = controller_->serverURL();
        const bool unpacked = fnd::FileManager::fileExistsAtPath(
            fnd::appendingPathComponent(fnd::AppFolders::documents(), "MNContent/demo/library.plist"));
        return {"client " + controller_->clientVersion().value_or("none") + " from " + server + "/req_js.htm",
                std::string(unpacked ? "prefetched " : "no ad from ") + server + "/ads/demo.zip"};
    }
    void finish() override { marlin::MNDealloc(); }

    std::shared_ptr<marlin::MNController> controller_;
    bool opened_ = false;
    bool closed_ = false;
    bool failed_ = false;
};

} // namespace

std::shared_ptr<MarlinDemoInterstitial> startMarlinDemoInterstitial() {
    auto made = std::make_shared<Interstitial>();
    marlin::MNSetDelegate(made);
    marlin::MNSetTimeout(10);
    made->controller_ = marlin::MNInit(kDemoApplicationID);
    return made->controller_ ? made : nullptr;
}

} // namespace zelvan::app
