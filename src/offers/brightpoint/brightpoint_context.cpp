// The offer wall's shared context and where it is found: the installed delegate's `brightpoint` slot.
#include "offers/brightpoint/brightpoint_context.h"

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "offers/brightpoint/bp_image_cache.h"

namespace zelvan::brightpoint {

BrightpointContext::BrightpointContext() : imageCache_(std::make_shared<BPImageCache>(BPImageCache::Passkey())) {}

std::shared_ptr<BrightpointContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::brightpoint) : nullptr;
}

} // namespace zelvan::brightpoint
