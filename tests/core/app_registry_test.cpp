// The application registry: a test's own registry serves its delegate without any process-wide state.
#include "core/app_registry.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/zelvan_app_delegate.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan {
namespace {

class RecordingPages final : public PageService {
public:
    void openUrl(const std::string& url) override { opened.push_back(url); }
    std::shared_ptr<ui::ViewController> pageViewController() override { return nullptr; }
    std::vector<std::string> opened;
};

class FixedChat final : public ChatOpener {
public:
    void showChatWithCard(const fnd::Value&) override {}
};

TEST(AppRegistryTest, ATestsOwnRegistryServesItsDelegateWithoutAnyGlobal) {
    ASSERT_EQ(zelvanAppDelegate::current(), nullptr);
    int made = 0;
    zelvanAppDelegate* handedTo = nullptr;
    AppRegistry registry;
    registry.homes.factory = [&](zelvanAppDelegate& delegate) {
        ++made;
        handedTo = &delegate;
        // A factory reaches other objects through the delegate it is handed; asking for its own
        // object while it is being made gives null instead of recursing.
        EXPECT_EQ(delegate.homes(), nullptr);
        return std::make_shared<RecordingPages>();
    };
    auto chat = std::make_shared<FixedChat>();
    registry.bridgeTargets.chatOpener = chat;

    auto delegate = zelvanAppDelegate::create({}, std::move(registry));
    auto homes = delegate->homes();
    ASSERT_NE(homes, nullptr);
    EXPECT_EQ(delegate->homes(), homes);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(handedTo, delegate.get());
    EXPECT_EQ(delegate->bridgeTargets().chatOpener, chat);
    // Empty slots give null; a provided object replaces what a slot hands out.
    EXPECT_EQ(delegate->im(), nullptr);
    EXPECT_EQ(delegate->photoSource(), nullptr);
    auto other = std::make_shared<RecordingPages>();
    delegate->provide(&AppRegistry::homes, std::shared_ptr<PageService>(other));
    EXPECT_EQ(delegate->homes(), other);
    delegate->installBridgeTargets([](BridgeTargets& targets) { targets.chatOpener.reset(); });
    EXPECT_EQ(delegate->bridgeTargets().chatOpener, nullptr);

    // Nothing of this reached the process: no delegate was installed, and a second delegate over an
    // empty registry sees none of the first one's objects.
    EXPECT_EQ(zelvanAppDelegate::current(), nullptr);
    EXPECT_EQ(zelvanAppDelegate::create()->homes(), nullptr);
}

TEST(AppRegistryTest, TheWorkerPoolEndsWithTheApplication) {
    // Whoever else still holds the pool, its threads are joined when the application terminates.
    auto pool = std::make_shared<fnd::WorkerPool>("test", 1);
    AppRegistry registry;
    registry.workerPool.factory = ServiceSlot<fnd::WorkerPool>::fixed(pool);
    auto delegate = zelvanAppDelegate::create({}, std::move(registry));
    ASSERT_EQ(delegate->service(&AppRegistry::workerPool), pool);
    EXPECT_TRUE(pool->submit([] {}));
    delegate->applicationWillTerminate();
    EXPECT_TRUE(pool->shutdownToken()->isCancelled());
    EXPECT_FALSE(pool->submit([] {}));

    // A delegate that goes without terminating shuts its pool down too.
    auto other = std::make_shared<fnd::WorkerPool>("other", 1);
    AppRegistry second;
    second.workerPool.factory = ServiceSlot<fnd::WorkerPool>::fixed(other);
    auto ending = zelvanAppDelegate::create({}, std::move(second));
    ASSERT_EQ(ending->service(&AppRegistry::workerPool), other);
    ending.reset();
    EXPECT_FALSE(other->submit([] {}));
}

} // namespace
} // namespace zelvan
