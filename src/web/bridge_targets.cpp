// The process-wide registry of the bridge's targets, guarded by one lock.
#include "web/bridge_targets.h"

#include <mutex>

namespace zelvan {
namespace {

std::recursive_mutex& targetsMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

BridgeTargets& installedTargets() {
    static BridgeTargets targets;
    return targets;
}

} // namespace

void BridgeTargets::install(const std::function<void(BridgeTargets&)>& edit) {
    if (!edit) {
        return;
    }
    // Recursive, so an editor that reads current() does not block itself.
    std::lock_guard lock(targetsMutex());
    edit(installedTargets());
}

BridgeTargets BridgeTargets::current() {
    std::lock_guard lock(targetsMutex());
    return installedTargets();
}

} // namespace zelvan
