// The chat room, private chat and chat group commands of the messenger: room lists, occupancy,
// rules, members entering and leaving, room and group messages, kicks, and groups listed, updated,
// disbanded or left. A room or group already known by its id is updated in place, so open chats stay
// linked to the same card.
#include <algorithm>

#include "core/category_helpers.h"
#include "core/localization.h"
#include "messaging/commands/messenger_commands.h"
#include "messaging/commands/packet_elements.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"

namespace zelvan {

using packet::arrayAt;
using packet::intAt;
using packet::stringAt;

namespace {

// A group record (eight elements) whose strings are where they belong.
bool validGroupRecord(const fnd::Array* record) {
    return record && record->count() >= 8 && stringAt(*record, 3) && stringAt(*record, 6);
}

void fillGroup(ChatGroupCard& group, const fnd::Array& r) {
    group.setGroupId(intAt(r, 0));
    group.setIsAdmin(intAt(r, 1) == 1);
    group.setAttribute(intAt(r, 2));
    group.setName(*stringAt(r, 3));
    group.setOnlineCount(intAt(r, 4));
    group.setAllCount(intAt(r, 5));
    group.setDescription(*stringAt(r, 6));
    group.setMembershipAttribute(intAt(r, 7));
}

} // namespace

std::shared_ptr<ChatRoomUser> MessengerCommands::roomUser(int32_t userId, const std::string& name, int32_t sid,
                                                          int32_t admin) const {
    auto user = ChatRoomUser::create();
    user->setUserId(userId);
    user->setName(name);
    user->setSid(sid);
    user->setAdmin(admin > 0);
    user->setMyfriend(model_.getuserid(userId) != nullptr);
    return user;
}

gfx::Color MessengerCommands::highlight() const {
    return hooks_.highlightColor ? hooks_.highlightColor() : gfx::Color{};
}

void MessengerCommands::warn(const std::string& message) {
    if (hooks_.showWarning) {
        hooks_.showWarning(message);
    }
}

void MessengerCommands::alert(const std::string& message) {
    if (hooks_.showAlert) {
        hooks_.showAlert(message);
    }
}

void MessengerCommands::roomMember(const fnd::Array& p, const fnd::Value& packet) {
    auto record = arrayAt(p, 2);
    const std::string* event = record ? stringAt(*record, 0) : nullptr;
    const std::string* name = record ? stringAt(*record, 3) : nullptr;
    if (!event || !name) {
        reject("the room member notice lacks its record", packet);
        return;
    }
    auto room = model_.findChatRoom(intAt(p, 1));
    if (!room) {
        return;
    }
    int32_t userId = intAt(*record, 1);
    auto chat = openChat(room);
    if (*event == "login") {
        room->userLogin(roomUser(userId, *name, intAt(*record, 4), intAt(*record, 5)));
        if (room->allowPrivateChat()) {
            model_.privateChatWhitelist().addValue(userId);
        }
        if (chat) {
            chat->addSystemMessage(fnd::format(ZLS("chatroom.login%@"), *name), highlight());
        }
    } else if (*event == "logout") {
        room->userLogout(userId);
        if (chat) {
            chat->addSystemMessage(fnd::format(ZLS("chatroom.logout%@"), *name));
        }
    }
    if (model_.chat()) {
        model_.chat()->updateChatWithCard(room);
    }
    refresh();
}

void MessengerCommands::roomMessage(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* name = stringAt(p, 3);
    const std::string* text = stringAt(p, 4);
    int32_t sender = intAt(p, 2);
    if (!name || (sender >= 0 && !text)) {
        reject("the room message lacks its name or its text", packet);
        return;
    }
    auto room = model_.findChatRoom(intAt(p, 1));
    auto chat = openChat(room);
    if (!chat) {
        return;
    }
    if (sender < 0) {
        chat->addSystemMessage(*name);
    } else {
        std::shared_ptr<BasicCard> card = room->findUser(sender);
        if (!card) {
            card = BasicCard::create();
            card->setUserId(sender);
            card->setName(*name);
        }
        chat->addChatMessage(*text, card);
    }
    refresh();
}

void MessengerCommands::roomEntered(const fnd::Array& p, const fnd::Value& packet) {
    auto records = arrayAt(p, 2);
    if (!records) {
        reject("the room entry lacks its members", packet);
        return;
    }
    for (size_t i = 0; i < records->count(); ++i) {
        auto record = records->objectAtIndex(i).asArray();
        if (!record || !stringAt(*record, 2)) {
            reject("a room member record lacks its name", packet);
            return;
        }
    }
    auto room = model_.findChatRoom(intAt(p, 1));
    auto chat = openChat(room);
    if (!chat) {
        return;
    }
    room->clearUsers();
    room->setState(1);
    for (size_t i = 0; i < records->count(); ++i) {
        auto record = records->objectAtIndex(i).asArray();
        room->userLogin(roomUser(intAt(*record, 0), *stringAt(*record, 2), intAt(*record, 4), intAt(*record, 5)));
    }
    chat->addSystemMessage(fnd::format(ZLS("chatroom.joinsucc%@"), room->name()), highlight());
    if (model_.chat()) {
        model_.chat()->updateChatWithCard(room);
    }
    refresh();
}

void MessengerCommands::roomEntryFailed(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* message = stringAt(p, 3);
    if (!message) {
        reject("the room entry failure lacks its message", packet);
        return;
    }
    if (auto room = model_.findChatRoom(intAt(p, 1))) {
        if (model_.chat()) {
            model_.chat()->removeChatWithCard(room);
        }
        room->logout();
        room->setState(0);
    }
    alert(*message);
    refresh();
}

void MessengerCommands::privateChat(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* name = stringAt(p, 3);
    auto line = arrayAt(p, 4);
    const std::string* text = line ? stringAt(*line, 1) : nullptr;
    if (!name || !text) {
        reject("the private chat line lacks its name or its line", packet);
        return;
    }
    int32_t sid = intAt(p, 1);
    int32_t userId = intAt(p, 2);
    auto card = model_.findPrivateChatCard(sid);
    if (!card) {
        if (!model_.privateChatWhitelist().containsValue(userId)) {
            // The session is refused: the server is told and nothing is shown.
            if (hooks_.send) {
                fnd::Value refusal = fnd::Value::array({62});
                addInt(*refusal.asArray(), sid);
                hooks_.send(refusal);
            }
            return;
        }
        card = PrivateChatCard::create();
        card->setSid(sid);
        card->setUserId(userId);
        card->setName(*name);
        model_.privateChatUsers().push_back(card);
    }
    auto chat = model_.chat() ? model_.chat()->findChatWithCard(card) : nullptr;
    if (!chat) {
        return;
    }
    if (intAt(*line, 0) == -1) {
        chat->addChatMessage(*text, card);
    } else {
        chat->addSystemMessage(*text);
    }
}

void MessengerCommands::kickResult(const fnd::Array& p, const fnd::Value& packet) {
    auto result = arrayAt(p, 1);
    const std::string* name = result ? stringAt(*result, 1) : nullptr;
    if (!name) {
        reject("the kick result lacks its record", packet);
        return;
    }
    auto room = model_.findChatRoom(intAt(*result, 0));
    if (!room) {
        return;
    }
    auto chat = openChat(room);
    if (intAt(*result, 2) > 0) {
        room->userLogout(intAt(*result, 3));
        if (chat) {
            chat->addSystemMessage(fnd::format(ZLS("chatroom.kicksucc%@"), *name));
        }
        if (model_.chat()) {
            model_.chat()->updateChatWithCard(room);
        }
    } else if (chat) {
        chat->addSystemMessage(fnd::format(ZLS("chatroom.kickfail%@"), *name));
    }
    refresh();
}

void MessengerCommands::kickedOut(const fnd::Array& p) {
    auto room = model_.findChatRoom(intAt(p, 1));
    if (!room) {
        return;
    }
    if (model_.chat()) {
        model_.chat()->removeChatWithCard(room);
    }
    room->logout();
    alert(fnd::format(ZLS("chatroom.kickedout%@"), room->name()));
}

void MessengerCommands::roomList(const fnd::Array& p, const fnd::Value& packet) {
    auto records = arrayAt(p, 1);
    bool valid = records != nullptr;
    for (size_t i = 0; valid && i < records->count(); ++i) {
        auto r = records->objectAtIndex(i).asArray();
        valid = r && r->count() >= 6 && stringAt(*r, 1);
    }
    if (!valid) {
        reject("the room list holds a malformed record", packet);
        return;
    }
    for (size_t i = 0; i < records->count(); ++i) {
        auto r = records->objectAtIndex(i).asArray();
        auto room = model_.findChatRoom(intAt(*r, 0));
        if (!room) {
            room = ChatRoomCard::create();
            room->setRoomId(intAt(*r, 0));
            model_.chatRooms().push_back(room);
        }
        room->setName(*stringAt(*r, 1));
        room->setCurrent(intAt(*r, 2));
        room->setCapacity(intAt(*r, 3));
        room->setAttribute(intAt(*r, 4));
        room->setAdmin(intAt(*r, 5) > 0);
    }
    if (hooks_.roomsQueried) {
        hooks_.roomsQueried();
    }
    refresh();
}

void MessengerCommands::roomOccupancy(const fnd::Array& p) {
    for (size_t i = 1; i < p.count(); i += 2) {
        if (auto room = model_.findChatRoom(intAt(p, i))) {
            room->setCurrent(intAt(p, i + 1));
            if (openChat(room) && model_.chat()) {
                model_.chat()->updateChatWithCard(room);
            }
        }
    }
    if (hooks_.roomsQueried) {
        hooks_.roomsQueried();
    }
    refresh();
}

void MessengerCommands::roomRules(const fnd::Array& p, const fnd::Value& packet) {
    for (size_t i = 1; i < p.count(); i += 2) {
        const std::string* rule = stringAt(p, i + 1);
        if (!rule) {
            reject("a room rule is missing", packet);
            return;
        }
        if (auto room = model_.findChatRoom(intAt(p, i))) {
            room->setRule(*rule);
            if (model_.chat()) {
                model_.chat()->displayRuleOfChatRoom(room);
                model_.chat()->updateChatWithCard(room);
            }
        }
    }
}

void MessengerCommands::groupList(const fnd::Array& p, const fnd::Value& packet) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (!validGroupRecord(p.objectAtIndex(i).asArray().get())) {
            reject("the group list holds a malformed record", packet);
            return;
        }
    }
    for (size_t i = 1; i < p.count(); ++i) {
        auto r = p.objectAtIndex(i).asArray();
        auto group = model_.findChatGroup(intAt(*r, 0));
        if (group) {
            fillGroup(*group, *r);
            continue;
        }
        group = ChatGroupCard::create();
        fillGroup(*group, *r);
        model_.chatGroups().push_back(group);
    }
    refresh();
}

