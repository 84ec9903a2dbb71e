// The frames the hostile peer sends: log-in replies, floods of small packets, honest frames whose
// arrays hold millions of elements, multi-megabyte packets, random malformed frames, and a game that never
// returns. Every
// function returns a whole frame (length prefix included), ready to write to a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace zelvan::hostile {

// The frame carrying `packet` as the codec writes it.
fnd::Bytes framedPacket(const fnd::Value& packet);

// A successful log-in reply: [0, session key, protocols, display name, status, user id].
fnd::Bytes sessionReply();

// An honest frame of kMaxFrameBytes whose payload is one tagged array: the n-th frame is an int8,
// int16, int32 or string array (in turn), holding as many elements as fit.
fnd::Bytes hugeArrayFrame(int n);

// A packet of `bytes` random bytes under a command nobody handles: [54321, data].
fnd::Bytes bigUnknownPacket(size_t bytes, std::mt19937& rng);

// A command-400 reply whose request id is missing: [400, data of `bytes` bytes].
fnd::Bytes bigResourcePacket(size_t bytes, std::mt19937& rng);

// A log-in reply with data where the session key or failure code belongs: [0, data of `bytes` bytes].
fnd::Bytes bigMalformedLoginReply(size_t bytes, std::mt19937& rng);

// The start of a single-player game (command 21) for the user of sessionReply(), whose bytecode's
// "initialize" is done at once and whose "execute" and "paint" loop forever.
fnd::Bytes endlessGameStart();
// The frames of an alert flood, `invitations` deep: that many game invitations (command 46), four
// times as many "no table" replies (52), and half as many messenger warnings (a failed group leave,
// 303) and messenger alerts (a refused room entry, 34), interleaved.
fnd::Bytes alertFloodFrames(int invitations);

// One random frame: random bytes, a length prefix that lies, a length over the cap, deep nesting,
// a huge claimed count, a corrupted packet or a well-formed packet of random values.
fnd::Bytes randomFrame(std::mt19937& rng);

// A frame header claiming more than kMaxFrameBytes: the client must refuse the stream behind it.
fnd::Bytes oversizeFrameHeader();

// `count` frames in turn empty and holding a payload the codec cannot read (an unknown tag).
fnd::Bytes emptyAndUnreadableFrames(int count);

// `count` well-formed packets under a command nobody handles: [54321, n] for n = 0 .. count - 1.
fnd::Bytes unknownPackets(int count);

// A call signal nobody placed: [10, -1, user, 4 (connected), "127.0.0.1", relay port, channel].
fnd::Bytes unaskedCallPacket(int32_t user, uint16_t relayPort, int32_t channel);

// The first user id of the friends the messenger modes list.
constexpr int32_t kFirstFriendId = 200000;

// A contact sync answer listing `count` friends: [2, 1, [], [contact id, user id, {0: name, -1: 0}, ...]],
// user ids from kFirstFriendId, names "Friend <n>" in an order unlike the ids'.
fnd::Bytes friendListFrame(int count);

// Presence notices for the `count` friends of friendListFrame, framed back to back: [command, id, ...]
// with at most `perPacket` ids each (command 13 online, 14 offline).
fnd::Bytes presenceFrames(int command, int count, int perPacket);

// A room list of `count` rooms [90, [[id, name, 0, 50, 0, 0], ...]] and a group list of `count` groups
// [300, [id, 0, 0, name, 0, 0, "", 0], ...].
fnd::Bytes roomListFrame(int count);
fnd::Bytes groupListFrame(int count);

// The n-th huge messenger line from friend kFirstFriendId: ASCII emoticon codes filling `bytes` bytes on
// the wire (text travels as UTF-16, so half as many characters) as a chat line
// [3, id, text] (n = 0, 1), a system line [58, id, text] (n = 2) or a status line [15, id, 0, text] (n = 3),
// in turn.
fnd::Bytes hugeChatFrame(int n, size_t bytes);

} // namespace zelvan::hostile
