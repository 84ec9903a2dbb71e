// The one place this library reads the installed application delegate; everything else asks context().
#include "offers/orvane/orvane_context_access.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/orvane_context.h"

namespace zelvan::orvane {

std::shared_ptr<OrvaneContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->orvane() : nullptr;
}

} // namespace zelvan::orvane
