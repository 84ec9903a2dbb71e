// The Kavlo client's shared context and where it is found: the installed delegate's `kavlo` slot.
#include "analytics/kavlo/kavlo_context.h"

#include <utility>

#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_reachability.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::kavlo {

KavloContext::KavloContext(std::shared_ptr<Reachability> reachability)
    : reachability_(std::make_shared<KavloReachability>(std::move(reachability))) {}

KavloContext::~KavloContext() = default;

std::shared_ptr<KavloDatabase> KavloContext::database() const {
    std::lock_guard lock(mutex_);
    return database_;
}

void KavloContext::setDatabase(std::shared_ptr<KavloDatabase> database) {
    std::lock_guard lock(mutex_);
    database_ = std::move(database);
}

std::shared_ptr<KavloContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::kavlo) : nullptr;
}

} // namespace zelvan::kavlo
