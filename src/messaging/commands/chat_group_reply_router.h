// ChatGroupReplyRouter: the one handler of the chat-group management replies (305 members, 306
// disband, 310 invite, 311 remove). Several member screens may wait for the same command at once, so
// each subscribes here (held weakly) before it sends and unsubscribes once its group's reply is
// handled; the router hands every reply to each live subscriber of its number on the main thread,
// and each subscriber keeps only the replies for its own group.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/value.h"
#include "protocol/command_handler.h"
#include "protocol/command_table.h"

namespace zelvan {

class zelvanAppDelegate;

class ChatGroupReplyListener {
public:
    virtual ~ChatGroupReplyListener() = default;
    // A reply to `cmd`, on the main thread; the listener checks the group id itself.
    virtual void groupReplyReceived(int cmd, const fnd::Value& packet) = 0;
};

class ChatGroupReplyRouter : public CommandHandler, public std::enable_shared_from_this<ChatGroupReplyRouter> {
public:
    static constexpr int kMembersCommand = cmd::kGroupMembers;
    static constexpr int kDisbandCommand = cmd::kDisbandGroup;
    static constexpr int kInviteCommand = cmd::kGroupInvite;
    static constexpr int kRemoveCommand = cmd::kGroupRemove;
    static constexpr std::array<int, 4> kCommands = {kMembersCommand, kDisbandCommand, kInviteCommand, kRemoveCommand};

    // A router registered with the delegate for the four commands (the delegate holds it weakly, so the
    // caller keeps it).
    static std::shared_ptr<ChatGroupReplyRouter> create(zelvanAppDelegate& delegate);

    // Any thread. A listener subscribed twice to one command is kept once.
    void subscribe(int cmd, const std::shared_ptr<ChatGroupReplyListener>& listener);
    void unsubscribe(int cmd, const ChatGroupReplyListener* listener);
    // Drops the listener from every command (a screen that goes).
    void unsubscribeAll(const ChatGroupReplyListener* listener);
    // How many live listeners wait for `cmd`.
    size_t subscriberCount(int cmd) const;

    // Network thread: posts the packet to each live subscriber of its command on the main thread,
    // without waiting. Packets of other commands, or without an array, are dropped with a log line.
    void handleServerResponse(const fnd::Value& packet) override;

private:
    mutable std::mutex mutex_;
    std::map<int, std::vector<std::weak_ptr<ChatGroupReplyListener>>> subscribers_;
};

} // namespace zelvan
