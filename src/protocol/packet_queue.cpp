// The outgoing packet queue: encoding on the sender's thread, held packets released on log-in, and
// the keep-alive after an idle minute.
#include "protocol/packet_queue.h"

#include <algorithm>

#include <utility>

#include "platform/foundation/clock.h"
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
    QueuedPacket encoded{*packet.asArray()->objectAtIndex(0).asInt(), dumps(packet)};
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(encoded));
    }
    wakeUp();
}

void PacketQueue::sendPacket(const ZelvanPacket& packet) {
    fnd::Value array = packet.array();
    const auto items = array.asArray();
    QueuedPacket encoded{items ? items->objectAtIndex(0).asInt().value_or(0) : 0, dumps(array)};
    {
        std::lock_guard lock(mutex_);
        if (packet.requiresLogin() && !sessionActive_) {
            held_.push_back(std::move(encoded));
            return;
        }
        queued_.push_back(std::move(encoded));
    }
    wakeUp();
}

void PacketQueue::setSessionActive(bool active) {
    bool released = false;
    {
        std::lock_guard lock(mutex_);
        sessionActive_ = active;
        if (active) {
            released = !held_.empty();
            for (QueuedPacket& packet : held_) {
                queued_.push_back(std::move(packet));
            }
            held_.clear();
        }
    }
    if (released) {
        wakeUp();
    }
}

void PacketQueue::setWakeUp(std::function<void()> wakeUp) {
    std::lock_guard lock(wakeUpMutex_);
    wakeUp_ = std::move(wakeUp);
}

void PacketQueue::wakeUp() {
    std::lock_guard lock(wakeUpMutex_);
    if (wakeUp_) {
        wakeUp_();
    }
}

bool PacketQueue::sessionActive() const {
    std::lock_guard lock(mutex_);
    return sessionActive_;
}

std::vector<fnd::Bytes> PacketQueue::drain() {
    std::vector<fnd::Bytes> payloads;
    for (QueuedPacket& packet : drainPackets()) {
        payloads.push_back(std::move(packet.payload));
    }
    return payloads;
}

std::vector<QueuedPacket> PacketQueue::drainPackets() {
    const double now = fnd::Clock::monotonic();
    std::lock_guard lock(mutex_);
    std::vector<QueuedPacket> taken = std::exchange(queued_, {});
    if (!taken.empty()) {
        idleSince_ = now;
    }
    return taken;
}

void PacketQueue::clear() {
    std::lock_guard lock(mutex_);
    queued_.clear();
    idleSince_.reset();
}

bool PacketQueue::noteEmptyTurn() {
    const double now = fnd::Clock::monotonic();
    std::lock_guard lock(mutex_);
    if (!idleSince_ || now < *idleSince_) {
        idleSince_ = now; // the first empty turn (or a clock that went back) starts the idle time
        return false;
    }
    // The same sum as keepAliveDue(), so a timer set for that time finds the keep-alive due.
    if (now < *idleSince_ + keepAliveSeconds_) {
        return false;
    }
    idleSince_ = now;
    queued_.push_back({kKeepAliveCommand, dumps(fnd::Value::array({kKeepAliveCommand}))});
    return true;
}

std::optional<double> PacketQueue::keepAliveDue() const {
    std::lock_guard lock(mutex_);
    if (!idleSince_) {
        return std::nullopt;
    }
    return *idleSince_ + keepAliveSeconds_;
}

void PacketQueue::setKeepAliveSeconds(double seconds) {
    std::lock_guard lock(mutex_);
    keepAliveSeconds_ = std::max(0.1, seconds);
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
