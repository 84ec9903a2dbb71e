// The Tallio client's wiring: its context and the parts the context hands out, made in one place.
// app/wiring/tallio.cpp calls makeTallio in the registry's `tallio` slot; tests call it too.
#pragma once

#include <memory>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_ad_view.h"
#include "core/network_endpoint.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::tallio {

class TallioContext;

// The context over `endpoint` and `sender`, its session reports run on `workerPool`, with the one hook-ad
// reply parser, the hook-view factory (its banners open TallioAdCanvasViewController) and the page-view
// counter. Nothing starts: no task, file or request before TallioAPI::startSession.
std::shared_ptr<TallioContext> makeTallio(const NetworkEndpoint& endpoint, std::shared_ptr<ReportSender> sender,
                                          std::shared_ptr<fnd::WorkerPool> workerPool);

// What a banner of `context` is handed: the context, its parser and the canvas screen's opener.
TallioBannerParts bannerParts(const std::shared_ptr<TallioContext>& context);

} // namespace zelvan::tallio
