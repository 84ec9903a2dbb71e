// Rule-based replies of the dev server: a rule per received command number answers a logged-in
// connection's packet with zero or more packets. The standard rules stand in for the game server's
// simple services (avatar pictures, game invitations).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace zelvan::devserver {

// The packets to send back for one received packet (called on the server thread).
using ReplyRule = std::function<std::vector<fnd::Value>(const fnd::Value& packet)>;
using ReplyRules = std::map<int64_t, ReplyRule>;

inline constexpr int kAvatarAskCommand = 71;
inline constexpr int kAvatarPictureCommand = 17;
inline constexpr int kAvatarPictureSize = 40;
inline constexpr int kGameInviteCommand = 43;

// Every standard rule: command 71 answered by avatarRule, command 43 taken by gameInviteRule.
ReplyRules standardRules();

// [43, user, game]: a player invites a friend to a game. Logged as an invitation when both are
// integers, as malformed otherwise; it needs no answer.
std::vector<fnd::Value> gameInviteRule(const fnd::Value& packet);

// [71, user, type, version]: a user of 1 or more gets [17, user, type, 1, PNG] for heads (2) and chat
// group pictures (4), a picture of avatarColour(user); [17, user, type, 0, null] for home pictures
// (1) and full avatars (3). Any other user or type gets [17, user, type, -1, null]; a packet whose
// user or type is not an integer gets no answer.
std::vector<fnd::Value> avatarRule(const fnd::Value& packet);

// The colour of a user's picture as 0xRRGGBB: red id*67, green id*131, blue id*197, each mod 256.
uint32_t avatarColour(int64_t userId);

// A PNG (8-bit RGB) of `width` x `height` pixels of one colour 0xRRGGBB.
fnd::Bytes solidPng(int width, int height, uint32_t rgb);

} // namespace zelvan::devserver

namespace zelvan::devserver {

inline constexpr int kAdFeaturesCommand = 109;

// [109]: the advertising feature list of `--ad-features`: [109, name, ...] (just [109] when empty).
ReplyRule adFeaturesRule(std::vector<std::string> names);
// [109] answered from several lists, one per request in the order the server receives them: the first
// [109] gets the first list, the next the second, and the last list answers every later one (just [109]
// when there is none). A client asking again sees the list change, as when the game server changes a
// user's networks.
ReplyRule adFeatureListsRule(std::vector<std::vector<std::string>> lists);

} // namespace zelvan::devserver
