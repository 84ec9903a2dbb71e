// ContactSync: one address-book sync run (merge, import or export) worked out off the main thread
// from a snapshot of the contact cards. It reads and writes the address book through its own handle
// and returns what the main thread then applies: the packets for the server, the cards now waiting
// for their ids, the cards to drop and the revision step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "messaging/model/card_list.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/value.h"
#include "protocol/command_table.h"

namespace zelvan {

class ContactSync {
public:
    enum Mode : int { kMerge = 1, kImport = 2, kExport = 3 };
    // At most this many contacts go in one add packet (command 17).
    static constexpr size_t kContactsPerPacket = 100;
    static constexpr int kAddCommand = cmd::kAddContact;
    static constexpr int kRemoveCommand = cmd::kRemoveContact;
    // The time stamp of a new contact (key 200): milliseconds since 1970 saturated to 32 bits, as the
    // server has always received it; every present-day time gives 2147483647.
    static constexpr int kKeyTimeStamp = 200;
    static int32_t timeStamp();

    // A card as the run sees it: `original` only names the card of the lists (never read off the main
    // thread); `copy` holds a deep copy of its fields.
    struct Entry {
        std::shared_ptr<vCard> original;
        std::shared_ptr<vCard> copy;
    };
    // Copies of every card of the list (main thread).
    static std::vector<Entry> snapshot(const CardList<vCard>& all);

    struct Plan {
        // False when the address book could not be opened: nothing is to change.
        bool ran = false;
        // In sending order: the add packets, then one remove packet per orphan.
        std::vector<fnd::Value> packets;
        // One revision step per packet.
        int32_t revisionSteps = 0;
        // New cards sent as contacts, to wait for their ids.
        std::vector<std::shared_ptr<vCard>> added;
        // Cards of the lists to remove (the orphans of an import).
        std::vector<std::shared_ptr<vCard>> removed;
    };
    using Progress = std::function<void(float)>;

    // Runs `mode` over the snapshot on the calling thread with a fresh address-book handle.
    static Plan run(int mode, const std::vector<Entry>& cards, const Progress& progress);
};

} // namespace zelvan
