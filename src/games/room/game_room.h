// GameRoom: one game room as the server lists it (id, name, sub-rooms, parent, kind, attribute bits,
// user limit and the games it offers), read from nine consecutive elements of a server array.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/foundation/value.h"

namespace zelvan {

class GameRoom {
public:
    // The number of consecutive elements one room takes.
    static constexpr size_t kFieldCount = 9;

    // Whether any of `bits` is set in `value`.
    static bool checkAttr(int32_t value, int32_t bits) { return (value & bits) != 0; }
    // `value` with `bits` set when `on`, cleared otherwise.
    static int32_t setAttr(int32_t value, int32_t bits, bool on) { return on ? (value | bits) : (value & ~bits); }

    // A room from elements start .. start + 8 of `array` (numbers by intValue, the name as it
    // stands): id, name, sub-room count, parent id, chat flag, attribute, user limit, single and
    // multi-player game counts. Null (and a log line) when `array` is not an array or is too short.
    static std::shared_ptr<GameRoom> newFromArray(const fnd::Value& array, size_t start = 0);

    // A room holding game tables: a chat room that offers at least one game.
    bool isGameTable() const { return ischat == 1 && (single >= 1 || multiple > 0); }

    int32_t roomId = 0;
    fnd::Value name;
    int32_t subSize = 0;
    int32_t parentId = 0;
    int32_t ischat = 0;
    int32_t attribute = 0;
    int32_t maxUser = 0;
    int32_t single = 0;
    int32_t multiple = 0;
    // Set by the room controller for a single-player game.
    bool isSingleGame = false;
};

} // namespace zelvan
