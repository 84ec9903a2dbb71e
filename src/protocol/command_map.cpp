// Owner lookup in the command table, run-time registrations, and dispatch with the
// inflation of compressed packets.
#include "protocol/command_map.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <utility>

#include "platform/foundation/log.h"
#include "platform/foundation/zlib_codec.h"
#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

// The command number of a packet array, or nullopt when the value is not one.
std::optional<int> commandOf(const fnd::Value& packet) {
    if (!packet.isArray()) {
        return std::nullopt;
    }
    const fnd::Value& first = packet.asArray()->objectAtIndex(0);
    std::optional<int64_t> cmd = first.asInt();
    if (!cmd || *cmd < INT32_MIN || *cmd > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*cmd);
}

} // namespace

std::optional<CommandMap::Owner> CommandMap::ownerOf(int cmd) {
    const CommandInfo* info = receivedCommand(cmd);
    if (info == nullptr) {
        return std::nullopt;
    }
    switch (info->owner) {
    case Owner::Messenger:
    case Owner::AvatarManager:
    case Owner::GamesTab:
    case Owner::GameCache:
    case Owner::WebCache:
        return info->owner;
    case Owner::Core:
    case Owner::Screens:
    case Owner::None:
        break;
    }
    return std::nullopt;
}

void CommandMap::setOwner(Owner owner, std::weak_ptr<CommandHandler> handler) {
    std::lock_guard lock(mutex_);
    owners_[owner] = std::move(handler);
}

void CommandMap::setFallback(std::weak_ptr<CommandHandler> handler) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(handler);
}

void CommandMap::addCmdDelegate(int cmd, std::weak_ptr<CommandHandler> handler) {
    std::shared_ptr<CommandHandler> incoming = handler.lock();
    if (!incoming) {
        ZTRACE_WARN("no handler given for command %d", cmd);
        return;
    }
    std::lock_guard lock(mutex_);
    auto found = registered_.find(cmd);
    bool replaces = false;
    if (found != registered_.end() && !found->second.handler.expired()) {
        replaces = found->second.identity != incoming.get();
    } else if (std::optional<Owner> owner = ownerOf(cmd)) {
        auto slot = owners_.find(*owner);
        replaces = slot != owners_.end() && !slot->second.expired() && slot->second.lock() != incoming;
    }
    if (replaces) {
        ZTRACE_WARN("handler of command %d replaced", cmd);
    }
    registered_[cmd] = Entry{std::move(handler), incoming.get()};
}

void CommandMap::removeCmdDelegate(int cmd, const CommandHandler* handler) {
    std::lock_guard lock(mutex_);
    auto found = registered_.find(cmd);
    if (found != registered_.end() && found->second.identity == handler) {
        registered_.erase(found);
    }
}

void CommandMap::removeCmdDelegate(const CommandHandler* handler) {
    std::lock_guard lock(mutex_);
    std::erase_if(registered_, [handler](const auto& item) { return item.second.identity == handler; });
}

bool CommandMap::dispatch(const fnd::Value& packet) {
    if (!loggedIn()) {
        return false;
    }
    return dispatchAt(packet, 0);
}

bool CommandMap::dispatchAt(const fnd::Value& packet, int depth) {
    std::optional<int> cmd = commandOf(packet);
    if (!cmd) {
        ZTRACE_WARN("dropped a packet without a command number");
        return false;
    }
    if (*cmd == kCompressedCommand) {
        return dispatchCompressed(packet, depth);
    }
    std::shared_ptr<CommandHandler> handler = handlerFor(*cmd);
    if (!handler) {
        return false;
    }
    deliver(*handler, packet, *cmd);
    return true;
}

bool CommandMap::dispatchCompressed(const fnd::Value& packet, int depth) {
    if (depth >= kMaxNesting) {
        ZTRACE_WARN("dropped a compressed packet nested deeper than %d", kMaxNesting);
        return false;
    }
    const fnd::Bytes* compressed = packet.asArray()->objectAtIndex(1).asData();
    if (compressed == nullptr) {
        ZTRACE_WARN("dropped a compressed packet without data");
        return false;
    }
    fnd::Result<fnd::Bytes> inflated = fnd::inflate(*compressed, kMaxInflatedSize, fnd::ZlibFraming::Zlib);
    if (!inflated) {
        ZTRACE_WARN("dropped a compressed packet of %zu bytes that does not inflate within %d bytes (zlib: %@)",
                    compressed->size(), static_cast<int>(kMaxInflatedSize), inflated.error().localizedDescription());
        return false;
    }
    fnd::Result<fnd::Value> inner = loads(*inflated);
    if (!inner) {
        ZTRACE_WARN("dropped a compressed packet whose content does not decode (codec: %@)",
                    inner.error().localizedDescription());
        return false;
    }
    return dispatchAt(*inner, depth + 1);
}

std::shared_ptr<CommandHandler> CommandMap::handlerFor(int cmd) {
    std::lock_guard lock(mutex_);
    if (auto found = registered_.find(cmd); found != registered_.end()) {
        if (auto handler = found->second.handler.lock()) {
            return handler;
        }
    }
    if (std::optional<Owner> owner = ownerOf(cmd)) {
        if (auto found = owners_.find(*owner); found != owners_.end()) {
            if (auto handler = found->second.lock()) {
                return handler;
            }
        }
    }
    return fallback_.lock();
}

void CommandMap::deliver(CommandHandler& handler, const fnd::Value& packet, int cmd) {
    try {
        handler.handleServerResponse(packet);
    } catch (const std::exception& e) {
        Tracer::sharedTracer().logError(__FILE__, __LINE__, __func__, fnd::format("handler of command %d failed", cmd),
                                        e);
    } catch (...) {
        ZTRACE_ERROR("handler of command %d failed with an unknown exception", cmd);
    }
}

} // namespace zelvan
