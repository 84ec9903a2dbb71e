// ORVUtil's file helpers: folders, writable files and zip archives, all through the platform's guarded
// file calls.
#include "offers/orvane/client/orv_util.h"

#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/zip_reader.h"

namespace zelvan::orvane {

bool ORVUtil::createDirAtPath(const std::string& path) {
    return !path.empty() && fnd::FileManager::createDirectoryAtPath(path, fnd::Intermediates::Yes);
}

std::shared_ptr<fnd::FileHandle> ORVUtil::createWriteableFileAtPath(const std::string& path) {
    bool isDir = false;
    if (path.empty() || (fnd::FileManager::fileExistsAtPath(path, &isDir) && isDir)) {
        ORV_LOG_FAILURE(3, "Cannot create a file at %@: a folder is there or no path", fnd::logPreview(path));
        return nullptr;
    }
    if (!fnd::FileManager::createFileAtPath(path, {})) {
        return nullptr;
    }
    return fnd::FileHandle::openForWriting(path);
}

bool ORVUtil::unZipFile(const std::string& zipPath, const std::string& folder) {
    return fnd::ZipReader::extractAll(zipPath, folder, fnd::Overwrite::Yes).ok();
}

} // namespace zelvan::orvane
