// The outgoing game-server packets: queued from any thread in order, packets that need a session held
// back until there is one, and the idle time that calls for a keep-alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "protocol/command_table.h"
#include "protocol/zelvan_packet.h"

namespace zelvan {

// One queued packet: its command number and its encoded bytes.
struct QueuedPacket {
    int64_t command = 0;
    fnd::Bytes payload;
};

class PacketQueue {
public:
    // The keep-alive packet, queued once nothing has gone out for this many seconds.
    static constexpr int kKeepAliveCommand = cmd::kKeepAlive;
    static constexpr double kKeepAliveSeconds = 60;

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

    // Called (on the sending thread, no lock of the queue held) each time packets join the queue: the
    // network loop sleeps until something wakes it. Null stops the calls; a call in progress is
    // waited for, so the callee may go once this returns.
    void setWakeUp(std::function<void()> wakeUp);
    bool sessionActive() const;

    // Takes every queued packet, each encoded with the tagged codec, oldest first. Taking at least one
    // packet starts the idle time afresh.
    std::vector<fnd::Bytes> drain();
    // The same, each packet with its command number (the network loop counts what it sends by command).
    std::vector<QueuedPacket> drainPackets();
    // Drops the queued packets (the connection they were meant for has closed); held packets stay.
    void clear();

    // The idle time that calls for a keep-alive (kKeepAliveSeconds unless changed; at least 0.1 s).
    // The headless client shortens it so a short demonstration run shows keep-alives.
    void setKeepAliveSeconds(double seconds);

    // Notes a network turn in which nothing was sent, at fnd::Clock's monotonic time. Once nothing has
    // gone out for the keep-alive time (since packets were last taken, or since the first empty turn
    // after the queue was made or cleared), it queues the keep-alive packet [9999], starts the idle
    // time afresh and returns true. Time counts, not turns: a loop whose turns end early (a busy
    // connection) sends no more keep-alives than an idle one.
    bool noteEmptyTurn();
    // The monotonic time from which noteEmptyTurn() queues the keep-alive; nullopt until an empty turn
    // has started the idle time. The network loop sets its timer for it.
    std::optional<double> keepAliveDue() const;

    size_t queuedCount() const;
    size_t heldCount() const;

private:
    void enqueueLocked(const fnd::Value& packet);
    void wakeUp();

    mutable std::mutex mutex_;
    std::vector<QueuedPacket> queued_;
    std::vector<QueuedPacket> held_;
    bool sessionActive_ = false;
    std::optional<double> idleSince_; // monotonic time
    double keepAliveSeconds_ = kKeepAliveSeconds;
    // Its own lock, so the packets' lock is never held while the loop is woken.
    std::mutex wakeUpMutex_;
    std::function<void()> wakeUp_;
};

} // namespace zelvan
