// Main-thread hops: from a worker without waiting and waiting, and from the main thread itself.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/main_thread.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/thread.h"

namespace zelvan {
namespace {

TEST(MainThreadTest, WorkerHopsRunOnTheMainLoop) {
    fnd::RunLoop& main = fnd::RunLoop::main();
    std::atomic<bool> posted{false};
    std::atomic<bool> ranOnMain{false};
    fnd::Thread worker([&] {
        invokeOnMainThread([&] { ranOnMain = fnd::isMainThread(); });
        posted = true; // returned without the main loop having run
    });
    worker.start();
    worker.join();
    EXPECT_TRUE(posted);
    EXPECT_FALSE(ranOnMain);
    EXPECT_TRUE(main.pumpUntil([&] { return ranOnMain.load(); }));

    std::atomic<bool> waited{false};
    std::atomic<bool> returned{false};
    bool sawMainRun = false;
    fnd::Thread waiter([&] {
        invokeOnMainThreadWaitUntilDone([&] { waited = fnd::isMainThread(); });
        sawMainRun = waited.load(); // the work finished before the call returned
        returned = true;
    });
    waiter.start();
    EXPECT_TRUE(main.pumpUntil([&] { return returned.load(); }));
    waiter.join();
    EXPECT_TRUE(sawMainRun);
}

TEST(MainThreadTest, OnTheMainThreadPostIsDeferredAndWaitRunsInline) {
    fnd::RunLoop& main = fnd::RunLoop::main();
    std::vector<int> order;
    invokeOnMainThread([&] { order.push_back(1); });
    invokeOnMainThreadWaitUntilDone([&] { order.push_back(2); });
    EXPECT_EQ(order, std::vector<int>{2});
    main.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
}

} // namespace
} // namespace zelvan
