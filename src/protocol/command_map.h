// Routes each received game-server packet to the object that handles its command number: handlers
// registered at run time first, then the fixed owner of the number, then the application's fallback.
// Compressed packets (command 1000) are inflated and routed again.
#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/value.h"
#include "protocol/command_handler.h"
#include "protocol/command_table.h"

namespace zelvan {

// Web resources fetched over the game connection: the request is [400, request id, URL], the reply
// [400, request id, bytes] or [400, request id, error code]. The web cache owns the number.
inline constexpr int kWebResourceCommand = cmd::kWebResource;

class CommandMap {
public:
    // The subsystems that own command numbers (the command table's owner column); Messenger ..
    // WebCache have slots in the map.
    using Owner = CommandOwner;

    // A packet whose element 1 is a zlib stream of another encoded packet.
    static constexpr int kCompressedCommand = cmd::kCompressed;
    // Inflated packets larger than this are refused.
    static constexpr size_t kMaxInflatedSize = 4 * 1024 * 1024;
    // How many compressed packets may be wrapped inside one another.
    static constexpr int kMaxNesting = 4;

    // The map is complete from construction, so registrations made before any packet arrives are kept.
    CommandMap() = default;
    CommandMap(const CommandMap&) = delete;
    CommandMap& operator=(const CommandMap&) = delete;

    // The owner slot of a received command number, from the command table; nullopt for numbers that
    // go to the fallback or to run-time registrations.
    static std::optional<Owner> ownerOf(int cmd);

    // Fills (or with an empty pointer clears) the slot of an owner; the map does not keep it alive.
    void setOwner(Owner owner, std::weak_ptr<CommandHandler> handler);
    // Receives the commands nobody else handles (the application delegate's own handling).
    void setFallback(std::weak_ptr<CommandHandler> handler);

    // Makes `handler` the handler of `cmd`, replacing (with a WARN trace line) another live handler,
    // the number's filled owner slot included; removing the entry gives the number back to its owner.
    void addCmdDelegate(int cmd, std::weak_ptr<CommandHandler> handler);
    // Removes the entry of `cmd` only when `handler` holds it, so one screen cannot unregister another.
    void removeCmdDelegate(int cmd, const CommandHandler* handler);
    // Removes every entry held by `handler`; harmless for one that never registered.
    void removeCmdDelegate(const CommandHandler* handler);

    // Nothing is dispatched while logged out. The owner of the connection handles the log-in reply
    // itself and sets this once a session exists.
    void setLoggedIn(bool loggedIn) { loggedIn_.store(loggedIn); }
    bool loggedIn() const { return loggedIn_.load(); }

    // Hands `packet` (an array, element 0 the command number) to its handler outside the map's lock.
    // A handler that throws is logged and counts as having handled the packet. Returns whether some
    // handler (the fallback included) received it; false while logged out or for a malformed or
    // refused packet.
    bool dispatch(const fnd::Value& packet);

private:
    struct Entry {
        std::weak_ptr<CommandHandler> handler;
        const CommandHandler* identity = nullptr; // compared on removal, never dereferenced
    };

    bool dispatchAt(const fnd::Value& packet, int depth);
    bool dispatchCompressed(const fnd::Value& packet, int depth);
    std::shared_ptr<CommandHandler> handlerFor(int cmd);
    static void deliver(CommandHandler& handler, const fnd::Value& packet, int cmd);

    std::recursive_mutex mutex_;
    std::map<int, Entry> registered_;
    std::map<Owner, std::weak_ptr<CommandHandler>> owners_;
    std::weak_ptr<CommandHandler> fallback_;
    std::atomic<bool> loggedIn_{false};
};

} // namespace zelvan
