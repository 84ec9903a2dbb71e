// The offer network's line of the demo summary: how its connect and ad-order requests ended.
#include "app/orvane_summary.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/orv_model_controller.h"
#include "offers/orvane/orv_shadow.h"
#include "offers/orvane/orvane_connect.h"
#include "offers/orvane/orvane_context.h"
#include "platform/foundation/format.h"

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

} // namespace zelvan::app
