// The Marlin client's way to its context: the `marlin` slot of the installed application delegate.
#include "ads/marlin/marlin_entry_points.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::marlin {

std::shared_ptr<MarlinEntryPoints> MarlinEntryPoints::context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::marlin) : nullptr;
}

} // namespace zelvan::marlin
