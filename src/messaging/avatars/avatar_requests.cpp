// The avatar manager's traffic: the queue of questions to the game server and its 1-second timer,
// the answers (commands 17 and 24) written to the cache folder, and the listeners told of them.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "core/main_thread.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "platform/foundation/array.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "protocol/packet_reader.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

std::string describeListener(const void* listener) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", listener);
    return text;
}

} // namespace

void ZelvanAvatarManager::addAvatarRequest(int32_t userId, int32_t type, int32_t version) {
    auto same = [&](const std::shared_ptr<AvatarRequest>& request) {
        return request->userId == userId && request->type == type;
    };
    if (std::any_of(pendingQueue_.begin(), pendingQueue_.end(), same)) {
        return;
    }
    const auto waiting = std::find_if(requestQueue_.begin(), requestQueue_.end(), same);
    if (waiting != requestQueue_.end()) {
        auto request = *waiting;
        requestQueue_.erase(waiting);
        requestQueue_.push_back(std::move(request));
        return;
    }
    requestQueue_.push_back(std::make_shared<AvatarRequest>(userId, type, version));
}

void ZelvanAvatarManager::fireTimerEvent() {
    requeuePending(fnd::Clock::monotonic() - kPendingTimeout);
    int free = kMaxPending - static_cast<int>(pendingQueue_.size());
    while (free > 0 && !requestQueue_.empty()) {
        auto request = requestQueue_.back();
        requestQueue_.pop_back();
        if (send_) {
            send_(fnd::Value::array({kAskCommand, request->userId, request->type, request->version}));
        }
        request->sentAt = fnd::Clock::monotonic();
        pendingQueue_.push_back(std::move(request));
        --free;
    }
}

void ZelvanAvatarManager::requeuePending(std::optional<double> sentBefore) {
    // Questions whose answers were lost go to the front of the line, behind every fresher need.
    std::vector<std::shared_ptr<AvatarRequest>> lost;
    std::erase_if(pendingQueue_, [&](const std::shared_ptr<AvatarRequest>& request) {
        if (sentBefore && request->sentAt > *sentBefore) {
            return false;
        }
        lost.push_back(request);
        return true;
    });
    requestQueue_.insert(requestQueue_.begin(), lost.begin(), lost.end());
}

void ZelvanAvatarManager::connectionLost() {
    onMain(weak_from_this(), [](ZelvanAvatarManager& self) { self.requeuePending(std::nullopt); });
}

void ZelvanAvatarManager::connectionResumed() {
    connectionLost();
}

std::vector<std::string> ZelvanAvatarManager::waitingRequests() const {
    std::vector<std::string> out;
    for (const auto& request : requestQueue_) {
        out.push_back(request->description());
    }
    return out;
}

std::vector<std::string> ZelvanAvatarManager::pendingRequests() const {
    std::vector<std::string> out;
    for (const auto& request : pendingQueue_) {
        out.push_back(request->description());
    }
    return out;
}

void ZelvanAvatarManager::handleServerResponse(const fnd::Value& packet) {
    onMain(weak_from_this(), [packet](ZelvanAvatarManager& self) { self.handleServerResponseInternal(packet); });
}

void ZelvanAvatarManager::handleServerResponseInternal(const fnd::Value& packet) {
    const auto command = PacketReader(packet).optionalInt32(0);
    if (command == kPictureCommand) {
        handlePicture(packet);
    } else if (command == kVersionCommand) {
        handleVersion(packet);
    } else {
        ZTRACE_WARN("avatar manager: unexpected packet %@", fnd::logPreview(packet));
    }
}

void ZelvanAvatarManager::handleVersion(const fnd::Value& packet) {
    const PacketReader p(packet);
    const auto userId = p.optionalInt32(1);
    const auto type = p.optionalInt32(2);
    const auto version = p.optionalInt32(3);
    if (!userId || !type || !version || !isAvatarType(*type)) {
        ZTRACE_WARN("avatar manager: bad version notice %@", fnd::logPreview(packet));
        return;
    }
    const int32_t local = localAvatarVersion(*userId, *type);
    if (*version != local) {
        addAvatarRequest(*userId, *type, local);
    }
}

