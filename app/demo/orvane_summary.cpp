// The offer network's line of the demo summary: how its connect and ad-order requests ended.
#include "app/demo/orvane_summary.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "offers/orvane/offers/orv_icon_reads.h"
#include "platform/foundation/format.h"
#include "platform/ui/screen.h"

namespace zelvan::app {

std::string orvaneSummary(zelvanAppDelegate& delegate) {
    auto context = delegate.orvane();
    if (!context || !context->facade()) {
        return "offer network: not started\n";
    }
    auto shadow = context->shadow();
    const char* connect = "not sent";
    switch (shadow->connectState()) {
    case orvane::ORVShadow::ConnectState::None:
        break;
    case orvane::ORVShadow::ConnectState::InFlight:
        connect = "in flight";
        break;
    case orvane::ORVShadow::ConnectState::Connected:
        connect = "answered";
        break;
    case orvane::ORVShadow::ConnectState::Failed:
        connect = "failed";
        break;
    }
    const char* order = "not sent";
    if (shadow->adOrderInFlight()) {
        order = "in flight";
    } else if (shadow->adOrderError()) {
        order = "failed";
    } else if (shadow->getAdOrderState() == 1) {
        order = "answered";
    }
    const auto& banners = context->modelController()->adNetworkArray();
    return fnd::format("offer network: connect %s, GetAdOrder %s (%d banner networks)\n", connect, order,
                       banners ? static_cast<int>(banners->size()) : 0);
}

bool orvaneAccountReady(zelvanAppDelegate& delegate) {
    auto context = delegate.orvane();
    return context && context->modelController()->orvaneUserAccountObj().has_value();
}

std::shared_ptr<ui::View> openOfferWall(zelvanAppDelegate& delegate, ui::View& window) {
    if (!orvaneAccountReady(delegate)) {
        return nullptr;
    }
    const std::string pointsId = delegate.orvane()->modelController()->orvaneUserAccountObj()->pointsID;
    auto wall = orvane::GetOffersView::initWithPublisherUserId(pointsId, ui::Screen::main().applicationFrame());
    wall->myLoadView();
    window.addSubview(wall);
    return wall;
}

int offerWallOffers(const std::shared_ptr<ui::View>& wall) {
    auto offers = std::dynamic_pointer_cast<orvane::GetOffersView>(wall);
    return offers ? static_cast<int>(offers->rowsOfTab(orvane::GetOffersView::OffersTab).size()) : -1;
}

int offerWallIconsRead() {
    return orvane::ORVIconReads::succeeded();
}

std::vector<std::string> offerWallReport(const std::shared_ptr<ui::View>& wall, int iconsBefore) {
    auto offers = std::dynamic_pointer_cast<orvane::GetOffersView>(wall);
    if (!offers) {
        return {};
    }
    return {fnd::format("GetOffers answered: %d offers, %d videos for %s",
                        static_cast<int>(offers->rowsOfTab(orvane::GetOffersView::OffersTab).size()),
                        static_cast<int>(offers->rowsOfTab(orvane::GetOffersView::VideosTab).size()),
                        offers->publisherUserId()),
            fnd::format("GetAppIcon: %d read, %d failed, %d running, %d waiting",
                        orvane::ORVIconReads::succeeded() - iconsBefore, orvane::ORVIconReads::failed(),
                        orvane::ORVIconReads::inFlight(), orvane::ORVIconReads::waiting())};
}

} // namespace zelvan::app
