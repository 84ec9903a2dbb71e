// The game resource cache's traffic: answering keys locally or queueing them, sending batches of
// command 76, storing the replies of command 23, and the sweeps and clearing the game thread runs.
#include "games/cache/zelvan_game_cache.h"

#include <algorithm>

#include "platform/foundation/array.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan {

bool ZelvanGameCache::needsRecheck(const std::string& key) {
    return key.find(kRecheckMarker) != std::string::npos;
}

void ZelvanGameCache::requestDataWithKeys(const std::vector<std::string>& keys) {
    requestKeys(keys, true);
}

void ZelvanGameCache::requestKeys(const std::vector<std::string>& keys, bool fromGame) {
    std::lock_guard lock(mutex_);
    for (const std::string& key : keys) {
        if (fromGame) {
            reasked_.erase(key);
        }
        const std::optional<std::string> path = fileFullPath(key);
        const int64_t size = path ? fileSize(*path) : -1;
        if (path && size >= 0) {
            if (!needsRecheck(key) || requestedMap_.contains(key)) {
                setAskedResult(key, *path);
            } else {
                addRequest(key, size);
            }
        } else {
            addRequest(key, -1);
        }
    }
    sendRequestIf();
}

std::optional<std::string> ZelvanGameCache::newDataWithKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto found = cacheMap_.find(key);
    if (found == cacheMap_.end()) {
        return std::nullopt;
    }
    std::string path = std::move(found->second);
    cacheMap_.erase(found);
    askedResults_.erase(cacheFileName(path));
    return path;
}

void ZelvanGameCache::setAskedResult(const std::string& key, const std::string& path) {
    std::lock_guard lock(mutex_);
    cacheMap_[key] = path;
    if (const std::string file = cacheFileName(path); !file.empty()) {
        askedResults_.insert(file);
        budget_.used(file);
    }
}

void ZelvanGameCache::addRequest(const std::string& key, int64_t localSize) {
    std::lock_guard lock(mutex_);
    if (findPending(key) != kNotFound) {
        return;
    }
    if (const int32_t index = findRequest(key); index != kNotFound) {
        ZLVGameCacheRequest request = std::move(requestQueue_[static_cast<size_t>(index)]);
        requestQueue_.erase(requestQueue_.begin() + index);
        requestQueue_.push_front(std::move(request));
        return;
    }
    requestQueue_.push_back(ZLVGameCacheRequest{key, localSize, 0});
    requestSet_.insert(key);
}

int32_t ZelvanGameCache::findRequest(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (!requestSet_.contains(key)) {
        return kNotFound;
    }
    const auto found = std::find_if(requestQueue_.begin(), requestQueue_.end(),
                                    [&](const ZLVGameCacheRequest& request) { return request.key == key; });
    if (found == requestQueue_.end()) {
        ZLOG(Warn, "SHOULD found the request %@", fnd::logPreview(key));
        return kNotFound;
    }
    return static_cast<int32_t>(found - requestQueue_.begin());
}

int32_t ZelvanGameCache::findPending(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(pendingRequestQueue_.begin(), pendingRequestQueue_.end(),
                                    [&](const ZLVGameCacheRequest& request) { return request.key == key; });
    return found == pendingRequestQueue_.end() ? kNotFound : static_cast<int32_t>(found - pendingRequestQueue_.begin());
}

void ZelvanGameCache::sendRequestIf() {
    std::lock_guard lock(mutex_);
    if (!pendingRequestQueue_.empty() || requestQueue_.empty()) {
        return;
    }
    ZelvanPacket packet(kRequestCommand);
    while (!requestQueue_.empty() && pendingRequestQueue_.size() < kBatchSize) {
        ZLVGameCacheRequest request = std::move(requestQueue_.front());
        requestQueue_.pop_front();
        requestSet_.erase(request.key);
        packet.addObject(request.key);
        packet.addObject(request.localSize);
        pendingRequestQueue_.push_back(std::move(request));
    }
    if (sendPacket_) {
        sendPacket_(packet);
    }
}

