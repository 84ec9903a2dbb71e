// The avatar manager's cache folder and what it knows of versions: creating and scanning the folder,
// its byte budget, the request timer's start, clearing, and the per-user version records.
#include <charconv>
#include <utility>

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/messaging_context.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// A whole signed 32-bit decimal and nothing else.
std::optional<int32_t> parseInt32(std::string_view text) {
    int32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

ZelvanAvatarManager::ZelvanAvatarManager(std::string cachePath, Sender send)
    : send_(std::move(send)), defaultHead_(ZelvanWidget::imageFromResource("avatar_default", true)),
      defaultGrayHead_(ZelvanWidget::imageFromResource("avatar_default_gray", true)),
      defaultHeadUnknown_(ZelvanWidget::imageFromResource("avatar_unknown", true)),
      defaultGrayHeadUnknown_(ZelvanWidget::imageFromResource("avatar_unknown_gray", true)),
      defaultChatGroup_(ZelvanWidget::imageFromResource("chatgroup-default-1", true)) {
    setCachePath(std::move(cachePath));
}

ZelvanAvatarManager::~ZelvanAvatarManager() {
    if (timer_) {
        timer_->invalidate();
    }
}

std::shared_ptr<ZelvanAvatarManager> ZelvanAvatarManager::makeForDelegate(zelvanAppDelegate& delegate) {
    std::weak_ptr<zelvanAppDelegate> weak = delegate.weak_from_this();
    return std::make_shared<ZelvanAvatarManager>(defaultCachePath(), [weak](const fnd::Value& packet) {
        if (auto app = weak.lock()) {
            app->send(packet);
        }
    });
}

std::shared_ptr<ZelvanAvatarManager> currentAvatarManager() {
    auto delegate = messaging::context();
    return delegate ? std::dynamic_pointer_cast<ZelvanAvatarManager>(delegate->avatarManager()) : nullptr;
}

std::string ZelvanAvatarManager::defaultCachePath() {
    return fnd::AppFolders::appDocuments() + "/" + kCacheFolder + "/";
}

std::string ZelvanAvatarManager::cachePath() const {
    std::lock_guard lock(mutex_);
    return cachePath_;
}

void ZelvanAvatarManager::setCachePath(std::string path) {
    std::lock_guard lock(mutex_);
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    cachePath_ = std::move(path);
}

std::string ZelvanAvatarManager::avatarFilePath(int32_t userId, int32_t type, int32_t version) const {
    // Built from integers only, so the name never leaves the folder.
    return cachePath() + fnd::format("%d_%d_%d", userId, type, version);
}

bool ZelvanAvatarManager::initCache() {
    std::lock_guard lock(mutex_);
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    bool isDir = false;
    if (!fnd::FileManager::fileExistsAtPath(cachePath_, &isDir) || !isDir) {
        if (!fnd::FileManager::createDirectoryAtPath(cachePath_)) {
            ZTRACE_WARN("failed to create the avatar cache folder %@", fnd::logPreview(cachePath_));
            return false;
        }
    }
    scanCacheFolder();
    const std::vector<std::string> removed = budget_.learn(cachePath_);
    if (!removed.empty()) {
        ZTRACE_WARN("avatar manager: removed %d least recently used pictures beyond its %lld bytes",
                    static_cast<int>(removed.size()), static_cast<long long>(kMaxCacheBytes));
    }
    std::weak_ptr<ZelvanAvatarManager> weak = weak_from_this();
    timer_ = fnd::Timer::scheduled(kTimerInterval, fnd::Repeats::Yes, [weak](fnd::Timer&) {
        if (auto self = weak.lock()) {
            self->fireTimerEvent();
        }
    });
    return true;
}

void ZelvanAvatarManager::scanCacheFolder() {
    const auto names = fnd::FileManager::contentsOfDirectoryAtPath(cachePath_);
    if (!names) {
        return;
    }
    for (const std::string& name : *names) {
        // "user_type_version"; grey files have a fourth part and anything else is not ours.
        std::vector<std::string_view> parts;
        std::string_view rest = name;
        for (size_t cut = rest.find('_'); cut != std::string_view::npos; cut = rest.find('_')) {
            parts.push_back(rest.substr(0, cut));
            rest.remove_prefix(cut + 1);
        }
        parts.push_back(rest);
        if (parts.size() != 3) {
            continue;
        }
        const auto userId = parseInt32(parts[0]);
        const auto type = parseInt32(parts[1]);
        const auto version = parseInt32(parts[2]);
        if (!userId || !type || !version || *userId < 1) {
            continue;
        }
        updateAvatarInfo(*userId, *type, *version);
    }
}

void ZelvanAvatarManager::clearCache() {
    std::lock_guard lock(mutex_);
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    if (!fnd::FileManager::fileExistsAtPath(cachePath_)) {
        return;
    }
    if (!fnd::FileManager::removeItemAtPath(cachePath_)) {
        ZTRACE_WARN("failed to remove file %@", fnd::logPreview(cachePath_));
        return;
    }
    budget_.scan(cachePath_);
    onMain(weak_from_this(), &ZelvanAvatarManager::initCache);
}

std::string ZelvanAvatarManager::cacheFileName(const std::string& path) const {
    const std::string folder = cachePath();
    return path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path;
}

bool ZelvanAvatarManager::writeCacheFile(const std::string& path, const fnd::Bytes& bytes) {
    const std::string name = cacheFileName(path);
    if (!budget_.makeRoom(name, bytes.size())) {
        ZTRACE_WARN("avatar manager: no room for %@ (%lld bytes) in its %lld bytes", fnd::logPreview(name),
                    static_cast<long long>(bytes.size()), static_cast<long long>(kMaxCacheBytes));
        return false;
    }
    if (!fnd::writeFile(path, bytes)) {
        ZTRACE_WARN("failed to save cache file %@", fnd::logPreview(path));
        return false;
    }
    budget_.stored(name, bytes.size());
    return true;
}

void ZelvanAvatarManager::freeCache() {
    headCache_.removeAllObjects();
    grayHeadCache_.removeAllObjects();
}

std::shared_ptr<AvatarInfo> ZelvanAvatarManager::findInfo(int32_t userId) const {
    return infos_.objectForKey(userId).asObject<AvatarInfo>();
}

int32_t ZelvanAvatarManager::updateAvatarInfo(int32_t userId, int32_t type, int32_t version) {
    if (type <= 0) {
        ZTRACE_WARN("invalid arguments userId %d, type %d, version %d", userId, type, version);
        return kAvatarVersionUnknown;
    }
    if (!isAvatarType(type)) {
        return kAvatarVersionUnknown;
    }
    auto info = findInfo(userId);
    if (!info) {
        info = std::make_shared<AvatarInfo>();
        info->userId = userId;
        infos_.setObject(fnd::Value(info), userId);
    }
    int32_t* field = info->versionField(type);
    const int32_t old = *field;
    if (old != version) {
        *field = version;
    }
    return old;
}

int32_t ZelvanAvatarManager::localAvatarVersion(int32_t userId, int32_t type) const {
    auto info = findInfo(userId);
    if (!info || !isAvatarType(type)) {
        return kAvatarVersionUnknown;
    }
    return *info->versionField(type);
}

} // namespace zelvan
