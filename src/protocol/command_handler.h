// The receiver of game-server packets: subsystems that own command numbers implement it and are
// reached through the command map, which holds them weakly.
#pragma once

#include "platform/foundation/value.h"

namespace zelvan {

class CommandHandler {
public:
    virtual ~CommandHandler() = default;

    // Receives one packet array (element 0 the command number), on the thread that dispatches.
    virtual void handleServerResponse(const fnd::Value& packet) = 0;
};

} // namespace zelvan
