// Where the reachability monitor is found: the installed application delegate's `reachability` slot. The
// one place this library reads the installed delegate.
#include "ads/selvo/reachability/reachability.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::selvo {

std::shared_ptr<Reachability> Reachability::sharedReachability() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::reachability) : nullptr;
}

} // namespace zelvan::selvo
