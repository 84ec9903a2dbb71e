// The demo's offer wall step, over the window the game steps left.
#include "tools/demo/demo_offer_wall_steps.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/get_offers_view.h"
#include "offers/orvane/orv_icon_reads.h"
#include "offers/orvane/orv_model_controller.h"
#include "offers/orvane/orvane_context.h"
#include "platform/foundation/format.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

bool runOfferWallSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto context = delegate->orvane();
    if (!steps.act("the offer network runs", context != nullptr && window != nullptr) ||
        !steps.waitFor("the offer network's account",
                       [&] { return context->modelController()->orvaneUserAccountObj().has_value(); })) {
        return false;
    }
    const std::string pointsId = context->modelController()->orvaneUserAccountObj()->pointsID;
    const int iconsBefore = orvane::ORVIconReads::succeeded();
    auto wall = orvane::GetOffersView::initWithPublisherUserId(pointsId, gfx::Rect(0, 0, 320, 480));
    wall->myLoadView();
    window->addSubview(wall);
    if (!steps.waitFor("the offer wall's rows", [&] { return !wall->rowsOfTab(0).empty(); }) ||
        !steps.waitFor("the offer wall's first icons",
                       [&] { return orvane::ORVIconReads::succeeded() - iconsBefore >= 3; })) {
        return false;
    }
    steps.pause(0.8); // the icons fade in over half a second
    session.screens.save(*window, "08-offer-wall.png");
    session.orvaneRequests.push_back(fnd::format("GetOffers answered: %d offers, %d videos for %s",
                                                 static_cast<int>(wall->rowsOfTab(0).size()),
                                                 static_cast<int>(wall->rowsOfTab(1).size()), pointsId));
    session.orvaneRequests.push_back(fnd::format("GetAppIcon: %d read, %d failed, %d running, %d waiting",
                                                 orvane::ORVIconReads::succeeded() - iconsBefore,
                                                 orvane::ORVIconReads::failed(), orvane::ORVIconReads::inFlight(),
                                                 orvane::ORVIconReads::waiting()));
    return true;
}

} // namespace zelvan::demo
