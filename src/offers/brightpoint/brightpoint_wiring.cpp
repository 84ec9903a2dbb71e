// How the offer wall's objects are made and what each is handed: the client gets the server and what
// makes its wall; the wall gets the client and what makes its tabs; each tab's page gets the client, the
// icon cache, the context and the worker pool.
#include "offers/brightpoint/brightpoint_wiring.h"

#include "offers/brightpoint/bp_advertising.h"
#include "offers/brightpoint/bp_app_table_view_controller.h"
#include "offers/brightpoint/bp_in_app_view_controller.h"
#include "offers/brightpoint/bp_offer_table_view_controller.h"
#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_payment_controller.h"
#include "offers/brightpoint/bp_web_pages.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"

namespace zelvan::brightpoint {

namespace {

// The root page of each tab: the Offers tab starts with the offer lists, the Apps tab with the app lists,
// the in-app tab with the currency store, the direct and status tabs with their web pages.
std::shared_ptr<ui::ViewController> makeTab(BPTab tab, const BPPageServices& services) {
    switch (tab) {
    case BPTab::Offers:
        return std::make_shared<BPOfferTableViewController>(services);
    case BPTab::Apps:
        return std::make_shared<BPAppTableViewController>(services);
    case BPTab::InApp:
        return std::make_shared<BPInAppViewController>(services);
    case BPTab::Direct:
        return std::make_shared<BPDirectViewController>(services);
    case BPTab::Status:
        return std::make_shared<BPStatusViewController>(services);
    }
    return nullptr;
}

} // namespace

std::shared_ptr<BrightpointContext> makeBrightpoint(const NetworkEndpoint& endpoint,
                                                    std::shared_ptr<fnd::WorkerPool> workers) {
    auto context = std::make_shared<BrightpointContext>(endpoint, std::move(workers));
    // The pages hold the context weakly: it holds the client, which holds the wall they are part of.
    std::weak_ptr<BrightpointContext> weakContext = context;
    BPTabMaker tabMaker = [weakContext, cache = context->imageCache(),
                           pool = context->workerPool()](BPTab tab, const auto& client) {
        return makeTab(tab, BPPageServices{client, cache, weakContext, pool});
    };
    BPWallMaker wallMaker = [tabMaker](const std::shared_ptr<Brightpoint>& client) {
        return std::make_shared<BPPaymentController>(client, tabMaker);
    };
    auto clientMaker = [server = context->server(), wallMaker] {
        return std::make_shared<Brightpoint>(server, wallMaker);
    };
    auto advertisingMaker = [server = context->server()] { return std::make_shared<BPAdvertising>(server); };
    context->setMakers(clientMaker, advertisingMaker);
    return context;
}

} // namespace zelvan::brightpoint
