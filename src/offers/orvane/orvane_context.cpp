// The offer network's shared context: its parser, skin folder, log threshold, colour and addresses.
#include "offers/orvane/orvane_context.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/orv_parser.h"
#include "platform/foundation/log.h"

namespace zelvan::orvane {

OrvaneContext::OrvaneContext(std::string_view adsBase, std::string skinFolder)
    : parser_(std::make_shared<ORVParser>()), skinFolder_(std::move(skinFolder)) {
    if (adsBase.empty()) {
        ZLOG(Info, "offer network: no --ads-base given, so none of its requests is sent");
    } else {
        serviceBase_ = std::string(adsBase) + "/orvane";
    }
}

std::string OrvaneContext::serviceURL(std::string_view method) const {
    if (serviceBase_.empty()) {
        return {};
    }
    return serviceBase_ + "/Service1.asmx/" + std::string(method);
}

std::shared_ptr<OrvaneContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->orvane() : nullptr;
}

} // namespace zelvan::orvane
