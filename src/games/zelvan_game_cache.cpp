// The game resource cache's files: the folder, key normalisation, cache and bundle lookups, sizes,
// the natives' path rule, and clearing the whole cache.
#include "games/zelvan_game_cache.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/digest_helpers.h"
#include "games/game_file_path.h"
#include "games/zlv_game_version.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"

namespace zelvan {

namespace {

std::string withTrailingSlash(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

// The names fnd::writeFile gives its temporary files: "." + target name + ".tmp-XXXXXX".
bool isTemporaryName(const std::string& name) {
    return name.size() > 1 && name.front() == '.' && name.find(".tmp-") != std::string::npos;
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
    return true;
}

void ZelvanGameCache::removeTemporaryFiles() {
    const auto names = fnd::FileManager::contentsOfDirectoryAtPath(cachePath_);
    if (!names) {
        return;
    }
    for (const std::string& name : *names) {
        if (isTemporaryName(name)) {
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

std::optional<fnd::Bytes> ZelvanGameCache::newFileData(const std::string& path) {
    if (!fnd::FileManager::isRegularFile(path)) {
        return std::nullopt;
    }
    return fnd::readFile(path);
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
