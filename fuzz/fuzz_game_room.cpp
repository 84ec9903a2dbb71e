// Fuzz target: room records read from server packets. The bytes are decoded with the tagged value
// codec and a room is read from every start position; a record must come out exactly when nine
// elements remain, with each number read as the element's intValue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "games/room/game_room.h"
#include "platform/foundation/log.h"
#include "protocol/tagged_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto value = zelvan::loads(std::span<const uint8_t>(data, size));
    if (!value) {
        return 0;
    }
    std::shared_ptr<fnd::Array> list = value->asArray();
    const size_t count = list != nullptr ? list->count() : 0;
    for (size_t start = 0; start <= count + 1; ++start) {
        std::shared_ptr<zelvan::GameRoom> room = zelvan::GameRoom::newFromArray(*value, start);
        const bool fits = list != nullptr && start <= count && count - start >= zelvan::GameRoom::kFieldCount;
        if ((room != nullptr) != fits) {
            std::abort();
        }
        if (room != nullptr && (room->roomId != list->objectAtIndex(start).intValue() ||
                                room->multiple != list->objectAtIndex(start + 8).intValue())) {
            std::abort();
        }
        if (room != nullptr) {
            (void)room->isGameTable();
        }
    }
    return 0;
}
