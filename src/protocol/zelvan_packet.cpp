// ZelvanPacket: the packet builder used by every screen that talks to the game server.
#include "protocol/zelvan_packet.h"

namespace zelvan {

ZelvanPacket::ZelvanPacket(int cmd) : cmd_(cmd), items_(fnd::Array::make({fnd::Value(cmd)})) {}

void ZelvanPacket::addInt(int value) {
    items_->addObject(fnd::Value(value));
}

void ZelvanPacket::addObject(const fnd::Value& value) {
    items_->addObject(value);
}

fnd::Value ZelvanPacket::array() const {
    return fnd::Value(std::make_shared<fnd::Array>(items_->items()));
}

} // namespace zelvan
