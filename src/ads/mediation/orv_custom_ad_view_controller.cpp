// The custom-ad placeholder view and its delayed ready report.
#include "ads/mediation/orv_custom_ad_view_controller.h"

#include "ads/mediation/med_log.h"
#include "platform/graphics/color.h"

namespace zelvan::mediation {

std::shared_ptr<ORVCustomAdViewController>
ORVCustomAdViewController::initWithController(std::weak_ptr<ORVAdController> controller, AttemptToken token) {
    MED_LOG(4, "CustomAds View Generated");
    auto view = ui::View::create<ORVCustomAdViewController>(gfx::Rect(0, 0, 320, 55));
    view->setBackgroundColor(gfx::Color(0, 1, 0));
    view->setAlpha(0);
    view->adController_ = std::move(controller);
    view->token_ = token;
    std::weak_ptr<ORVCustomAdViewController> weak = view;
    view->pending_ = fnd::RunLoop::current().performAfter(kReadyDelay, [weak] {
        if (auto self = weak.lock()) {
            self->callAdReady();
        }
    });
    return view;
}

ORVCustomAdViewController::~ORVCustomAdViewController() {
    pending_.cancel();
}

void ORVCustomAdViewController::callAdReady() {
    auto controller = adController_.lock();
    adController_.reset();
    if (controller) {
        controller->customAdReady(token_, self<ORVCustomAdViewController>());
    }
}

} // namespace zelvan::mediation
