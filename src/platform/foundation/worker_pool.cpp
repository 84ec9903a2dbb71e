// fnd::WorkerPool: one queue under a lock, and workers that each serve their own run loop, taking the
// next task through a step posted to that loop, so the loop's own events run between tasks.
#include "platform/foundation/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace fnd {

struct WorkerPool::State {
    struct Worker {
        std::optional<Thread> thread;
        std::shared_ptr<RunLoop> loop; // set by the worker before it takes its first task
        bool busy = true;              // running a task, or about to take one
    };

    State(std::string poolName, size_t bound) : name(std::move(poolName)), maxThreads(std::max<size_t>(bound, 1)) {}

    const std::string name;
    const size_t maxThreads;
    const std::shared_ptr<UrlCancelToken> token = std::make_shared<UrlCancelToken>();

    mutable std::mutex mutex;
    std::deque<Task> queue;
    std::vector<std::shared_ptr<Worker>> workers;
    std::atomic<bool> stopping{false};

    // The worker's body.
    void work(Worker& worker) {
        RunLoop& loop = RunLoop::current();
        {
            std::lock_guard lock(mutex);
            worker.loop = loop.shared_from_this();
        }
        step(worker);
        // Ends once the shutdown has set `stopping` and stopped the loop, even when a loop run nested in a
        // task or a callback on this loop took that stop.
        loop.runWhile([this] { return !stopping; });
    }

    // On the worker: runs the next task, then queues the following step on the worker's loop while tasks
    // wait, or marks the worker free.
    void step(Worker& worker) {
        Task task;
        {
            std::lock_guard lock(mutex);
            if (stopping || queue.empty()) {
                worker.busy = false;
                return;
            }
            task = std::move(queue.front());
            queue.pop_front();
        }
        try {
            task();
        } catch (const std::exception& e) {
            ZLOG(Error, "WorkerPool %@: exception escaped a task: %s", name, logPreview(e.what()));
        } catch (...) {
            ZLOG(Error, "WorkerPool %@: unknown exception escaped a task", name);
        }
        task = nullptr; // its captures go before the next task starts
        {
            std::lock_guard lock(mutex);
            if (!stopping && !queue.empty()) {
                // The worker's body holds this state while its loop runs, and the loop drops what it
                // still holds when the thread ends.
                worker.loop->post([this, &worker] { step(worker); });
                return;
            }
            worker.busy = false;
        }
    }
};

WorkerPool::WorkerPool(std::string name, size_t maxThreads)
    : state_(std::make_shared<State>(std::move(name), maxThreads)) {}

WorkerPool::~WorkerPool() {
    shutdown();
}

bool WorkerPool::submit(Task task) {
    std::unique_lock lock(state_->mutex);
    if (state_->stopping) {
        lock.unlock();
        ZLOG(Warn, "WorkerPool %@: shutting down; a task was not run", state_->name);
        return false;
    }
    state_->queue.push_back(std::move(task));
    for (const auto& worker : state_->workers) {
        if (!worker->busy) {
            worker->busy = true;
            State* state = state_.get();
            State::Worker* idle = worker.get();
            worker->loop->post([state, idle] { state->step(*idle); });
            return true;
        }
    }
    if (state_->workers.size() < state_->maxThreads) {
        auto worker = std::make_shared<State::Worker>();
        worker->thread.emplace([state = state_, worker] { state->work(*worker); });
        worker->thread->setName(state_->name + " " + std::to_string(state_->workers.size() + 1));
        state_->workers.push_back(worker);
        worker->thread->start();
    }
    return true;
}

void WorkerPool::shutdown() {
    std::deque<Task> dropped;
    std::vector<std::shared_ptr<State::Worker>> workers;
    std::vector<std::shared_ptr<RunLoop>> loops;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopping) {
            return;
        }
        state_->stopping = true;
        dropped.swap(state_->queue);
        workers = state_->workers;
        for (const auto& worker : workers) {
            if (worker->loop) {
                loops.push_back(worker->loop);
            }
        }
    }
    if (!dropped.empty()) {
        ZLOG(Info, "WorkerPool %@: dropped %d queued task(s) at shutdown", state_->name,
             static_cast<int>(dropped.size()));
        dropped.clear();
    }
    state_->token->cancel();
    // A worker that has not reached its loop yet finds the pool stopping and ends without running it.
    for (const auto& loop : loops) {
        loop->stop();
    }
    for (const auto& worker : workers) {
        worker->thread->join();
    }
}

const std::shared_ptr<UrlCancelToken>& WorkerPool::shutdownToken() const {
    return state_->token;
}

const std::string& WorkerPool::name() const {
    return state_->name;
}

size_t WorkerPool::maxThreads() const {
    return state_->maxThreads;
}

size_t WorkerPool::threadCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->workers.size();
}

size_t WorkerPool::queuedCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->queue.size();
}

} // namespace fnd
