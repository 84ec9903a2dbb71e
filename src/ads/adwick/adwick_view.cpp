// The public banner view: a 320 x 48 view with its controller, which starts the first ad at once.
#include "ads/adwick/adwick_view.h"

#include "ads/adwick/adwick_controller.h"
#include "platform/graphics/color.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickView> AdwickView::requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate) {
    auto view = ui::View::create<AdwickViewInternal>(gfx::Rect(0, 0, 320, 48));
    const auto mask =
        static_cast<uint32_t>(view->autoresizingMask()) &
        ~static_cast<uint32_t>(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    view->setAutoresizingMask(static_cast<ui::AutoresizingMask>(mask));
    view->setBackgroundColor(gfx::Color::clear());
    auto controller = std::make_shared<AdwickController>();
    controller->setView(view);
    controller->setDelegate(std::move(delegate));
    view->setController(controller);
    controller->startFirstAdRequest();
    return view;
}

void AdwickViewInternal::requestFreshAd() {
    if (controller_) {
        controller_->requestFreshAd();
    }
}

} // namespace zelvan::adwick
