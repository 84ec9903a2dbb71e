// The demo messenger world of the dev server: fixed contacts, rooms and groups that make the
// messenger's lists and chats show something in `make run` and in end-to-end tests.
#include "tools/devserver/demo_messenger.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <string>

namespace zelvan::devserver {

namespace {

using fnd::Value;

constexpr std::array<int, 3> kDemoFriends = {2001, 2002, 2003};
constexpr const char* kDemoRoomRule = "Be kind to each other. No advertising.";

// The status lines of the demo friends (user id, line, age in seconds).
struct DemoStatus {
    int userId;
    const char* line;
    int age;
};
constexpr std::array<DemoStatus, 3> kDemoStatusLines = {{
    {2001, "Up for a round of cards tonight", 300},
    {2002, "At work until six", 5400},
    {2003, "Learning the new board game", 86400},
}};

// People in each demo room (room id, people).
constexpr std::array<std::pair<int, int>, 2> kDemoRoomPeople = {{{1, 12}, {2, 3}}};

// The members of the demo groups (group id, user id, name, online, admin), as many online and in all as
// the group list says; user 1001 is the demo account.
struct DemoGroupMember {
    int groupId;
    int userId;
    const char* name;
    int online;
    int admin;
};
constexpr std::array<DemoGroupMember, 7> kDemoGroupMembers = {{
    {1, 1001, "Demo Player", 1, 1},
    {1, 2001, "Ada Demo", 1, 0},
    {1, 2003, "Mia Demo", 0, 0},
    {2, 2002, "\xC5\x81ukasz Demo", 0, 1},
    {2, 1001, "Demo Player", 1, 0},
    {2, 2001, "Ada Demo", 0, 0},
    {2, 2003, "Mia Demo", 0, 0},
}};

// One update entry: contact id, user id and the card's fields (key 0 the name, key -1 the type).
void addContact(fnd::Array& block, int contactId, int userId, const char* name) {
    block.addObject(contactId);
    block.addObject(userId);
    block.addObject(Value::dictionary({{0, name}, {-1, 0}}));
}

} // namespace

std::vector<fnd::Value> demoMessengerWorld() {
    Value block = Value::array();
    addContact(*block.asArray(), 1, 2001, "Ada Demo");
    addContact(*block.asArray(), 2, 2002, "\xC5\x81ukasz Demo"); // a letter beyond Latin-1
    addContact(*block.asArray(), 3, 2003, "Mia Demo");
    addContact(*block.asArray(), 4, 0, "Plumber");
    addContact(*block.asArray(), 5, 0, "Dentist");
    return {
        Value::array({2, 1, Value::array(), block}),
        Value::array({13, 2001, 2002}),
        Value::array({90, Value::array({Value::array({1, "Lobby", 2, 50, 0, 1}),
                                        Value::array({2, "Quiet corner", 0, 20, 0, 0})})}),
        Value::array({3, 2001, "Welcome to the demo messenger!"}),
    };
}

void addDemoMessengerRules(ReplyRules& rules, uint16_t voiceRelayPort, bool friendAnswers) {
    // Friend 2001 answers a line of text sent to it; a malformed line gets nothing.
    if (friendAnswers) {
        rules[6] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
            const auto items = packet.asArray();
            if (!items || items->count() < 4 || items->objectAtIndex(1).intValue() != -1 ||
                items->objectAtIndex(2).intValue() != kDemoFriends[0] || !items->objectAtIndex(3).isString()) {
                return {};
            }
            return {Value::array({3, kDemoFriends[0], kDemoFriendAnswer})};
        };
    }
    rules[300] = [](const fnd::Value&) -> std::vector<fnd::Value> {
        return {Value::array({300, Value::array({1, 1, 0, "Demo team", 2, 3, "The user's own group", 0}),
                              Value::array({2, 0, 0, "Lobby friends", 1, 4, "", 0})})};
    };
    rules[403] = [](const fnd::Value&) -> std::vector<fnd::Value> {
        Value answer = Value::array({403, 1});
        for (int id : kDemoFriends) {
            answer.asArray()->addObject(id);
            answer.asArray()->addObject(3);
        }
        return {answer};
    };
    // Status lines: the demo friends among the ids asked for; the answer always comes, so the
    // client's count of outstanding requests goes down.
    rules[70] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        Value lines = Value::array();
        const auto* asked = packet.asArray().get();
        for (size_t i = 1; asked && i < asked->count(); ++i) {
            for (const auto& status : kDemoStatusLines) {
                if (asked->objectAtIndex(i).intValue() == status.userId) {
                    lines.asArray()->addObject(status.userId);
                    lines.asArray()->addObject(status.line);
                    lines.asArray()->addObject(status.age);
                }
            }
        }
        return {Value::array({80, lines})};
    };
    // Room counts for the demo rooms asked for.
    rules[80] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        Value answer = Value::array({91});
        const auto* asked = packet.asArray().get();
        for (size_t i = 1; asked && i < asked->count(); ++i) {
            for (const auto& [roomId, people] : kDemoRoomPeople) {
                if (asked->objectAtIndex(i).intValue() == roomId) {
                    answer.asArray()->addObject(roomId);
                    answer.asArray()->addObject(people);
                }
            }
        }
        return {answer};
    };
    // An external IM account signs in at once with a new account id.
    auto nextImId = std::make_shared<std::atomic<int>>(0);
    rules[4] = [nextImId](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto* request = packet.asArray().get();
        if (!request || request->count() < 3) {
            return {};
        }
        return {Value::array({5, ++*nextImId, request->objectAtIndex(1), request->objectAtIndex(2)})};
    };
    // A room's rule: [81, room] gets [92, room, rule]; a packet without an integer room gets nothing.
    rules[81] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto items = packet.asArray();
        if (!items || items->count() < 2 || !items->objectAtIndex(1).isInt()) {
            return {};
        }
        return {Value::array({92, items->objectAtIndex(1).intValue(), kDemoRoomRule})};
    };
    // Inviting friends to a group and removing members succeed: [n, group, ...] gets [n, group, 0];
    // a packet without an integer group gets nothing.
    for (int cmd : {310, 311}) {
        rules[cmd] = [cmd](const fnd::Value& packet) -> std::vector<fnd::Value> {
            const auto items = packet.asArray();
            if (!items || items->count() < 2 || !items->objectAtIndex(1).isInt()) {
                return {};
            }
            return {Value::array({cmd, items->objectAtIndex(1).intValue(), 0})};
        };
    }
    // Removing a member from a room always succeeds: [48, room, user] gets [56, [room, name, 1, user]],
    // the member named "Member <user>"; a packet without two integers gets nothing.
    rules[48] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto items = packet.asArray();
        if (!items || items->count() < 3 || !items->objectAtIndex(1).isInt() || !items->objectAtIndex(2).isInt()) {
            return {};
        }
        const int32_t room = items->objectAtIndex(1).intValue();
        const int32_t user = items->objectAtIndex(2).intValue();
        return {Value::array({56, Value::array({room, "Member " + std::to_string(user), 1, user})})};
    };
    // A group's members: [305, group, 0] gets [305, group, 0, record...], each record (user id, name,
    // online, admin); a group the demo world does not know has no members.
    rules[305] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto items = packet.asArray();
        if (!items || items->count() < 2 || !items->objectAtIndex(1).isInt()) {
            return {};
        }
        const auto groupId = items->objectAtIndex(1).intValue();
        Value answer = Value::array({305, groupId, 0});
        for (const auto& member : kDemoGroupMembers) {
            if (member.groupId == groupId) {
                answer.asArray()->addObject(Value::array({member.userId, member.name, member.online, member.admin}));
            }
        }
        return {answer};
    };
    // Disbanding a group always succeeds: [306, group] gets [306, group, 0].
    rules[306] = [](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto items = packet.asArray();
        if (!items || items->count() < 2 || !items->objectAtIndex(1).isInt()) {
            return {};
        }
        return {Value::array({306, items->objectAtIndex(1).intValue(), 0})};
    };
    // A call to a demo friend is accepted at once and, with a relay running, connected through it on
    // the friend's own channel; hang-ups and calls to anyone else get no answer.
    rules[10] = [voiceRelayPort](const fnd::Value& packet) -> std::vector<fnd::Value> {
        const auto items = packet.asArray();
        if (!items || items->count() < 4 || !items->objectAtIndex(2).isInt() ||
            items->objectAtIndex(1).intValue() != -1 || items->objectAtIndex(3).intValue() != 0) {
            return {};
        }
        const int64_t friendId = *items->objectAtIndex(2).asInt();
        if (std::find(kDemoFriends.begin(), kDemoFriends.end(), friendId) == kDemoFriends.end()) {
            return {};
        }
        std::vector<fnd::Value> answers{Value::array({10, -1, friendId, 1})};
        if (voiceRelayPort != 0) {
            answers.push_back(Value::array({10, -1, friendId, 4, "127.0.0.1", voiceRelayPort, friendId}));
        }
        return answers;
    };
}

} // namespace zelvan::devserver
