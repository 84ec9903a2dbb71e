// SVWorkQueue: runs operations one at a time, in the order added, as a lane of the shared worker pool
// rather than on a thread of its own. Its owner (an ad view, the cache manager) going cancels what has not
// finished and waits for the running operation to return, so no operation outlives what it works for.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/foundation/operation_queue.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::selvo {

class SVWorkQueue {
public:
    // The pool is held weakly: once it has gone (or is shutting down) an added operation is cancelled.
    explicit SVWorkQueue(std::weak_ptr<fnd::WorkerPool> pool);
    // shutdown().
    ~SVWorkQueue();
    SVWorkQueue(const SVWorkQueue&) = delete;
    SVWorkQueue& operator=(const SVWorkQueue&) = delete;

    // Queues `operation`; it starts on a pool worker once those added before it have finished. Any thread.
    void addOperation(const std::shared_ptr<fnd::Operation>& operation);
    // The operations queued or running.
    size_t operationCount() const;
    // Cancels everything, drops the queued operations and waits for the running one to return (unless
    // called from that very operation). Later additions are cancelled at once. Any thread but a worker
    // waiting on the caller.
    void shutdown();

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace zelvan::selvo
