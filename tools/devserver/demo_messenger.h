// The dev server's demo messenger world: the packets pushed to a client after each log-in (contacts,
// presence, chat rooms and a greeting) and the replies to its group list and friend option requests.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

// The line friend 2001 answers the user's lines with; its letters go beyond Latin-1.
inline constexpr const char* kDemoFriendAnswer = "\xC5\x9Awietnie! Zagrajmy \xE2\x80\x94 see you in the games lobby.";

// Pushed after each log-in, in order: the contact sync answer with three friends (2001-2003) and two
// plain contacts, friends 2001 and 2002 online, two chat rooms, and a greeting from friend 2001.
std::vector<fnd::Value> demoMessengerWorld();

// Adds the rules of the demo world: [300] gets two chat groups (the first administered by the user);
// [403, ...] gets [403, 1, (id, 3) per demo friend]; [81, room] gets [92, room, rule]; [70, ids] gets
// the demo friends' status lines as [80, [id, line, age, ...]]; [80, room ids] gets
// [91, (room, people)...]; [4, prot, user, pass] signs the account in as [5, new id, prot, user];
// [310, group, ...] and [311, group, ...] (invite to and remove from a group) get [n, group, 0].
// [48, room, user] removes the member: [56, [room, "Member <user>", 1, user]].
// [305, group, 0] gets [305, group, 0, (user id, name, online, admin)...] with the group's members;
// [306, group] (disband) gets [306, group, 0].
// A call to a demo friend, [10, -1, friend, 0], is accepted with [10, -1, friend, 1] and, when a voice
// relay runs on `voiceRelayPort` (not 0), connected with [10, -1, friend, 4, "127.0.0.1", port, friend].
// With `friendAnswers`, a line to friend 2001, [6, -1, 2001, text], gets [3, 2001, kDemoFriendAnswer], as
// the greeting comes; lines to anyone else, and every line without it, get no answer.
void addDemoMessengerRules(ReplyRules& rules, uint16_t voiceRelayPort = 0, bool friendAnswers = true);

} // namespace zelvan::devserver