void MessengerCommands::groupUpdate(const fnd::Array& p, const fnd::Value& packet) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (!validGroupRecord(p.objectAtIndex(i).asArray().get())) {
            reject("the group update holds a malformed record", packet);
            return;
        }
    }
    for (size_t i = 1; i < p.count(); ++i) {
        auto r = p.objectAtIndex(i).asArray();
        if (auto group = model_.findChatGroup(intAt(*r, 0))) {
            fillGroup(*group, *r);
            if (model_.chat()) {
                model_.chat()->updateChatWithCard(group);
            }
        }
    }
}

void MessengerCommands::groupLeft(const fnd::Array& p, const fnd::Value& packet) {
    if (intAt(p, 2) == 0) {
        return;
    }
    if (p.count() > 3) {
        const std::string* message = stringAt(p, 3);
        if (!message) {
            reject("the leave answer's message is not a text", packet);
            return;
        }
        warn(*message);
    } else {
        warn(ZLS("groupManageLeaveFailed"));
    }
}

void MessengerCommands::groupGone(const fnd::Array& p, const fnd::Value& packet, const char* key) {
    const std::string* message = stringAt(p, 2);
    if (p.count() > 2 && !message) {
        reject("the group notice's message is not a text", packet);
        return;
    }
    auto group = model_.findChatGroup(intAt(p, 1));
    if (!group) {
        return;
    }
    if (model_.chat()) {
        model_.chat()->removeChatWithCard(group);
    }
    model_.chatGroups().remove(*group);
    alert(message ? *message : fnd::format(ZLS(key), group->name()));
    refresh();
}

