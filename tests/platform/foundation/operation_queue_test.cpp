// OperationQueue: order, cancellation before and during main(), the threads callbacks run on, exceptions,
// destruction, and an operation that runs its worker's loop in its own mode to serve a connection.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http_test_server.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/url_connection.h"

namespace fnd {
namespace {

// Records what ran and on which threads; main() may wait for a gate, or for its own cancellation.
struct Journal {
    std::mutex mutex;
    std::vector<std::string> events;
    void add(std::string e) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(e));
    }
    std::vector<std::string> get() {
        std::lock_guard lock(mutex);
        return events;
    }
};

class Step : public Operation {
public:
    Step(std::string name, Journal* journal) : name_(std::move(name)), journal_(journal) {
        onFinished = [this] { finishedOn = std::this_thread::get_id(); };
        onCancelled = [this] { cancelledOn = std::this_thread::get_id(); };
    }
    void main() override {
        mainOn = std::this_thread::get_id();
        entered.set_value();
        if (gate.valid()) {
            gate.wait();
        }
        journal_->add(name_ + (isCancelled() ? " saw cancel" : ""));
        if (throws) {
            throw std::runtime_error("boom");
        }
    }
    std::promise<void> entered;
    std::shared_future<void> gate;
    bool throws = false;
    std::thread::id mainOn, finishedOn, cancelledOn;

private:
    std::string name_;
    Journal* journal_;
};

TEST(OperationQueueTest, RunsInOrderOnOneWorkerAndCancelsBeforeOrDuringMain) {
    testing::LogCapture log;
    Journal journal;
    std::promise<void> release;
    auto first = std::make_shared<Step>("first", &journal);
    first->gate = release.get_future().share();
    auto skipped = std::make_shared<Step>("skipped", &journal);
    auto thrower = std::make_shared<Step>("thrower", &journal);
    thrower->throws = true;
    auto last = std::make_shared<Step>("last", &journal);

    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(4);
    EXPECT_TRUE(log.contains("ignored a width of 4"));
    for (const auto& op : {first, skipped, thrower, last}) {
        queue.addOperation(op);
    }
    first->entered.get_future().wait();
    EXPECT_TRUE(first->isExecuting());
    EXPECT_EQ(queue.operationCount(), 4u);

    // Cancelled before its turn: onCancelled here at once, main() never runs, but it finishes on the worker.
    skipped->cancel();
    skipped->cancel();
    EXPECT_EQ(skipped->cancelledOn, std::this_thread::get_id());
    // Cancelled while in main(): main() sees it.
    first->cancel();
    EXPECT_EQ(first->cancelledOn, std::this_thread::get_id());
    release.set_value();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return last->isFinished(); }));
    ASSERT_TRUE(testing::settle());

    EXPECT_EQ(journal.get(), (std::vector<std::string>{"first saw cancel", "thrower", "last"}));
    EXPECT_TRUE(log.contains("exception escaped main()"));
    const auto worker = first->mainOn;
    EXPECT_NE(worker, std::this_thread::get_id());
    for (const auto& op : {first, skipped, thrower, last}) {
        EXPECT_TRUE(op->isFinished());
        EXPECT_FALSE(op->isExecuting());
        EXPECT_EQ(op->finishedOn, worker);
    }
    EXPECT_EQ(last->mainOn, worker);
    EXPECT_EQ(queue.operationCount(), 0u);

    // A finished operation is not run again, and start() on the caller runs it here.
    queue.addOperation(first);
    auto direct = std::make_shared<Step>("direct", &journal);
    direct->start();
    EXPECT_EQ(direct->mainOn, std::this_thread::get_id());
    EXPECT_EQ(direct->finishedOn, std::this_thread::get_id());
    EXPECT_EQ(journal.get().back(), "direct");
}

TEST(OperationQueueTest, DestroyingTheQueueCancelsTheRestAndJoins) {
    Journal journal;
    auto running = std::make_shared<Step>("running", &journal);
    std::promise<void> release;
    running->gate = release.get_future().share();
    running->onCancelled = [&] { release.set_value(); }; // the work notices cancellation and ends
    auto waiting = std::make_shared<Step>("waiting", &journal);
    {
        OperationQueue queue;
        queue.addOperation(running);
        queue.addOperation(waiting);
        running->entered.get_future().wait();
    }
    EXPECT_TRUE(running->isFinished());
    EXPECT_TRUE(waiting->isFinished());
    EXPECT_TRUE(waiting->isCancelled());
    EXPECT_EQ(journal.get(), (std::vector<std::string>{"running saw cancel"}));
}

// Loads a URL synchronously by running the worker's loop in a private mode, as an ad prefetch does.
class PrivateModeFetch : public Operation, public UrlConnectionDelegate {
public:
    explicit PrivateModeFetch(Url url) : url_(std::move(url)) {}
    void main() override {
        auto self = std::dynamic_pointer_cast<PrivateModeFetch>(shared_from_this());
        auto connection = UrlConnection::create(UrlRequest(url_), self, StartImmediately::No);
        if (!connection) {
            return;
        }
        connection.value()->scheduleInRunLoop(RunLoop::current(), kMode);
        connection.value()->start();
        const Date deadline = Date::dateWithTimeIntervalSinceNow(10);
        while (!done && Date::now() < deadline) {
            RunLoop::current().runMode(kMode, deadline);
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<UrlConnection>&, const Bytes& d) override {
        body.append(d.begin(), d.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<UrlConnection>&) override { done = true; }
    void connectionDidFailWithError(const std::shared_ptr<UrlConnection>&, const Error&) override { done = true; }

    static constexpr std::string_view kMode = "PrivateFetchMode";
    std::atomic<bool> done{false};
    std::string body;

private:
    Url url_;
};

TEST(OperationQueueTest, AnOperationServesAConnectionInItsOwnLoopMode) {
    testing::HttpTestServer server;
    auto fetch = std::make_shared<PrivateModeFetch>(server.url("/big/3"));
    // The next operation must not start inside the fetch's own loop run.
    struct After : Operation {
        std::shared_ptr<PrivateModeFetch> before;
        std::atomic<bool> ranAfterBefore{false};
        void main() override { ranAfterBefore = before->isFinished(); }
    };
    auto after = std::make_shared<After>();
    after->before = fetch;
    OperationQueue queue;
    queue.addOperation(fetch);
    queue.addOperation(after);
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return after->isFinished(); }, 15.0));
    EXPECT_TRUE(after->ranAfterBefore);
    EXPECT_TRUE(fetch->done);
    EXPECT_EQ(fetch->body, "xxx");
    EXPECT_TRUE(testing::settle()); // the worker waits on its loop, idle
}

} // namespace
} // namespace fnd
