// WorkerPool: tasks on at most its bound of named threads, in the order queued; the shutdown that drops
// queued tasks, cancels the token a blocked task waits with, and joins; a fetch completing on the worker
// that started it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "http_test_server.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/worker_pool.h"

namespace fnd {
namespace {

// Waits (at most 10 s of real time) for `pred`, which other threads make true.
bool waitFor(const std::function<bool()>& pred) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// What the tasks saw, under one lock.
struct Journal {
    std::mutex mutex;
    std::vector<std::string> events;
    std::set<std::string> threads;
    int running = 0;
    int mostRunning = 0;

    void enter(const std::string& event) {
        std::lock_guard lock(mutex);
        events.push_back(event);
        threads.insert(Thread::current().name());
        mostRunning = std::max(mostRunning, ++running);
    }
    void leave() {
        std::lock_guard lock(mutex);
        --running;
    }
    template <class F>
    auto read(F f) {
        std::lock_guard lock(mutex);
        return f(*this);
    }
};

TEST(WorkerPoolTest, RunsTasksOnAtMostItsBoundOfNamedThreads) {
    Journal journal;
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    WorkerPool pool("test", 2);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(pool.submit([&journal, gate, i] {
            journal.enter(std::to_string(i));
            gate.wait();
            journal.leave();
        }));
    }
    ASSERT_TRUE(waitFor([&] { return journal.read([](Journal& j) { return j.running; }) == 2; }));
    EXPECT_EQ(pool.threadCount(), 2u);
    EXPECT_EQ(pool.queuedCount(), 4u);
    EXPECT_EQ(journal.read([](Journal& j) { return std::set<std::string>(j.events.begin(), j.events.end()); }),
              (std::set<std::string>{"0", "1"})); // the first two queued
    release.set_value();
    ASSERT_TRUE(
        waitFor([&] { return journal.read([](Journal& j) { return j.events.size() == 6 && j.running == 0; }); }));
    EXPECT_EQ(journal.mostRunning, 2);
    EXPECT_EQ(journal.threads, (std::set<std::string>{"test 1", "test 2"}));
    EXPECT_EQ(pool.threadCount(), 2u);
}

TEST(WorkerPoolTest, ShutdownDropsQueuedTasksCancelsTheTokenAndJoins) {
    testing::LogCapture log;
    testing::HttpTestServer server;
    Journal journal;
    WorkerPool pool("solo", 1);
    for (const char* name : {"a", "b", "c"}) {
        pool.submit([&journal, name] {
            journal.enter(name);
            journal.leave();
        });
    }
    // A task blocked on a server that holds its request; the shutdown's token ends the wait.
    std::atomic<bool> blocked{false};
    std::optional<int64_t> blockedEnd;
    pool.submit([&] {
        journal.enter("blocked");
        blocked = true;
        auto reply =
            UrlConnection::sendSynchronousRequest(UrlRequest(server.url("/stall")), pool.shutdownToken().get());
        blockedEnd = reply.ok() ? 0 : reply.error().code();
        journal.leave();
    });
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> released = captured;
    bool dropRan = false;
    for (int i = 0; i < 2; ++i) {
        pool.submit([&dropRan, captured] { dropRan = true; });
    }
    captured.reset();
    ASSERT_TRUE(waitFor([&] { return blocked.load(); }));
    EXPECT_EQ(pool.queuedCount(), 2u);

    pool.shutdown(); // returns once the blocked task has returned and the worker has ended
    EXPECT_EQ(blockedEnd, UrlError::Cancelled);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"a", "b", "c", "blocked"}));
    EXPECT_EQ(journal.threads, std::set<std::string>{"solo 1"});
    EXPECT_FALSE(dropRan);
    EXPECT_TRUE(released.expired());
    EXPECT_TRUE(log.contains("WorkerPool solo: dropped 2 queued task(s) at shutdown"));
    EXPECT_FALSE(pool.submit([&dropRan] { dropRan = true; }));
    EXPECT_EQ(pool.queuedCount(), 0u);
    EXPECT_FALSE(dropRan);
}

// A callback on the worker's loop (here a delayed perform a task left behind) runs a loop of its own, and
// the shutdown's stop ends that inner run instead of the worker's. The worker must still end.
TEST(WorkerPoolTest, ShutdownEndsTheWorkerWhenAnInnerRunTookItsStop) {
    WorkerPool pool("nested", 1);
    std::shared_ptr<RunLoop> workerLoop;
    std::atomic<bool> innerRunning{false};
    std::atomic<bool> innerEnded{false};
    std::promise<std::shared_ptr<RunLoop>> loopOf;
    pool.submit([&] {
        RunLoop& loop = RunLoop::current();
        loopOf.set_value(loop.shared_from_this());
        loop.performAfter(0, [&] {
            innerRunning = true;
            RunLoop::current().run(); // until a stop
            innerEnded = true;
        });
    });
    workerLoop = loopOf.get_future().get();
    ASSERT_TRUE(waitFor([&] { return innerRunning.load(); }));

    auto shutdown = std::async(std::launch::async, [&pool] { pool.shutdown(); });
    const bool ended = shutdown.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_TRUE(ended) << "the worker kept running its loop after the shutdown's stop";
    EXPECT_TRUE(innerEnded);
    if (!ended) {
        workerLoop->stop(); // let the join return, so the failure does not hang the test binary
    }
    shutdown.wait();
}

TEST(WorkerPoolTest, AFetchStartedInATaskCompletesOnItsWorker) {
    testing::HttpTestServer server;
    auto owner = std::make_shared<int>(0);
    std::atomic<bool> done{false};
    std::string thread;
    int64_t status = 0;
    {
        WorkerPool pool("net", 1);
        pool.submit([&] {
            fetch(UrlRequest(server.url("/echo")), {}, owner, [&](Result<FetchReply> reply) {
                thread = Thread::current().name();
                status = reply.ok() ? reply->response.statusCode() : reply.error().code();
                done = true;
            });
        });
        ASSERT_TRUE(waitFor([&] { return done.load(); }));
    }
    EXPECT_EQ(thread, "net 1");
    EXPECT_EQ(status, 200);
}

} // namespace
} // namespace fnd
