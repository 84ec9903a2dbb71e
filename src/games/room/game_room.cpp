// GameRoom: reading a room record out of a server array, refusing arrays too short to hold one.
#include "games/room/game_room.h"

#include "protocol/tracer.h"

namespace zelvan {

std::shared_ptr<GameRoom> GameRoom::newFromArray(const fnd::Value& array, size_t start) {
    std::shared_ptr<fnd::Array> list = array.asArray();
    if (list == nullptr || start > list->count() || list->count() - start < kFieldCount) {
        Tracer::sharedTracer().output(__FILE__, __LINE__, "newFromArray", Tracer::kError,
                                      "room record needs %d elements from %d, got %d", static_cast<int>(kFieldCount),
                                      static_cast<int>(start), list == nullptr ? -1 : static_cast<int>(list->count()));
        return nullptr;
    }
    auto at = [&](size_t i) { return list->objectAtIndex(start + i); };
    auto room = std::make_shared<GameRoom>();
    room->roomId = at(0).intValue();
    room->name = at(1);
    room->subSize = at(2).intValue();
    room->parentId = at(3).intValue();
    room->ischat = at(4).intValue();
    room->attribute = at(5).intValue();
    room->maxUser = at(6).intValue();
    room->single = at(7).intValue();
    room->multiple = at(8).intValue();
    return room;
}

} // namespace zelvan
