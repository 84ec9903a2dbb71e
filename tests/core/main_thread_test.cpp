// Main-thread hops: from a worker without waiting and waiting, from the main thread itself (queued or
// inline), with an owner that may be gone by then, and the later turn of a worker's own loop.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
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
        onMainInline([&] { ranOnMain = fnd::isMainThread(); });
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
        onMainAndWait([&] { waited = fnd::isMainThread(); });
        sawMainRun = waited.load(); // the work finished before the call returned
        returned = true;
    });
    waiter.start();
    EXPECT_TRUE(main.pumpUntil([&] { return returned.load(); }));
    waiter.join();
    EXPECT_TRUE(sawMainRun);
}

TEST(MainThreadTest, OnTheMainThreadOnlyTheQueuedFormWaitsForALaterPass) {
    fnd::RunLoop& main = fnd::RunLoop::main();
    std::vector<int> order;
    onMain([&] { order.push_back(1); });
    onMainAndWait([&] { order.push_back(2); });
    onMainInline([&] { order.push_back(3); });
    laterOnThisLoop([&] { order.push_back(4); });
    EXPECT_EQ(order, (std::vector<int>{2, 3}));
    main.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{2, 3, 1, 4}));
}

TEST(MainThreadTest, OwnedWorkRunsOnlyWhileItsOwnerLives) {
    struct Screen {
        void refresh() { ++refreshes; }
        int refreshes = 0;
    };
    fnd::RunLoop& main = fnd::RunLoop::main();
    auto screen = std::make_shared<Screen>();
    onMain(screen, &Screen::refresh);
    onMain(std::weak_ptr<Screen>(screen), [](Screen& s) { s.refreshes += 10; });
    EXPECT_EQ(screen->refreshes, 0); // queued even on main
    onMainInline(screen, &Screen::refresh);
    EXPECT_EQ(screen->refreshes, 1); // inline on main
    main.runUntilIdle();
    EXPECT_EQ(screen->refreshes, 12);

    // Queued for an owner that is gone when its turn comes: nothing runs, and the hop did not keep
    // the owner alive.
    int ran = 0;
    onMain(screen, [&ran](Screen&) { ++ran; });
    std::weak_ptr<Screen> gone = screen;
    screen.reset();
    EXPECT_TRUE(gone.expired());
    main.runUntilIdle();
    EXPECT_EQ(ran, 0);
}

TEST(MainThreadTest, LaterOnThisLoopStaysOnTheCallersThread) {
    std::atomic<bool> ranLater{false};
    std::atomic<bool> ranOnMain{true};
    bool insideTheCall = true;
    fnd::Thread worker([&] {
        laterOnThisLoop([&] {
            ranOnMain = fnd::isMainThread();
            ranLater = true;
        });
        insideTheCall = ranLater.load();
        fnd::RunLoop::current().runUntilIdle();
    });
    worker.start();
    worker.join();
    EXPECT_FALSE(insideTheCall);
    EXPECT_TRUE(ranLater);
    EXPECT_FALSE(ranOnMain);
}

} // namespace
} // namespace zelvan
