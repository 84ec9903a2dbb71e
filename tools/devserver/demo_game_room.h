// The dev server's demo game room: a single-player table of the demo game. "Play alone" (56 [0, game
// id]) starts the game with 21; after a pause an in-game chat line greets the player and a few game
// commands (22) follow; the result the client reports (47, then 40) is answered with the score (65).
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/value.h"

namespace zelvan::devserver {

inline constexpr int kPlaySingleCommand = 56;
inline constexpr int kGameStartCommand = 21;
inline constexpr int kGameCommandCommand = 22;
inline constexpr int kGameChatCommand = 41;
inline constexpr int kGameResultCommand = 47;
inline constexpr int kGameOverCommand = 40;
inline constexpr int kSingleScoreCommand = 65;

// The start's game name, the player's name in it (letters beyond Latin-1), and the chat line.
inline constexpr const char* kDemoGameName = "Demo game";
inline constexpr const char* kDemoPlayerName = "\xC5\x81ucja \xE2\x98\x85"; // "Łucja ★"
inline constexpr const char* kDemoChatLine = "Ada Demo: good luck!";
// Attribute flags of the start: single-player.
inline constexpr int kDemoGameAttribute = 2;
// Rooms are numbered from here, one per game started.
inline constexpr int64_t kFirstDemoRoom = 301;
// Commands sent while a game runs.
inline constexpr int kDemoCommandCount = 3;

class DemoGameRoom {
public:
    // Packets answering one received packet: `now` at once, `later` after the room's pause.
    struct Answer {
        std::vector<fnd::Value> now;
        std::vector<fnd::Value> later;
    };

    // The demo game's bytecode is read from `gameRoot`/demo.bcs at each start.
    explicit DemoGameRoom(std::string gameRoot) : gameRoot_(std::move(gameRoot)) {}

    // Whether packets of `command` belong to the room (56, 47 and 40).
    static bool takes(int64_t command);

    // For the player `userId`:
    //   [56, 0, demo game id] -> now [21, name, room, user id, [player name], ["<user id>"], bytecode,
    //                            game id, 0, 2]; later [41, room, [-1, chat line]], then [22, room,
    //                            "move", n] for n = 1 .. kDemoCommandCount
    //   [47, result, foe score, room + 1, ...] -> nothing; the score of the room becomes 100 * result
    //   [40, room] -> [65, room, score] for a room with a result, and the room is closed
    // Anything else (another game id, an unknown room, wrong types, a missing bytecode file) is
    // logged and answered with nothing.
    Answer handle(int64_t userId, const fnd::Value& packet);

private:
    Answer start(int64_t userId, const fnd::Value& packet);

    std::string gameRoot_;
    int64_t nextRoom_ = kFirstDemoRoom;
    // Rooms started and not closed, with their score once the result came.
    std::map<int64_t, std::optional<int64_t>> rooms_;
};

} // namespace zelvan::devserver
