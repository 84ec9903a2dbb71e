// The operation lane over the worker pool: one drain task at a time takes the queued operations in order.
#include "ads/selvo/cache/sv_work_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace zelvan::selvo {

struct SVWorkQueue::State : std::enable_shared_from_this<State> {
    explicit State(std::weak_ptr<fnd::WorkerPool> workers) : pool(std::move(workers)) {}

    const std::weak_ptr<fnd::WorkerPool> pool;
    mutable std::mutex mutex;
    std::condition_variable idle;
    std::deque<std::shared_ptr<fnd::Operation>> queued;
    std::shared_ptr<fnd::Operation> running;
    std::thread::id runner;
    bool draining = false; // a drain task is queued on the pool or running
    bool closed = false;

    // On a pool worker: starts the queued operations one after the other until none is left.
    void drain() {
        for (;;) {
            std::shared_ptr<fnd::Operation> next;
            {
                std::lock_guard lock(mutex);
                if (closed || queued.empty()) {
                    draining = false;
                    return;
                }
                next = std::move(queued.front());
                queued.pop_front();
                running = next;
                runner = std::this_thread::get_id();
            }
            next->start();
            {
                std::lock_guard lock(mutex);
                running.reset();
            }
            idle.notify_all();
        }
    }
};

SVWorkQueue::SVWorkQueue(std::weak_ptr<fnd::WorkerPool> pool) : state_(std::make_shared<State>(std::move(pool))) {}

SVWorkQueue::~SVWorkQueue() {
    shutdown();
}

void SVWorkQueue::addOperation(const std::shared_ptr<fnd::Operation>& operation) {
    bool closed = false;
    bool startDrain = false;
    {
        std::lock_guard lock(state_->mutex);
        closed = state_->closed;
        if (!closed) {
            state_->queued.push_back(operation);
            startDrain = !std::exchange(state_->draining, true);
        }
    }
    if (closed) {
        operation->cancel();
        return;
    }
    if (!startDrain) {
        return;
    }
    auto pool = state_->pool.lock();
    if (pool && pool->submit([state = state_] { state->drain(); })) {
        return;
    }
    // No pool to run on: nothing queued will ever start.
    std::deque<std::shared_ptr<fnd::Operation>> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->draining = false;
        dropped.swap(state_->queued);
    }
    for (const auto& left : dropped) {
        left->cancel();
    }
}

size_t SVWorkQueue::operationCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->queued.size() + (state_->running ? 1 : 0);
}

void SVWorkQueue::shutdown() {
    std::deque<std::shared_ptr<fnd::Operation>> dropped;
    std::shared_ptr<fnd::Operation> running;
    bool ownThread = false;
    {
        std::lock_guard lock(state_->mutex);
        state_->closed = true;
        dropped.swap(state_->queued);
        running = state_->running;
        ownThread = running && state_->runner == std::this_thread::get_id();
    }
    for (const auto& operation : dropped) {
        operation->cancel();
    }
    if (!running) {
        return;
    }
    running->cancel();
    running.reset();
    if (!ownThread) {
        std::unique_lock lock(state_->mutex);
        state_->idle.wait(lock, [this] { return !state_->running; });
    }
}

} // namespace zelvan::selvo
