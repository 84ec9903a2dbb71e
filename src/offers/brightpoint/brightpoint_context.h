// BrightpointContext: what the offer wall keeps process-wide - its icon cache, the worker pool its pages
// load on, the offer-wall API server's address, the store link prefix, the payment transactions the store pages are
// checking, and the one client and advertiser report, made on first use by what the wiring (brightpoint_wiring.h) set.
// It is held in the application registry's `brightpoint` slot; the class-level entry points
// (brightpoint_entry_points.cpp) reach it through context().
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "core/network_endpoint.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

class BPAdvertising;
class BPImageCache;
class Brightpoint;

class BrightpointContext {
public:
    // `endpoint` is the offer-wall API server (not configured: no server is known and nothing is sent);
    // `workers` the pool the pages load their lists and pictures on (null: they load nothing).
    explicit BrightpointContext(const NetworkEndpoint& endpoint = {}, std::shared_ptr<fnd::WorkerPool> workers = {});
    BrightpointContext(const BrightpointContext&) = delete;
    BrightpointContext& operator=(const BrightpointContext&) = delete;

    // The one icon cache of the process.
    const std::shared_ptr<BPImageCache>& imageCache() const { return imageCache_; }
    const std::shared_ptr<fnd::WorkerPool>& workerPool() const { return workers_; }
    // The endpoint's root, or "".
    const std::string& server() const { return server_; }

    // What makes the one client and the one advertiser report; the wiring sets them before the context is
    // handed out. Each runs once, on the first ask.
    using ClientMaker = std::function<std::shared_ptr<Brightpoint>()>;
    using AdvertisingMaker = std::function<std::shared_ptr<BPAdvertising>()>;
    void setMakers(ClientMaker client, AdvertisingMaker advertising);
    // The one client, made on first use; null without a maker.
    std::shared_ptr<Brightpoint> client();
    // The one advertiser report, made on first use; null without a maker.
    std::shared_ptr<BPAdvertising> advertising();

    // The plain-http address prefix of the application store's link server: web pages of the wall hand
    // links under it (and "itms://" links) to the system. "http://store.test" unless set.
    std::string storeLinkPrefix() const;
    void setStoreLinkPrefix(std::string prefix);

    // The transactions (by identifier) a store page is checking or has queued for its check, so that
    // each is checked by one page even when several observe the payment queue. Claiming gives false
    // when another claim holds the transaction; the claim is given back when the check ends.
    bool claimTransactionCheck(const std::string& transactionIdentifier);
    void releaseTransactionCheck(const std::string& transactionIdentifier);

private:
    template <class T, class Maker>
    std::shared_ptr<T> madeOnce(std::shared_ptr<T>& slot, const Maker& maker);

    std::string storeLinkPrefix_ = "http://store.test";
    std::shared_ptr<BPImageCache> imageCache_;
    const std::shared_ptr<fnd::WorkerPool> workers_;
    const std::string server_;
    mutable std::mutex mutex_;
    // Held while the client or the advertising object is made, never with mutex_ held: making one reaches
    // other services of the registry, whose lock is held while this context's slot is filled.
    std::mutex makingMutex_;
    ClientMaker makeClient_;
    AdvertisingMaker makeAdvertising_;
    std::shared_ptr<Brightpoint> client_;
    std::shared_ptr<BPAdvertising> advertising_;
    std::set<std::string> checkedTransactions_;
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer wall. The one place this library reads the installed delegate; only the
// entry points call it. Any thread.
std::shared_ptr<BrightpointContext> context();

} // namespace zelvan::brightpoint
