// The demo game room's answers: the game start, its commands and chat line, and the score.
#include "tools/devserver/demo_game_room.h"

#include <string_view>

#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "tools/devserver/demo_game.h"

namespace zelvan::devserver {
namespace {

using fnd::Value;

// Element `index` of `items` as an integer, when there is one.
std::optional<int64_t> intAt(const fnd::Array& items, size_t index) {
    return index < items.count() ? items.objectAtIndex(index).asInt() : std::nullopt;
}

} // namespace

bool DemoGameRoom::takes(int64_t command) {
    return command == kPlaySingleCommand || command == kGameResultCommand || command == kGameOverCommand;
}

DemoGameRoom::Answer DemoGameRoom::handle(int64_t userId, const fnd::Value& packet) {
    std::shared_ptr<fnd::Array> items = packet.asArray();
    const std::optional<int64_t> command = items ? intAt(*items, 0) : std::nullopt;
    if (command == kPlaySingleCommand) {
        return start(userId, packet);
    }
    if (command == kGameResultCommand) {
        const std::optional<int64_t> result = intAt(*items, 1);
        const std::optional<int64_t> roomPlusOne = intAt(*items, 3);
        auto room = roomPlusOne ? rooms_.find(*roomPlusOne - 1) : rooms_.end();
        if (!result || room == rooms_.end()) {
            ZLOG(Warn, "devserver: demo game result for no open room: %s", fnd::logPreview(packet));
            return {};
        }
        room->second = *result * 100;
        ZLOG(Info, "devserver: demo game room %lld ended with %lld", static_cast<long long>(room->first),
             static_cast<long long>(*result));
        return {};
    }
    if (command == kGameOverCommand) {
        const std::optional<int64_t> roomId = intAt(*items, 1);
        auto room = roomId ? rooms_.find(*roomId) : rooms_.end();
        if (room == rooms_.end() || !room->second) {
            ZLOG(Warn, "devserver: demo game over without a result: %s", fnd::logPreview(packet));
            return {};
        }
        Answer answer;
        answer.now.push_back(Value::array({kSingleScoreCommand, room->first, *room->second}));
        rooms_.erase(room);
        return answer;
    }
    return {};
}

DemoGameRoom::Answer DemoGameRoom::start(int64_t userId, const fnd::Value& packet) {
    std::shared_ptr<fnd::Array> items = packet.asArray();
    if (intAt(*items, 1) != 0 || intAt(*items, 2) != kDemoGameId) {
        ZLOG(Info, "devserver: %s asks for no demo game", fnd::logPreview(packet));
        return {};
    }
    const std::string path = gameRoot_ + "/" + std::string(kDemoBytecodeFile);
    std::optional<fnd::Bytes> bytecode = fnd::readFile(path);
    if (!bytecode) {
        ZLOG(Warn, "devserver: the demo game's bytecode %s cannot be read", path.c_str());
        return {};
    }
    const int64_t room = nextRoom_++;
    rooms_[room] = std::nullopt;
    ZLOG(Info, "devserver: demo game %d starts in room %lld for user %lld", static_cast<int>(kDemoGameId),
         static_cast<long long>(room), static_cast<long long>(userId));
    Answer answer;
    answer.now.push_back(Value::array({kGameStartCommand, kDemoGameName, room, userId, Value::array({kDemoPlayerName}),
                                       Value::array({std::to_string(userId)}), Value(std::move(*bytecode)), kDemoGameId,
                                       0, kDemoGameAttribute}));
    // The greeting waits with the commands: a chat line that comes before the game has shown its chat
    // area has nowhere to go.
    answer.later.push_back(Value::array({kGameChatCommand, room, Value::array({-1, kDemoChatLine})}));
    for (int n = 1; n <= kDemoCommandCount; ++n) {
        answer.later.push_back(Value::array({kGameCommandCommand, room, "move", n}));
    }
    return answer;
}

} // namespace zelvan::devserver