void ZelvanGameCache::handleServerResponse(const fnd::Value& packet) {
    const auto items = packet.asArray();
    if (!items || items->empty() || items->objectAtIndex(0).asInt() != kReplyCommand) {
        return;
    }
    const fnd::Value& keyValue = items->count() >= 2 ? items->objectAtIndex(1) : fnd::Value();
    const fnd::Value& dataValue = items->count() == 3 ? items->objectAtIndex(2) : fnd::Value();
    if ((items->count() != 2 && items->count() != 3) || !keyValue.isString() ||
        !(dataValue.isData() || dataValue.isNull())) {
        ZLOG(Warn, "game cache: malformed reply %@ ignored", fnd::logPreview(packet));
        return;
    }
    const std::string key = *keyValue.asString();

    std::lock_guard lock(mutex_);
    const int32_t index = findPending(key);
    const bool asked = index != kNotFound;
    if (asked) {
        ZLVGameCacheRequest request = std::move(pendingRequestQueue_[static_cast<size_t>(index)]);
        pendingRequestQueue_.erase(pendingRequestQueue_.begin() + index);
        if (needsRecheck(key)) {
            request.checkTime = fnd::Clock::now().sinceReferenceDate();
            requestedMap_[key] = std::move(request);
        }
    } else {
        // Still stored and made a result, within the folder's budget; unlike an asked one, its file may
        // make room for others before anyone collects it.
        ZLOG(Warn, "not found in pending %@", fnd::logPreview(key));
    }
    // The next batch leaves as soon as this one is answered, before this reply is stored.
    sendRequestIf();

    if (items->count() == 2) {
        if (const auto path = fileFullPath(key); path && asked) {
            setAskedResult(key, *path);
        } else if (path) {
            cacheMap_[key] = *path;
        } else if (asked && reasked_.insert(key).second) {
            requestKeys({key}, false);
        } else if (asked) {
            ZLOG(Warn, "game cache: the server has no data for %@ and there is no local file", fnd::logPreview(key));
        }
        return;
    }
    const fnd::Bytes* data = dataValue.asData();
    storeReply(key, data != nullptr ? *data : fnd::Bytes{}, asked);
}

void ZelvanGameCache::storeReply(const std::string& key, const fnd::Bytes& data, bool asked) {
    const std::string name = resourceFileName(key);
    if (!storeFile(name, data)) {
        return;
    }
    if (asked) {
        setAskedResult(key, cacheFilePath(name));
    } else {
        cacheMap_[key] = cacheFilePath(name);
    }
}

void ZelvanGameCache::expireRequested() {
    std::lock_guard lock(mutex_);
    const double now = fnd::Clock::now().sinceReferenceDate();
    if (now - expireTime_ <= kSweepInterval) {
        return;
    }
    std::erase_if(requestedMap_,
                  [&](const auto& entry) { return now - entry.second.checkTime > kConfirmationLifetime; });
    expireTime_ = now;
}

void ZelvanGameCache::clearRequest() {
    std::lock_guard lock(mutex_);
    pendingRequestQueue_.clear();
    requestQueue_.clear();
    requestSet_.clear();
    cacheMap_.clear();
    askedResults_.clear();
    reasked_.clear();
}

std::vector<std::string> ZelvanGameCache::waitingKeys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& request : requestQueue_) {
        keys.push_back(request.key);
    }
    return keys;
}

std::vector<std::string> ZelvanGameCache::pendingKeys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& request : pendingRequestQueue_) {
        keys.push_back(request.key);
    }
    return keys;
}

std::vector<std::string> ZelvanGameCache::readyKeys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& [key, path] : cacheMap_) {
        keys.push_back(key);
    }
    return keys;
}

bool ZelvanGameCache::invariantsHold() const {
    std::lock_guard lock(mutex_);
    if (pendingRequestQueue_.size() > kBatchSize || requestSet_.size() != requestQueue_.size()) {
        return false;
    }
    for (const auto& request : requestQueue_) {
        const bool pending = std::any_of(pendingRequestQueue_.begin(), pendingRequestQueue_.end(),
                                         [&](const ZLVGameCacheRequest& p) { return p.key == request.key; });
        if (!requestSet_.contains(request.key) || pending) {
            return false;
        }
    }
    // Something waits only while a batch is in flight.
    return requestQueue_.empty() || !pendingRequestQueue_.empty();
}

} // namespace zelvan
