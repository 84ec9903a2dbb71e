// A fetch started in a task of the worker pool.
#include "offers/brightpoint/bp_worker_fetch.h"

#include "platform/foundation/worker_pool.h"

namespace zelvan::brightpoint {

void BPFetchOnWorker(const std::shared_ptr<fnd::WorkerPool>& workers, fnd::UrlRequest request,
                     fnd::FetchOptions options, std::weak_ptr<const void> owner, fnd::FetchCompletion done) {
    if (!workers) {
        return;
    }
    options.cancel = workers->shutdownToken();
    workers->submit([request = std::move(request), options = std::move(options), owner = std::move(owner),
                     done = std::move(done)]() mutable {
        fnd::fetch(std::move(request), std::move(options), std::move(owner), std::move(done));
    });
}

std::weak_ptr<const void> BPPoolOwner(const std::shared_ptr<fnd::WorkerPool>& workers) {
    if (!workers) {
        return {};
    }
    return workers->shutdownToken();
}

} // namespace zelvan::brightpoint
