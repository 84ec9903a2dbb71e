// The chat room, private chat and chat group commands of the messenger: room lists, occupancy,
// rules, members entering and leaving, room and group messages, kicks, and groups listed, updated,
// disbanded or left. A room or group already known by its id is updated in place, so open chats stay
// linked to the same card.
#include <algorithm>

#include "core/category_helpers.h"
#include "core/localization.h"
#include "messaging/chat/im_chat.h"
#include "messaging/commands/messenger_commands.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

// A group record (eight elements) whose strings are where they belong.
bool validGroupRecord(const std::optional<PacketReader>& record) {
    return record && record->count() >= 8 && record->optionalText(3) && record->optionalText(6);
}

void fillGroup(ChatGroupCard& group, const PacketReader& r) {
    group.setGroupId(r.intValue(0));
    group.setIsAdmin(r.intValue(1) == 1);
    group.setAttribute(r.intValue(2));
    group.setName(*r.optionalText(3));
    group.setOnlineCount(r.intValue(4));
    group.setAllCount(r.intValue(5));
    group.setDescription(*r.optionalText(6));
    group.setMembershipAttribute(r.intValue(7));
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

void MessengerCommands::roomMember(const PacketReader& p) {
    auto record = p.optionalList(2);
    const std::string* event = record ? record->optionalText(0) : nullptr;
    const std::string* name = record ? record->optionalText(3) : nullptr;
    if (!event || !name) {
        reject("the room member notice lacks its record", p.packet());
        return;
    }
    auto room = model_.findChatRoom(p.intValue(1));
    if (!room) {
        return;
    }
    int32_t userId = record->intValue(1);
    auto chat = openChat(room);
    if (*event == "login") {
        room->userLogin(roomUser(userId, *name, record->intValue(4), record->intValue(5)));
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

void MessengerCommands::roomMessage(const PacketReader& p) {
    const std::string* name = p.optionalText(3);
    const std::string* text = p.optionalText(4);
    int32_t sender = p.intValue(2);
    if (!name || (sender >= 0 && !text)) {
        reject("the room message lacks its name or its text", p.packet());
        return;
    }
    auto room = model_.findChatRoom(p.intValue(1));
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

void MessengerCommands::roomEntered(const PacketReader& p) {
    auto records = p.optionalList(2);
    if (!records) {
        reject("the room entry lacks its members", p.packet());
        return;
    }
    for (size_t i = 0; i < records->count(); ++i) {
        auto record = records->optionalList(i);
        if (!record || !record->optionalText(2)) {
            reject("a room member record lacks its name", p.packet());
            return;
        }
    }
    auto room = model_.findChatRoom(p.intValue(1));
    auto chat = openChat(room);
    if (!chat) {
        return;
    }
    room->clearUsers();
    room->setState(1);
    for (size_t i = 0; i < records->count(); ++i) {
        auto record = records->optionalList(i);
        room->userLogin(
            roomUser(record->intValue(0), *record->optionalText(2), record->intValue(4), record->intValue(5)));
    }
    chat->addSystemMessage(fnd::format(ZLS("chatroom.joinsucc%@"), room->name()), highlight());
    if (model_.chat()) {
        model_.chat()->updateChatWithCard(room);
    }
    refresh();
}

void MessengerCommands::roomEntryFailed(const PacketReader& p) {
    const std::string* message = p.optionalText(3);
    if (!message) {
        reject("the room entry failure lacks its message", p.packet());
        return;
    }
    if (auto room = model_.findChatRoom(p.intValue(1))) {
        if (model_.chat()) {
            model_.chat()->removeChatWithCard(room);
        }
        room->logout();
        room->setState(0);
    }
    alert(*message);
    refresh();
}

void MessengerCommands::privateChat(const PacketReader& p) {
    const std::string* name = p.optionalText(3);
    auto line = p.optionalList(4);
    const std::string* text = line ? line->optionalText(1) : nullptr;
    if (!name || !text) {
        reject("the private chat line lacks its name or its line", p.packet());
        return;
    }
    int32_t sid = p.intValue(1);
    int32_t userId = p.intValue(2);
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
    if (line->intValue(0) == -1) {
        chat->addChatMessage(*text, card);
    } else {
        chat->addSystemMessage(*text);
    }
}

void MessengerCommands::kickResult(const PacketReader& p) {
    auto result = p.optionalList(1);
    const std::string* name = result ? result->optionalText(1) : nullptr;
    if (!name) {
        reject("the kick result lacks its record", p.packet());
        return;
    }
    auto room = model_.findChatRoom(result->intValue(0));
    if (!room) {
        return;
    }
    auto chat = openChat(room);
    if (result->intValue(2) > 0) {
        room->userLogout(result->intValue(3));
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

void MessengerCommands::kickedOut(const PacketReader& p) {
    auto room = model_.findChatRoom(p.intValue(1));
    if (!room) {
        return;
    }
    if (model_.chat()) {
        model_.chat()->removeChatWithCard(room);
    }
    room->logout();
    alert(fnd::format(ZLS("chatroom.kickedout%@"), room->name()));
}

void MessengerCommands::roomList(const PacketReader& p) {
    auto records = p.optionalList(1);
    bool valid = records.has_value();
    for (size_t i = 0; valid && i < records->count(); ++i) {
        auto r = records->optionalList(i);
        valid = r && r->count() >= 6 && r->optionalText(1);
    }
    if (!valid) {
        reject("the room list holds a malformed record", p.packet());
        return;
    }
    for (size_t i = 0; i < records->count(); ++i) {
        auto r = records->optionalList(i);
        auto room = model_.findChatRoom(r->intValue(0));
        if (!room) {
            room = ChatRoomCard::create();
            room->setRoomId(r->intValue(0));
            model_.chatRooms().push_back(room);
        }
        room->setName(*r->optionalText(1));
        room->setCurrent(r->intValue(2));
        room->setCapacity(r->intValue(3));
        room->setAttribute(r->intValue(4));
        room->setAdmin(r->intValue(5) > 0);
    }
    if (hooks_.roomsQueried) {
        hooks_.roomsQueried();
    }
    refresh();
}

void MessengerCommands::roomOccupancy(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); i += 2) {
        if (auto room = model_.findChatRoom(p.intValue(i))) {
            room->setCurrent(p.intValue(i + 1));
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

void MessengerCommands::roomRules(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); i += 2) {
        const std::string* rule = p.optionalText(i + 1);
        if (!rule) {
            reject("a room rule is missing", p.packet());
            return;
        }
        if (auto room = model_.findChatRoom(p.intValue(i))) {
            room->setRule(*rule);
            if (model_.chat()) {
                model_.chat()->displayRuleOfChatRoom(room);
                model_.chat()->updateChatWithCard(room);
            }
        }
    }
}

void MessengerCommands::groupList(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (!validGroupRecord(p.optionalList(i))) {
            reject("the group list holds a malformed record", p.packet());
            return;
        }
    }
    for (size_t i = 1; i < p.count(); ++i) {
        auto r = p.optionalList(i);
        auto group = model_.findChatGroup(r->intValue(0));
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

void MessengerCommands::groupUpdate(const PacketReader& p) {
    for (size_t i = 1; i < p.count(); ++i) {
        if (!validGroupRecord(p.optionalList(i))) {
            reject("the group update holds a malformed record", p.packet());
            return;
        }
    }
    for (size_t i = 1; i < p.count(); ++i) {
        auto r = p.optionalList(i);
        if (auto group = model_.findChatGroup(r->intValue(0))) {
            fillGroup(*group, *r);
            if (model_.chat()) {
                model_.chat()->updateChatWithCard(group);
            }
        }
    }
}

void MessengerCommands::groupLeft(const PacketReader& p) {
    if (p.intValue(2) == 0) {
        return;
    }
    if (p.count() > 3) {
        const std::string* message = p.optionalText(3);
        if (!message) {
            reject("the leave answer's message is not a text", p.packet());
            return;
        }
        warn(*message);
    } else {
        warn(ZLS("groupManageLeaveFailed"));
    }
}

void MessengerCommands::groupGone(const PacketReader& p, const char* key) {
    const std::string* message = p.optionalText(2);
    if (p.count() > 2 && !message) {
        reject("the group notice's message is not a text", p.packet());
        return;
    }
    auto group = model_.findChatGroup(p.intValue(1));
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

void MessengerCommands::groupMessages(const PacketReader& p) {
    for (size_t i = 2; i < p.count(); ++i) {
        auto entry = p.optionalList(i);
        if (!entry || !entry->optionalText(1) || !entry->optionalText(2)) {
            reject("a group message lacks its name or its text", p.packet());
            return;
        }
    }
    auto group = model_.findChatGroup(p.intValue(1));
    auto chat = group && model_.chat() ? model_.chat()->findChatWithCard(group) : nullptr;
    if (!chat) {
        return;
    }
    for (size_t i = 2; i < p.count(); ++i) {
        auto entry = p.optionalList(i);
        auto sender = BasicCard::create();
        sender->setState(1);
        sender->setUserId(entry->intValue(0));
        sender->setName(*entry->optionalText(1));
        chat->addChatMessage(*entry->optionalText(2), sender);
    }
}

void MessengerCommands::groupSystemLine(const PacketReader& p) {
    const std::string* text = p.optionalText(2);
    if (!text) {
        reject("the group line lacks its text", p.packet());
        return;
    }
    auto group = model_.findChatGroup(p.intValue(1));
    if (group && model_.chat()) {
        if (auto chat = model_.chat()->findChatWithCard(group)) {
            chat->addSystemMessage(*text);
        }
    }
}

} // namespace zelvan
