// The Kavlo client's shared context and where it is found: the installed delegate's `kavlo` slot.
#include "analytics/kavlo/kavlo_context.h"

#include <utility>

#include "analytics/kavlo/kavlo_reachability.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/url.h"

namespace zelvan::kavlo {

KavloContext::KavloContext(std::shared_ptr<Reachability> reachability, const NetworkEndpoint& endpoint)
    : serverURL_(endpoint.root()), reachability_(std::make_shared<KavloReachability>(std::move(reachability))) {}

KavloContext::~KavloContext() {
    if (teardown_) {
        teardown_(*this);
    }
}

std::string KavloContext::serverURL() const {
    std::lock_guard lock(mutex_);
    return serverURL_;
}

std::string KavloContext::serverHost() const {
    std::lock_guard lock(mutex_);
    auto url = fnd::Url::parse(serverURL_);
    return url ? url->host() : std::string();
}

void KavloContext::setServerURL(const std::string& url) {
    std::lock_guard lock(mutex_);
    serverURL_ = url;
}

std::shared_ptr<KavloController> KavloContext::controller() const {
    std::lock_guard lock(mutex_);
    return controller_;
}

void KavloContext::setController(std::shared_ptr<KavloController> controller) {
    std::lock_guard lock(mutex_);
    controller_ = std::move(controller);
}

std::shared_ptr<KavloMessenger> KavloContext::messenger() const {
    std::lock_guard lock(mutex_);
    return messenger_;
}

void KavloContext::setMessenger(std::shared_ptr<KavloMessenger> messenger) {
    std::lock_guard lock(mutex_);
    messenger_ = std::move(messenger);
}

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
