// ORVCustomAdViewController: the placeholder a controller puts on screen for a custom-ad network (one the
// host application fills itself): a 320 x 55 green view, transparent, that reports itself ready to its
// controller 0.04 s after it is made. It is also that attempt's adapter.
#pragma once

#include <memory>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {

class ORVCustomAdViewController : public ui::View, public MediationAdapter {
public:
    static constexpr double kReadyDelay = 0.04;

    std::string className() const override { return "ORVCustomAdViewController"; }

    // Schedules callAdReady after kReadyDelay.
    static std::shared_ptr<ORVCustomAdViewController> initWithController(std::weak_ptr<ORVAdController> controller,
                                                                         AttemptToken token);
    ~ORVCustomAdViewController() override;

    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    void setAdController(std::weak_ptr<ORVAdController> controller) { adController_ = std::move(controller); }

    // Reports this view to the controller, then forgets the controller.
    void callAdReady();

private:
    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    fnd::PerformHandle pending_;
};

} // namespace zelvan::mediation
