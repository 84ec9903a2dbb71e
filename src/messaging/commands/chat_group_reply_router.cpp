// The chat-group reply router: one registration per command with the delegate, many waiting screens.
#include "messaging/commands/chat_group_reply_router.h"

#include <algorithm>

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan {

std::shared_ptr<ChatGroupReplyRouter> ChatGroupReplyRouter::create(zelvanAppDelegate& delegate) {
    auto router = std::make_shared<ChatGroupReplyRouter>();
    for (int cmd : kCommands) {
        delegate.addCmdDelegate(cmd, router);
    }
    return router;
}

void ChatGroupReplyRouter::subscribe(int cmd, const std::shared_ptr<ChatGroupReplyListener>& listener) {
    if (!listener) {
        return;
    }
    std::lock_guard lock(mutex_);
    auto& list = subscribers_[cmd];
    std::erase_if(list, [](const auto& weak) { return weak.expired(); });
    const bool known = std::any_of(list.begin(), list.end(), [&](const auto& weak) { return weak.lock() == listener; });
    if (!known) {
        list.push_back(listener);
    }
}

void ChatGroupReplyRouter::unsubscribe(int cmd, const ChatGroupReplyListener* listener) {
    std::lock_guard lock(mutex_);
    auto found = subscribers_.find(cmd);
    if (found == subscribers_.end()) {
        return;
    }
    std::erase_if(found->second, [&](const auto& weak) {
        auto live = weak.lock();
        return !live || live.get() == listener;
    });
}

void ChatGroupReplyRouter::unsubscribeAll(const ChatGroupReplyListener* listener) {
    for (int cmd : kCommands) {
        unsubscribe(cmd, listener);
    }
}

size_t ChatGroupReplyRouter::subscriberCount(int cmd) const {
    std::lock_guard lock(mutex_);
    auto found = subscribers_.find(cmd);
    if (found == subscribers_.end()) {
        return 0;
    }
    return static_cast<size_t>(
        std::count_if(found->second.begin(), found->second.end(), [](const auto& weak) { return !weak.expired(); }));
}

void ChatGroupReplyRouter::handleServerResponse(const fnd::Value& packet) {
    auto items = packet.asArray();
    if (!items || items->count() == 0 || !items->objectAtIndex(0).isInt()) {
        ZLOG(Warn, "chat groups: a reply without a command was dropped: %s",
             fnd::logPreviewValue(packet, fnd::kLogPreviewBytes));
        return;
    }
    const int cmd = static_cast<int>(items->objectAtIndex(0).intValue());
    std::vector<std::weak_ptr<ChatGroupReplyListener>> targets;
    {
        std::lock_guard lock(mutex_);
        if (auto found = subscribers_.find(cmd); found != subscribers_.end()) {
            targets = found->second;
        }
    }
    for (auto& target : targets) {
        onMain(target, [cmd, packet](ChatGroupReplyListener& listener) { listener.groupReplyReceived(cmd, packet); });
    }
}

} // namespace zelvan