void MessengerCommands::groupMessages(const fnd::Array& p, const fnd::Value& packet) {
    for (size_t i = 2; i < p.count(); ++i) {
        auto entry = p.objectAtIndex(i).asArray();
        if (!entry || !stringAt(*entry, 1) || !stringAt(*entry, 2)) {
            reject("a group message lacks its name or its text", packet);
            return;
        }
    }
    auto group = model_.findChatGroup(intAt(p, 1));
    auto chat = group && model_.chat() ? model_.chat()->findChatWithCard(group) : nullptr;
    if (!chat) {
        return;
    }
    for (size_t i = 2; i < p.count(); ++i) {
        auto entry = p.objectAtIndex(i).asArray();
        auto sender = BasicCard::create();
        sender->setState(1);
        sender->setUserId(intAt(*entry, 0));
        sender->setName(*stringAt(*entry, 1));
        chat->addChatMessage(*stringAt(*entry, 2), sender);
    }
}

void MessengerCommands::groupSystemLine(const fnd::Array& p, const fnd::Value& packet) {
    const std::string* text = stringAt(p, 2);
    if (!text) {
        reject("the group line lacks its text", packet);
        return;
    }
    auto group = model_.findChatGroup(intAt(p, 1));
    if (group && model_.chat()) {
        if (auto chat = model_.chat()->findChatWithCard(group)) {
            chat->addSystemMessage(*text);
        }
    }
}

} // namespace zelvan