void ZelvanAvatarManager::handlePicture(const fnd::Value& packet) {
    const PacketReader p(packet);
    const auto userId = p.optionalInt32(1);
    const auto type = p.optionalInt32(2);
    const auto version = p.optionalInt32(3);
    const fnd::Value data = p.count() > 4 ? p.array().objectAtIndex(4) : fnd::Value();
    if (!userId || !type || !version || !isAvatarType(*type) || (!data.isData() && !data.isNull())) {
        ZTRACE_WARN("avatar manager: bad picture answer %@", fnd::logPreview(packet));
        return;
    }
    const auto pending = std::find_if(pendingQueue_.begin(), pendingQueue_.end(), [&](const auto& request) {
        return request->userId == *userId && request->type == *type;
    });
    if (pending != pendingQueue_.end()) {
        pendingQueue_.erase(pending);
    } else {
        ZTRACE_WARN("can't find the pending request %d, %d", *userId, *type);
    }
    const int32_t old = updateAvatarInfo(*userId, *type, *version);
    if (*version < 0) {
        return;
    }
    if (data.isNull()) {
        if (*version == kAvatarVersionNone) {
            fireAvatarUpdatedEvent(*userId, *type, *version);
        }
        return;
    }
    const std::string path = avatarFilePath(*userId, *type, *version);
    if (!removeCacheFile(path)) {
        return;
    }
    if (!writeCacheFile(path, *data.asData())) {
        return;
    }
    // A grey head made from an earlier picture of this version is stale now.
    removeCacheFile(path + "_gray");
    if (*type == kAvatarHead) {
        headCache_.remove(*userId);
        grayHeadCache_.remove(*userId);
    }
    fireAvatarUpdatedEvent(*userId, *type, *version);
    if (old != *version) {
        const std::string oldPath = avatarFilePath(*userId, *type, old);
        removeCacheFile(oldPath);
        removeCacheFile(oldPath + "_gray");
    }
}

bool ZelvanAvatarManager::removeCacheFile(const std::string& path) {
    if (!fnd::FileManager::fileExistsAtPath(path)) {
        budget_.removed(cacheFileName(path));
        return true;
    }
    if (!fnd::FileManager::removeItemAtPath(path)) {
        ZTRACE_WARN("failed to remove file %@", fnd::logPreview(path));
    }
    if (fnd::FileManager::fileExistsAtPath(path)) {
        return false;
    }
    budget_.removed(cacheFileName(path));
    return true;
}

void ZelvanAvatarManager::addDelegate(const std::shared_ptr<AvatarUpdateDelegate>& listener) {
    std::lock_guard lock(delegatesMutex_);
    if (delegates_.containsObject(listener)) {
        ZTRACE_WARN("duplicate delegate %@", describeListener(listener.get()));
        return;
    }
    delegates_.addObject(listener);
}

void ZelvanAvatarManager::removeDelegate(const std::shared_ptr<AvatarUpdateDelegate>& listener) {
    std::lock_guard lock(delegatesMutex_);
    delegates_.removeObject(listener);
}

void ZelvanAvatarManager::fireAvatarUpdatedEvent(int32_t userId, int32_t type, int32_t version) {
    // The listeners present now are copied under the lock and called after it is released: a listener
    // may add or remove listeners, or resolve a service of the delegate (whose registry lock comes
    // before this one), while it is called.
    std::vector<std::shared_ptr<AvatarUpdateDelegate>> listeners;
    {
        std::lock_guard lock(delegatesMutex_);
        for (size_t i = 0, n = delegates_.count(); i < n; ++i) {
            if (auto listener = delegates_.objectAtIndex(static_cast<int>(i))) {
                listeners.push_back(std::move(listener));
            }
        }
    }
    for (const auto& listener : listeners) {
        try {
            listener->avatarUpdated(userId, type, version);
        } catch (const std::exception& error) {
            Tracer::sharedTracer().logError(__FILE__, __LINE__, __func__, "fireAvatarUpdatedEvent", error);
        } catch (...) {
            ZTRACE_ERROR("fireAvatarUpdatedEvent: a listener threw an unknown exception");
        }
    }
}

} // namespace zelvan
