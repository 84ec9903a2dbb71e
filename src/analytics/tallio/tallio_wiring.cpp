// The Tallio client's wiring: the context and its parser, banners and page-view counter.
#include "analytics/tallio/tallio_wiring.h"

#include <utility>

#include "analytics/tallio/tallio_ad_canvas_view_controller.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_page_view_delegate.h"

namespace zelvan::tallio {

TallioBannerParts bannerParts(const std::shared_ptr<TallioContext>& context) {
    return TallioBannerParts{context, context ? context->adParser() : nullptr,
                             &TallioAdCanvasViewController::openFromBanner};
}

std::shared_ptr<TallioContext> makeTallio(const NetworkEndpoint& endpoint, std::shared_ptr<ReportSender> sender,
                                          std::shared_ptr<fnd::WorkerPool> workerPool) {
    auto context = std::make_shared<TallioContext>(endpoint, std::move(sender), std::make_shared<TallioAdParser>(),
                                                   std::move(workerPool));
    context->setHookViewFactory(std::make_shared<TallioHookViewFactory>(bannerParts(context)));
    // The counter keeps the proxies it puts before the controllers' delegates; the context keeps it.
    context->setPageViewCounter(std::make_shared<TallioPageViewCounter>(*context));
    return context;
}

} // namespace zelvan::tallio
