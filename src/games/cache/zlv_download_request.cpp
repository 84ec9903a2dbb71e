// One file of a download run: its URL, its local copy and storing what the server sent.
#include "games/cache/zlv_download_request.h"

#include <utility>

#include "games/cache/zelvan_game_cache.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {

ZLVDownloadRequest::ZLVDownloadRequest(std::string path, int type, std::string uri)
    : filepath_(std::move(path)), type_(type), uriStr_(std::move(uri)) {}

std::shared_ptr<ZLVDownloadRequest> ZLVDownloadRequest::initWithPath(const std::string& path, int type,
                                                                     const std::string& webHost) {
    std::string uri = type == kWebResource ? fnd::format("http://%@/%@", webHost, path)
                                           : fnd::format("http://%@/iphone/getgameresource?path=%@", webHost, path);
    return std::shared_ptr<ZLVDownloadRequest>(new ZLVDownloadRequest(path, type, std::move(uri)));
}

std::optional<std::string> ZLVDownloadRequest::localFilePath(const DownloadStores& stores) const {
    if (type_ == kWebResource) {
        return stores.webCache ? stores.webCache->cacheFilePathForUrl(uriStr_) : std::nullopt;
    }
    if (!stores.gameCache) {
        return std::nullopt;
    }
    return stores.gameCache->cacheFilePath(ZelvanGameCache::resourceFileName(filepath_));
}

int64_t ZLVDownloadRequest::getLocalFileSize(const DownloadStores& stores) const {
    const auto path = localFilePath(stores);
    return path ? ZelvanGameCache::fileSize(*path) : -1;
}

bool ZLVDownloadRequest::saveToFile(const fnd::Bytes& data, const DownloadStores& stores) const {
    if (type_ != kWebResource && stores.gameCache) {
        // The game resource cache keeps its folder within its budget.
        return stores.gameCache->storeFile(ZelvanGameCache::resourceFileName(filepath_), data);
    }
    const auto path = localFilePath(stores);
    if (!path) {
        ZLOG(Warn, "failed to save cache file %@", uriStr_);
        return false;
    }
    // A regular file is replaced atomically; anything else in the way has to go first.
    if (fnd::FileManager::fileExistsAtPath(*path) && !fnd::FileManager::isRegularFile(*path) &&
        !fnd::FileManager::removeItemAtPath(*path)) {
        ZLOG(Warn, "failed to delete file: %@", *path);
        return false;
    }
    const std::string folder = fnd::deletingLastPathComponent(*path);
    if (!fnd::FileManager::createDirectoryAtPath(folder, fnd::Intermediates::Yes) || !fnd::writeFile(*path, data)) {
        ZLOG(Warn, "failed to save cache file %@", *path);
        return false;
    }
    return true;
}

std::optional<fnd::Url> ZLVDownloadRequest::newFileURL() const {
    return fnd::Url::parse(uriStr_);
}

} // namespace zelvan
