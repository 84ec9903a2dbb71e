// The offer wall's shared context and where it is found: the installed delegate's `brightpoint` slot.
#include "offers/brightpoint/brightpoint_context.h"

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "offers/brightpoint/bp_image_cache.h"

namespace zelvan::brightpoint {

BrightpointContext::BrightpointContext(const NetworkEndpoint& endpoint, std::shared_ptr<fnd::WorkerPool> workers)
    : imageCache_(std::make_shared<BPImageCache>(BPImageCache::Passkey())), workers_(std::move(workers)),
      server_(endpoint.root()) {}

void BrightpointContext::setMakers(ClientMaker client, AdvertisingMaker advertising) {
    std::lock_guard lock(mutex_);
    makeClient_ = std::move(client);
    makeAdvertising_ = std::move(advertising);
}

// Made once, on the first call: the maker runs under makingMutex_ alone.
template <class T, class Maker>
std::shared_ptr<T> BrightpointContext::madeOnce(std::shared_ptr<T>& slot, const Maker& maker) {
    std::lock_guard making(makingMutex_);
    Maker make;
    {
        std::lock_guard lock(mutex_);
        if (slot || !maker) {
            return slot;
        }
        make = maker;
    }
    auto made = make();
    std::lock_guard lock(mutex_);
    slot = std::move(made);
    return slot;
}

std::shared_ptr<Brightpoint> BrightpointContext::client() {
    return madeOnce(client_, makeClient_);
}

std::shared_ptr<BPAdvertising> BrightpointContext::advertising() {
    return madeOnce(advertising_, makeAdvertising_);
}

bool BrightpointContext::claimTransactionCheck(const std::string& transactionIdentifier) {
    std::lock_guard lock(mutex_);
    return checkedTransactions_.insert(transactionIdentifier).second;
}

void BrightpointContext::releaseTransactionCheck(const std::string& transactionIdentifier) {
    std::lock_guard lock(mutex_);
    checkedTransactions_.erase(transactionIdentifier);
}

std::string BrightpointContext::storeLinkPrefix() const {
    std::lock_guard lock(mutex_);
    return storeLinkPrefix_;
}

void BrightpointContext::setStoreLinkPrefix(std::string prefix) {
    std::lock_guard lock(mutex_);
    storeLinkPrefix_ = std::move(prefix);
}

std::shared_ptr<BrightpointContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::brightpoint) : nullptr;
}

} // namespace zelvan::brightpoint
