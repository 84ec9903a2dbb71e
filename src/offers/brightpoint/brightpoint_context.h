// BrightpointContext: what the offer wall keeps process-wide - its icon cache, the offer-wall API
// server's address, the one client and the payment transactions the store pages are checking - held in
// the application registry's `brightpoint` slot and reached through context().
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "core/network_endpoint.h"

namespace ui {
class ViewController;
}

namespace zelvan::brightpoint {

class BPAdvertising;
class BPImageCache;
class Brightpoint;

// The offer wall's tabs, in the order they stand.
enum class BPTab { Apps, Offers, Direct, InApp, Status };

class BrightpointContext {
public:
    // `endpoint` is the offer-wall API server (not configured: no server is known and nothing is sent).
    explicit BrightpointContext(const NetworkEndpoint& endpoint = {});
    BrightpointContext(const BrightpointContext&) = delete;
    BrightpointContext& operator=(const BrightpointContext&) = delete;

    // The one icon cache of the process.
    const std::shared_ptr<BPImageCache>& imageCache() const { return imageCache_; }
    // The endpoint's root, or "".
    const std::string& server() const { return server_; }
    // The one client, made on first use.
    std::shared_ptr<Brightpoint> client();
    // The one advertiser report, made on first use.
    std::shared_ptr<BPAdvertising> advertising();

    // The plain-http address prefix of the application store's link server: web pages of the wall hand
    // links under it (and "itms://" links) to the system. "http://store.test" unless set.
    std::string storeLinkPrefix() const;
    void setStoreLinkPrefix(std::string prefix);

    // What makes a tab's root page. Without one, the direct and status tabs get their web pages and the
    // other tabs a plain page (titled by the wall). The Offers tab starts with the offer lists, the
    // Apps tab with the app lists and the in-app tab with the currency store.
    using TabFactory = std::function<std::shared_ptr<ui::ViewController>()>;
    void setTabFactory(BPTab tab, TabFactory factory);
    std::shared_ptr<ui::ViewController> makeTab(BPTab tab);

    // The transactions (by identifier) a store page is checking or has queued for its check, so that
    // each is checked by one page even when several observe the payment queue. Claiming gives false
    // when another claim holds the transaction; the claim is given back when the check ends.
    bool claimTransactionCheck(const std::string& transactionIdentifier);
    void releaseTransactionCheck(const std::string& transactionIdentifier);

private:
    std::array<TabFactory, 5> tabFactories_;
    std::string storeLinkPrefix_ = "http://store.test";
    std::shared_ptr<BPImageCache> imageCache_;
    const std::string server_;
    mutable std::mutex mutex_;
    std::shared_ptr<Brightpoint> client_;
    std::shared_ptr<BPAdvertising> advertising_;
    std::set<std::string> checkedTransactions_;
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer wall. The one place this library reads the installed delegate. Any thread.
std::shared_ptr<BrightpointContext> context();

} // namespace zelvan::brightpoint
