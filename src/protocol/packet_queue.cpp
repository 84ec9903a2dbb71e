// The outgoing packet queue: encoding on the sender's thread, held packets released on log-in, and
// the keep-alive count.
#include "protocol/packet_queue.h"
#include <algorithm>

#include <utility>

#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

bool isPacketArray(const fnd::Value& packet) {
    return packet.isArray() && packet.asArray()->objectAtIndex(0).isInt();
}

} // namespace

void PacketQueue::send(const fnd::Value& packet) {
    if (!isPacketArray(packet)) {
        ZTRACE_WARN("refused to send a packet without a command number");
        return;
    }
    fnd::Bytes encoded = dumps(packet);
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(encoded));
}

void PacketQueue::sendPacket(const ZelvanPacket& packet) {
    fnd::Value array = packet.array();
    fnd::Bytes encoded = dumps(array);
    std::lock_guard lock(mutex_);
    if (packet.requiresLogin() && !sessionActive_) {
        held_.push_back(std::move(encoded));
    } else {
        queued_.push_back(std::move(encoded));
    }
}

void PacketQueue::setSessionActive(bool active) {
    std::lock_guard lock(mutex_);
    sessionActive_ = active;
    if (active) {
        for (fnd::Bytes& packet : held_) {
            queued_.push_back(std::move(packet));
        }
        held_.clear();
    }
}

bool PacketQueue::sessionActive() const {
    std::lock_guard lock(mutex_);
    return sessionActive_;
}

std::vector<fnd::Bytes> PacketQueue::drain() {
    std::lock_guard lock(mutex_);
    std::vector<fnd::Bytes> taken = std::exchange(queued_, {});
    if (!taken.empty()) {
        emptyTurns_ = 0;
    }
    return taken;
}

void PacketQueue::clear() {
    std::lock_guard lock(mutex_);
    queued_.clear();
    emptyTurns_ = 0;
}

bool PacketQueue::noteEmptyTurn() {
    std::lock_guard lock(mutex_);
    if (++emptyTurns_ < keepAliveTurns_) {
        return false;
    }
    emptyTurns_ = 0;
    queued_.push_back(dumps(fnd::Value::array({kKeepAliveCommand})));
    return true;
}

void PacketQueue::setKeepAliveTurns(int turns) {
    std::lock_guard lock(mutex_);
    keepAliveTurns_ = std::max(1, turns);
}

size_t PacketQueue::queuedCount() const {
    std::lock_guard lock(mutex_);
    return queued_.size();
}

size_t PacketQueue::heldCount() const {
    std::lock_guard lock(mutex_);
    return held_.size();
}

} // namespace zelvan
