// The offer wall's shared context and where it is found: the installed delegate's `brightpoint` slot.
#include "offers/brightpoint/brightpoint_context.h"

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "offers/brightpoint/bp_advertising.h"
#include "offers/brightpoint/bp_app_table_view_controller.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_in_app_view_controller.h"
#include "offers/brightpoint/bp_offer_table_view_controller.h"
#include "offers/brightpoint/bp_web_pages.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/log.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

BrightpointContext::BrightpointContext(const NetworkEndpoint& endpoint)
    : imageCache_(std::make_shared<BPImageCache>(BPImageCache::Passkey())), server_(endpoint.root()) {
    // The Offers tab: the configured offer lists under their sub-tab strip.
    tabFactories_[static_cast<size_t>(BPTab::Offers)] = [] { return std::make_shared<BPOfferTableViewController>(); };
    // The Apps tab: the configured app lists; the in-app tab: the currency store on the payment queue.
    tabFactories_[static_cast<size_t>(BPTab::Apps)] = [] { return std::make_shared<BPAppTableViewController>(); };
    tabFactories_[static_cast<size_t>(BPTab::InApp)] = [] { return std::make_shared<BPInAppViewController>(); };
}

std::shared_ptr<Brightpoint> BrightpointContext::client() {
    std::lock_guard lock(mutex_);
    if (!client_) {
        client_ = std::make_shared<Brightpoint>(server_);
    }
    return client_;
}

std::shared_ptr<BPAdvertising> BrightpointContext::advertising() {
    std::lock_guard lock(mutex_);
    if (!advertising_) {
        advertising_ = std::make_shared<BPAdvertising>(server_);
    }
    return advertising_;
}

void BrightpointContext::setTabFactory(BPTab tab, TabFactory factory) {
    std::lock_guard lock(mutex_);
    tabFactories_[static_cast<size_t>(tab)] = std::move(factory);
}

std::shared_ptr<ui::ViewController> BrightpointContext::makeTab(BPTab tab) {
    TabFactory factory;
    {
        std::lock_guard lock(mutex_);
        factory = tabFactories_[static_cast<size_t>(tab)];
    }
    std::shared_ptr<ui::ViewController> vc = factory ? factory() : nullptr;
    if (vc) {
        return vc;
    }
    if (tab == BPTab::Direct) {
        return std::make_shared<BPDirectViewController>();
    }
    if (tab == BPTab::Status) {
        return std::make_shared<BPStatusViewController>();
    }
    return std::make_shared<ui::ViewController>();
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
