// The offer wall's shared context and where it is found: the installed delegate's `brightpoint` slot.
#include "offers/brightpoint/brightpoint_context.h"

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/log.h"

namespace zelvan::brightpoint {

BrightpointContext::BrightpointContext(std::string_view adsBase)
    : imageCache_(std::make_shared<BPImageCache>(BPImageCache::Passkey())),
      server_(adsBase.empty() ? std::string() : std::string(adsBase) + "/brightpoint") {
    if (server_.empty()) {
        ZLOG(Info, "Brightpoint: no --ads-base given, so none of the offer wall's requests is sent");
    }
}

std::shared_ptr<Brightpoint> BrightpointContext::client() {
    std::lock_guard lock(mutex_);
    if (!client_) {
        client_ = std::make_shared<Brightpoint>(server_);
    }
    return client_;
}

std::shared_ptr<BrightpointContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::brightpoint) : nullptr;
}

} // namespace zelvan::brightpoint
