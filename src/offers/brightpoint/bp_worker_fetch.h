// BPFetchOnWorker: a load of the offer wall's lists and pictures on the worker pool - the fetch starts in
// a task, so its reply is read (decoded, parsed) on that worker and only the result goes to main.
#pragma once

#include <memory>

#include "platform/foundation/fetch.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

// Starts `request` in a task of `workers` and calls `done` on that worker with the outcome, under
// fnd::fetch's rules (`owner` included); the pool's shutdown cancels it. Nothing starts without a pool or
// once it is shutting down.
void BPFetchOnWorker(const std::shared_ptr<fnd::WorkerPool>& workers, fnd::UrlRequest request,
                     fnd::FetchOptions options, std::weak_ptr<const void> owner, fnd::FetchCompletion done);

// The owner of a load that serves no one object (the icon cache, a list whose page is dropped once it has
// gone): the pool itself, so the load runs until its reply is in or the pool ends. Empty without a pool.
std::weak_ptr<const void> BPPoolOwner(const std::shared_ptr<fnd::WorkerPool>& workers);

} // namespace zelvan::brightpoint
