// Fuzz target: codec values from untrusted bytes, with element 0 set to one of the messenger's
// command numbers (the first byte picks it), run against a populated messenger model. Nothing may
// crash; afterwards every friend and contact is in the full list, no session count or counter is
// negative, no chat holds more than 99 lines and the messenger's lock is free.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <thread>

#include "messaging/commands/messenger_commands.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/log.h"
#include "protocol/command_table.h"
#include "routed_packet_fuzz_support.h"
#include "temp_folder_fuzz_support.h"

namespace {

using fnd::Value;

void prepareRoot() {
    ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-messenger").c_str(), 1);
}

std::shared_ptr<zelvan::vCard> card(const std::string& name, int32_t userId, int32_t contactId) {
    auto c = zelvan::vCard::create();
    c->setUi(Value::dictionary({{0, name}, {-1, 0}}).asDictionary());
    c->setUserid(userId);
    c->setContactid(contactId);
    return c;
}

void populate(zelvan::ContactManage& model, zelvan::IMChatWindow& window, zelvan::MessengerCommands& commands) {
    model.insertContact(card("Ann", 1, 1));
    model.insertContact(card("Bob", 2, 2));
    model.insertContact(card("Carl", 0, 3));
    model.waitadd().push_back(card("Dora", 0, -1));
    model.miniblogRequestCounts().addValue(2);
    model.setMiniblogRequestCount(2);
    model.privateChatWhitelist().addValue(1);
    auto im = zelvan::imGroup::create();
    im->setIm_id(1);
    im->setProt(1);
    im->setUser("me");
    model.ims().push_back(im);
    commands.handle(Value::array({90, Value::array({Value::array({1, "Lobby", 1, 9, 0, 1})})}));
    commands.handle(Value::array({300, Value::array({1, 1, 0, "Group", 1, 2, "", 0})}));
    window.findChatWithCard(model.getuserid(1));
    window.findChatWithCard(model.findChatRoom(1));
    window.findChatWithCard(model.findChatGroup(1));
    window.findChatWithCard(im->getuser("buddy"));
}

bool inAll(zelvan::ContactManage& model, const std::shared_ptr<zelvan::vCard>& c) {
    for (const auto& any : model.all()) {
        if (any == c) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (prepareRoot(), true);
    (void)ready;
    if (size == 0) {
        return 0;
    }
    static constexpr auto numbers = zelvan::commandsOwnedBy<zelvan::CommandOwner::Messenger>();
    const int32_t command = numbers[data[0] % numbers.size()];
    Value packet = fuzzsupport::routedPacket(command, std::span<const uint8_t>(data + 1, size - 1));

    auto window = std::make_shared<zelvan::IMChatList>();
    zelvan::ContactManage model([] { return false; }, window);
    zelvan::MessengerCommands commands(model, {});
    populate(model, *window, commands);
    {
        std::lock_guard<std::recursive_mutex> hold(model.lock());
        commands.handle(packet);
        commands.handle(packet);
    }

    for (const zelvan::ContactManage::VCardList* list : {&model.zelvanFriends(), &model.abContacts()}) {
        for (const auto& c : *list) {
            if (!inAll(model, c) || c->online() < 0) {
                std::abort();
            }
        }
    }
    if (model.miniblogRequestCount() < 0) {
        std::abort();
    }
    for (const auto& chat : window->chats()) {
        if (chat->messages().size() > 99) {
            std::abort();
        }
    }
    // Another thread must be able to take the lock (this thread's hold would not show on a recursive one).
    bool free = false;
    std::thread([&] {
        free = model.lock().try_lock();
        if (free) {
            model.lock().unlock();
        }
    }).join();
    if (!free) {
        std::abort();
    }
    return 0;
}
