// Where the reachability monitor is found: the installed application delegate's `reachability` slot. The
// one place this library reads the installed delegate.
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "reachability/reachability.h"

namespace zelvan {

std::shared_ptr<Reachability> Reachability::sharedReachability() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::reachability) : nullptr;
}

} // namespace zelvan
