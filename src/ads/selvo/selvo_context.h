// SelvoContext: what the Selvo ad client keeps process-wide - the verbose log flag, the run mode, the
// error sink, the server addresses derived from --ads-base, the device part of every request's user info,
// the worker pool its operations run on, the ad cache's slot and the SVMisc the class-level entry point
// hands out. It constructs nothing of the
// client above it: makeSelvo (selvo_wiring.h) makes it for the application registry's `selvo` slot, and
// every object of the client is handed it at construction. Tests build their own.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/network_endpoint.h"
#include "platform/foundation/value.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan {
class Reachability;
}

namespace zelvan::selvo {

class SVAdCache;
class SVMisc;

// Where the client's servers live and the fixed texts its URL tests compare with.
struct SelvoConfig {
    // The client's servers (the endpoint's root, "/selvo" under --ads-base); not configured: no server
    // address is known.
    NetworkEndpoint endpoint;
    // A link whose host contains this opens the platform's app store.
    std::string storeDomain = "store.test";
    // The page ad content loads to ask for the ad to close.
    std::string closeURL = "http://close.selvo.test/";
    // Host suffix of the image servers ad replies name.
    std::string imageDomainSuffix = "127.0.0.1";
};

class SelvoContext {
public:
    // Receives each error line SVLogError writes (the cache manager stores it in its error log).
    using ErrorSink = std::function<void(const std::string& line)>;

    // Run modes: production, test, quality assurance, staging.
    static constexpr int kRunModeProduction = 0;
    static constexpr int kRunModeTest = 1;
    static constexpr int kRunModeQualityAssurance = 2;
    static constexpr int kRunModeStaging = 3;

    // Without a configured endpoint in `config` nothing of the client is requested. The operations run on
    // `workerPool` (the application's); a context given none makes a pool of its own on first use.
    explicit SelvoContext(std::shared_ptr<Reachability> reachability = nullptr, SelvoConfig config = {},
                          std::shared_ptr<fnd::WorkerPool> workerPool = nullptr);
    ~SelvoContext();
    SelvoContext(const SelvoContext&) = delete;
    SelvoContext& operator=(const SelvoContext&) = delete;

    // The pool the ad views' and the cache's operation queues run on (SVWorkQueue). Any thread.
    std::shared_ptr<fnd::WorkerPool> workerPool();

    // Whether SVLog writes (off until set). Any thread.
    bool verbose() const { return verbose_.load(); }
    void setVerbose(bool on) { verbose_.store(on); }

    // The run mode (0 at start). Any thread.
    int runMode() const { return runMode_.load(); }
    void setRunMode(int mode) { runMode_.store(mode); }

    // Sets (or with an empty function clears) the sink of error lines. Any thread.
    void setErrorSink(ErrorSink sink);
    // Hands `line` to the sink when one is set. A line raised while the sink runs on this thread (the
    // sink itself failing) is not handed back to it, so a failing sink cannot loop.
    void reportError(const std::string& line) const;

    // The product's reachability monitor (null when the registry has none).
    const std::shared_ptr<Reachability>& reachability() const { return reachability_; }

    const SelvoConfig& config() const { return config_; }
    // The ad server for the run mode: modes 0 and 1 the batch server for batch calls and the single-ad
    // server otherwise, 2 the quality-assurance server, 3 the staging server; none for any other mode
    // or without --ads-base.
    std::optional<std::string> adServer(bool batch) const;
    // The site proxy for the run mode (modes 0 and 1 production, 2 quality assurance, 3 staging), ending
    // in "sdkproxy.jsp?"; none for any other mode or without --ads-base.
    std::optional<std::string> proxySiteServer() const;
    // The host the reachability probe asks for its image: the base address's host ("" without one).
    const std::string& probeHost() const { return probeHost_; }

    // A fresh deep copy of the device part of the request user info, built once (on first use, under
    // a lock) with the device's identifier, system name, version, model and the agent string.
    fnd::Value deviceInfo() const;

    // The SVMisc that SVMisc::sharedSVMisc() hands out, set by makeSelvo; null for a context made without it.
    // The client's own objects make their SVMisc over the context they were given.
    std::shared_ptr<SVMisc> misc() const;
    void setMisc(std::shared_ptr<SVMisc> misc);

    // This context's one ad cache (the cache manager), made by `make` on first use under the context's
    // lock; `make` may return null (then the next call tries again). The context shuts it down and lets it
    // go before anything else of the context; from then on there is none. Any thread.
    std::shared_ptr<SVAdCache> adCache(const std::function<std::shared_ptr<SVAdCache>()>& make);
    // The ad cache made so far, or null.
    std::shared_ptr<SVAdCache> existingAdCache() const;

private:
    std::atomic<bool> verbose_{false};
    std::atomic<int> runMode_{kRunModeProduction};
    mutable std::mutex sinkMutex_;
    std::shared_ptr<const ErrorSink> sink_;
    std::shared_ptr<Reachability> reachability_;
    SelvoConfig config_;
    std::string probeHost_;
    std::mutex poolMutex_;
    std::shared_ptr<fnd::WorkerPool> workerPool_;
    mutable std::once_flag deviceOnce_;
    mutable fnd::Value deviceInfo_;
    mutable std::mutex miscMutex_;
    std::shared_ptr<SVMisc> misc_;
    // Last, so the cache (which logs through this context) goes first.
    mutable std::mutex cacheMutex_;
    std::shared_ptr<SVAdCache> adCache_;
    bool closing_ = false;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate; only the class-level entry points (selvo_entry_points.cpp)
// call it. Any thread.
std::shared_ptr<SelvoContext> context();

} // namespace zelvan::selvo
