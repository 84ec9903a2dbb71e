// The game resource cache's files: the folder and its byte budget, key normalisation, cache and bundle
// lookups, sizes, the natives' path rule, storing a file, and clearing the whole cache.
#include "games/cache/zelvan_game_cache.h"

#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "games/cache/zlv_game_version.h"
#include "games/engine/game_file_path.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/digest_helpers.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"

namespace zelvan {

namespace {

std::string withTrailingSlash(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

} // namespace

ZelvanGameCache::ZelvanGameCache(GameCacheEnvironment environment, std::shared_ptr<ZLVGameVersion> version)
    : cachePath_(withTrailingSlash(std::move(environment.cachePath))), bundlePath_(std::move(environment.bundlePath)),
      sendPacket_(std::move(environment.sendPacket)), gameVersion_(std::move(version)),
      expireTime_(fnd::Clock::now().sinceReferenceDate()) {}

ZelvanGameCache::~ZelvanGameCache() = default;

std::string ZelvanGameCache::defaultCachePath() {
    return fnd::AppFolders::appDocuments() + "/" + kCacheFolder + "/";
}

bool ZelvanGameCache::initCache() {
    std::lock_guard lock(mutex_);
    if (!fnd::FileManager::createDirectoryAtPath(cachePath_, fnd::Intermediates::Yes)) {
        error_ = "cannot create the folder " + cachePath_;
        return false;
    }
    removeTemporaryFiles();
    const std::vector<std::string> removed = budget_.learn(cachePath_, fnd::isAtomicWriteTemporary);
    forgetRemovedFiles(removed);
    if (!removed.empty()) {
        ZLOG(Info, "game cache: removed %d least recently used files beyond its %lld bytes",
             static_cast<int>(removed.size()), static_cast<long long>(kMaxCacheBytes));
    }
    return true;
}

void ZelvanGameCache::removeTemporaryFiles() {
    const auto names = fnd::FileManager::contentsOfDirectoryAtPath(cachePath_);
    if (!names) {
        return;
    }
    for (const std::string& name : *names) {
        if (fnd::isAtomicWriteTemporary(name)) {
            const std::string path = cachePath_ + name;
            if (!fnd::FileManager::removeItemAtPath(path)) {
                ZLOG(Warn, "failed to remove file %@", path);
            }
        }
    }
}

std::string ZelvanGameCache::lastError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

std::string ZelvanGameCache::resourceFileName(const std::string& key) {
    if (key.find('/') == std::string::npos && key != "." && key != "..") {
        return key;
    }
    std::string name;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('/', start);
        if (end == std::string::npos) {
            end = key.size();
        }
        const std::string_view component(key.data() + start, end - start);
        if (!component.empty() && component != "." && component != "..") {
            if (!name.empty()) {
                name += '/';
            }
            name.append(component);
        }
        start = end + 1;
    }
    return name;
}

std::string ZelvanGameCache::cacheFilePath(const std::string& name) const {
    return cachePath_ + newMD5String(name);
}

std::optional<std::string> ZelvanGameCache::bundleFilePath(const std::string& name) const {
    if (name.empty() || bundlePath_.empty() || name.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    // The rule takes absolute paths only; a bundle named relative to the working folder is made absolute.
    std::error_code ec;
    const std::string file = std::filesystem::absolute(fnd::appendingPathComponent(bundlePath_, name), ec).string();
    return ec ? std::nullopt : zelvan::gameFilePath(file, {bundlePath_});
}

std::optional<std::string> ZelvanGameCache::fileFullPath(const std::string& key) const {
    const std::string name = resourceFileName(key);
    const std::string cached = cacheFilePath(name);
    if (fnd::FileManager::isRegularFile(cached)) {
        return cached;
    }
    return bundleFilePath(name);
}

std::optional<fnd::Bytes> ZelvanGameCache::newDataWithFilename(const std::string& name) const {
    if (auto data = newFileData(cacheFilePath(name))) {
        return data;
    }
    if (auto bundled = bundleFilePath(name)) {
        return newFileData(*bundled);
    }
    return std::nullopt;
}

int64_t ZelvanGameCache::fileSize(const std::string& path) {
    if (!fnd::FileManager::isRegularFile(path)) {
        return -1;
    }
    const auto attributes = fnd::FileManager::attributesOfItemAtPath(path);
    return attributes && !attributes->isDirectory ? static_cast<int64_t>(attributes->size) : -1;
}

std::optional<std::string> ZelvanGameCache::gameFilePath(const std::string& path) const {
    return zelvan::gameFilePath(path, {cachePath_, bundlePath_});
}

bool ZelvanGameCache::storeFile(const std::string& name, const fnd::Bytes& data) {
    std::lock_guard lock(mutex_);
    const std::string file = newMD5String(name);
    const std::string path = cachePath_ + file;
    try {
        // Only something other than a regular file (a folder, say) has to go first: a regular file
        // is replaced atomically, so a reader never sees a half-written one.
        if (fnd::FileManager::fileExistsAtPath(path) && !fnd::FileManager::isRegularFile(path) &&
            !fnd::FileManager::removeItemAtPath(path)) {
            ZLOG(Warn, "failed to remove file %@", path);
            return false;
        }
        std::vector<std::string> removed;
        const bool room = budget_.makeRoom(
            file, data.size(), [this](const std::string& f) { return askedResults_.contains(f); }, &removed);
        forgetRemovedFiles(removed);
        if (!room) {
            ZLOG(Warn, "game cache: no room for %@ (%lld bytes) in its %lld bytes", fnd::logPreview(name),
                 static_cast<long long>(data.size()), static_cast<long long>(kMaxCacheBytes));
            return false;
        }
        if (!fnd::writeFile(path, data)) {
            ZLOG(Warn, "failed to save cache file %@", path);
            return false;
        }
        budget_.stored(file, data.size());
        return true;
    } catch (const std::exception&) {
        ZLOG(Error, "exception caught while saving cache file %@", path);
        return false;
    }
}

std::string ZelvanGameCache::cacheFileName(const std::string& path) const {
    if (path.size() <= cachePath_.size() || path.compare(0, cachePath_.size(), cachePath_) != 0 ||
        path.find('/', cachePath_.size()) != std::string::npos) {
        return "";
    }
    return path.substr(cachePath_.size());
}

void ZelvanGameCache::forgetRemovedFiles(const std::vector<std::string>& names) {
    if (names.empty()) {
        return;
    }
    const std::set<std::string> gone(names.begin(), names.end());
    std::erase_if(cacheMap_, [&](const auto& entry) { return gone.contains(cacheFileName(entry.second)); });
}

void ZelvanGameCache::clearCache() {
    std::lock_guard lock(mutex_);
    error_.clear();
    if (gameVersion_) {
        gameVersion_->clear();
    }
    requestedMap_.clear();
    if (!fnd::FileManager::fileExistsAtPath(cachePath_) || fnd::FileManager::removeItemAtPath(cachePath_)) {
        initCache();
    } else {
        ZLOG(Warn, "failed to remove file %@", cachePath_);
        error_ = "cannot remove the folder " + cachePath_;
    }
}

} // namespace zelvan
