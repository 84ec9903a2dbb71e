// The app page's controller.
#include "offers/brightpoint/bp_app_view_controller.h"

#include <utility>

namespace zelvan::brightpoint {

BPAppViewController::BPAppViewController(BPPageServices services) : services_(std::move(services)) {}

void BPAppViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect frame = view()->bounds();
    frame.size.height -= 93;
    appView_ = ui::View::create<BPAppView>(frame, services_);
    view()->addSubview(appView_);
}

void BPAppViewController::setApp(const fnd::Value& app) {
    view();
    if (appView_) {
        appView_->setApp(app);
    }
}

} // namespace zelvan::brightpoint
