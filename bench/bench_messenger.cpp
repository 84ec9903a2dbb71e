// Messenger benchmark: presence notices (a friend coming online, command 13, or going offline, command 14)
// handled by the messenger's model at 1,000, 10,000 and 100,000 friends. Each notice finds the friend by user id
// and moves its card to its new place in the sorted friend list.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "messaging/commands/messenger_commands.h"
#include "messaging/model/contact_manage.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/format.h"

namespace {

using zelvan::ContactManage;
using zelvan::MessengerCommands;

constexpr int32_t kFirstUserId = 100000;

// A model that never saves (signed out) and whose chats show nothing.
class Model : public ContactManage {
public:
    explicit Model(int friends) : ContactManage([] { return true; }, std::make_shared<zelvan::IMChatList>()) {
        for (int i = 0; i < friends; ++i) {
            auto card = zelvan::vCard::create();
            card->setContactid(i + 1);
            card->setUi(fnd::Dictionary::make({{0, fnd::format("Friend %06d", i)}, {-1, 0}}));
            card->setUserid(kFirstUserId + i);
            insertContact(card);
        }
    }
};

// One model per size, built once: the benchmark function runs several times while it calibrates.
Model& modelWithFriends(int friends) {
    static std::map<int, std::unique_ptr<Model>> models;
    auto& model = models[friends];
    if (!model) {
        model = std::make_unique<Model>(friends);
    }
    return *model;
}

// Each iteration: one friend comes online and goes offline again, the friends taken in a spread order.
void presenceUpdates(benchmark::State& state) {
    const int friends = static_cast<int>(state.range(0));
    Model& model = modelWithFriends(friends);
    MessengerCommands commands(model, MessengerCommands::Hooks{});
    int next = 0;
    for (auto _ : state) {
        next = (next + 7919) % friends;
        const int32_t userId = kFirstUserId + next;
        commands.handle(fnd::Value::array({13, userId}));
        commands.handle(fnd::Value::array({14, userId}));
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(presenceUpdates)->Name("presence")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
