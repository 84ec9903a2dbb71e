// The avatar manager against the loopback dev server: heads are asked for, arrive, are stored, shown
// through the card pictures and the bridge's path lookup, and the listeners hear of them.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

class CountingListener : public AvatarUpdateDelegate {
public:
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override {
        heard.push_back({userId, type, version});
    }
    std::vector<std::vector<int32_t>> heard;
};

TEST(AvatarDevServer, HeadsAreFetchedStoredShownAndAnnounced) {
    ASSERT_TRUE(fnd::AppFolders::setUp());
    devserver::DevServerOptions options;
    options.accounts = *devserver::parseAccounts("5550001:pw");
    devserver::DevServer server(options);
    ASSERT_TRUE(server.start());

    PacketQueue queue;
    auto manager = std::make_shared<ZelvanAvatarManager>(ZelvanAvatarManager::defaultCachePath(),
                                                         [&](const fnd::Value& packet) { queue.send(packet); });
    ASSERT_TRUE(manager->initCache());
    auto listener = std::make_shared<CountingListener>();
    manager->addDelegate(listener);
    std::mutex mutex;
    bool loggedIn = false;
    NetworkLoop loop(queue, "127.0.0.1", server.port());
    loop.setPacketHandler([&](const fnd::Value& packet) {
        const auto items = packet.asArray();
        if (items && items->objectAtIndex(0).asInt() == ZelvanAvatarManager::kPictureCommand) {
            manager->handleServerResponse(packet);
        } else if (items && items->objectAtIndex(0).asInt() == 0) {
            std::lock_guard lock(mutex);
            loggedIn = true;
        }
    });
    queue.send(fnd::Value::array({0, 3, 1, "5550001", "pw", 0, "linux", "1.0", "en"}));
    loop.start();
    auto& main = fnd::RunLoop::main();
    ASSERT_TRUE(main.pumpUntil(
        [&] {
            std::lock_guard lock(mutex);
            return loggedIn;
        },
        20.0));

    MessengerCardPictures pictures(manager);
    auto card = vCard::create();
    card->setUserid(12);
    card->setState(1);
    for (int32_t user : {12, 13, 14}) {
        manager->newImageAvatarHead(user);
    }
    ASSERT_TRUE(main.pumpUntil([&] { return listener->heard.size() == 3; }, 20.0));
    loop.stop();
    server.stop();

    // Newest first: 14 and 13 in the first round, 12 once a slot was free.
    EXPECT_EQ(listener->heard, (std::vector<std::vector<int32_t>>{{14, 2, 1}, {13, 2, 1}, {12, 2, 1}}));
    const auto path = manager->findAvatarPath(12, 2, false);
    ASSERT_TRUE(path);
    EXPECT_EQ(fnd::readFile(*path), devserver::solidPng(devserver::kAvatarPictureSize, devserver::kAvatarPictureSize,
                                                        devserver::avatarColour(12)));
    const auto head = pictures.pictureForCard(fnd::Value(card));
    ASSERT_TRUE(head && *head);
    const uint32_t rgb = devserver::avatarColour(12);
    EXPECT_EQ((*head)->pixelAt(20, 20), (gfx::Rgba8{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                                    static_cast<uint8_t>(rgb), 255}));
    EXPECT_EQ((*head)->width(), devserver::kAvatarPictureSize);
}

} // namespace
} // namespace zelvan
