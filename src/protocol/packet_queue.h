// The outgoing game-server packets: queued from any thread in order, packets that need a session held
// back until there is one, and the count of idle network turns that calls for a keep-alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "protocol/zelvan_packet.h"

namespace zelvan {

// One queued packet: its command number and its encoded bytes.
struct QueuedPacket {
    int64_t command = 0;
    fnd::Bytes payload;
};

class PacketQueue {
public:
    // The keep-alive packet, queued after this many consecutive turns in which nothing went out.
    static constexpr int kKeepAliveCommand = 9999;
    static constexpr int kKeepAliveTurns = 600;

    PacketQueue() = default;
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Queues one packet array (element 0 the command number). The packet is encoded at once, so the
    // caller may change its arrays afterwards. Anything but an array with an integer command is
    // refused with a WARN trace line.
    void send(const fnd::Value& packet);
    // Holds the packet while there is no session and it requires log-in; otherwise send(array()).
    void sendPacket(const ZelvanPacket& packet);

    // Becoming active releases the held packets, in the order they were given, behind those queued.
    void setSessionActive(bool active);
    bool sessionActive() const;

    // Takes every queued packet, each encoded with the tagged codec, oldest first. Taking at least one
    // packet starts the count of empty turns afresh.
    std::vector<fnd::Bytes> drain();
    // The same, each packet with its command number (the network loop counts what it sends by command).
    std::vector<QueuedPacket> drainPackets();
    // Drops the queued packets (the connection they were meant for has closed); held packets stay.
    void clear();

    // The number of empty turns that calls for a keep-alive (kKeepAliveTurns unless changed; at least 1).
    // The headless client lowers it so a short demonstration run shows keep-alives.
    void setKeepAliveTurns(int turns);

    // Counts one network turn in which nothing was sent. On the keep-alive-turns-th such turn in a row
    // it queues the keep-alive packet [9999], starts the count afresh and returns true.
    bool noteEmptyTurn();

    size_t queuedCount() const;
    size_t heldCount() const;

private:
    void enqueueLocked(const fnd::Value& packet);

    mutable std::mutex mutex_;
    std::vector<QueuedPacket> queued_;
    std::vector<QueuedPacket> held_;
    bool sessionActive_ = false;
    int emptyTurns_ = 0;
    int keepAliveTurns_ = kKeepAliveTurns;
};

} // namespace zelvan
