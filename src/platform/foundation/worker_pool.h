// fnd::WorkerPool: a bounded set of named worker threads taking short tasks from one queue, in the order
// queued, and joined when the pool shuts down.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/url_connection.h"

namespace fnd {

// Threads are started as work arrives, up to the pool's bound, and named "<name> 1", "<name> 2", ….
// Between tasks each waits on its own run loop, so a task may start a fetch (fetch.h) whose completion
// runs on that worker after the task has returned. The client's pool is the registry's `workerPool`
// slot; tests make their own.
class WorkerPool {
public:
    using Task = std::function<void()>;

    // The bound of the client's pool.
    static constexpr size_t kDefaultThreads = 4;

    // A pool of at most `maxThreads` threads (at least one).
    WorkerPool(std::string name, size_t maxThreads);
    // Shuts the pool down (see shutdown()).
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues `task` from any thread; it starts on a free worker once every task queued before it has
    // started. An exception escaping it is logged. Returns false, releasing the task unrun, once the pool
    // is shutting down.
    bool submit(Task task);

    // Stops taking tasks, drops the queued ones that have not started (releasing their captures on the
    // calling thread, with one log line saying how many), cancels shutdownToken(), then waits for the
    // running tasks to return and the threads to end. Later calls return at once. Never from a task.
    void shutdown();

    // Cancelled when the pool shuts down: a running task hands it to its blocking requests
    // (UrlConnection::sendSynchronousRequest) and fetches, or polls it, so the shutdown need not wait
    // for a slow server.
    const std::shared_ptr<UrlCancelToken>& shutdownToken() const;

    const std::string& name() const;
    size_t maxThreads() const;
    // Threads started so far; never more than maxThreads().
    size_t threadCount() const;
    // Tasks queued that have not started.
    size_t queuedCount() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace fnd
