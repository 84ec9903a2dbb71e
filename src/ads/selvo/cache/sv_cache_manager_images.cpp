// SVCacheManager's image files and deletions: the picture of an ad (stored PNG, else downloaded and, on the
// ad network's image domain, kept), image expiry, and deleting an ad with its pixels and image.
#include <algorithm>

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sql/sql_database.h"
#include "ads/selvo/sql/sql_result_set.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/image.h"

namespace zelvan::selvo {
namespace {

// Image ids are UUID texts; anything else read back from the database (a damaged file) never names a path.
bool isImageId(std::string_view id) {
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == '-';
    });
}

} // namespace

std::string SVCacheManager::cachedFileFolderPath() {
    std::lock_guard lock(lock_);
    if (cachedFilesFolder_.empty()) {
        cachedFilesFolder_ =
            fnd::AppFolders::documents() + "/" + std::string(SVFolderName) + "/" + std::string(SVCachedAdsFolderName);
    }
    if (!fnd::FileManager::fileExistsAtPath(cachedFilesFolder_)) {
        fnd::FileManager::createDirectoryAtPath(cachedFilesFolder_);
    }
    return cachedFilesFolder_;
}

std::string SVCacheManager::imagePathForUUID(const std::string& uuid) {
    return fnd::format("%@/%@.png", cachedFileFolderPath(), uuid);
}

std::optional<std::string> SVCacheManager::uuidFromAd(const SVAd& ad) {
    std::lock_guard lock(lock_);
    if (!database_) {
        return std::nullopt;
    }
    auto uuid = database_->stringForQuery("SELECT image_uuid FROM imap WHERE dbid=?", {fnd::Value(ad.dbid())});
    return uuid && isImageId(*uuid) ? uuid : std::nullopt;
}

std::shared_ptr<gfx::Image> SVCacheManager::imageForUUID(const std::string& uuid) {
    const std::string path = imagePathForUUID(uuid);
    auto image = gfx::Image::imageWithContentsOfFile(path);
    if (!image) {
        SVLogError(&context_, "Error reading cached image file: %@", path);
    }
    return image;
}

std::shared_ptr<gfx::Image> SVCacheManager::imageForAd(const SVAd& ad, const fnd::Value& userInfo) {
    {
        std::lock_guard lock(lock_);
        if (auto uuid = uuidFromAd(ad)) {
            if (auto image = imageForUUID(*uuid)) {
                return image;
            }
        }
    }
    // The download runs outside the lock: a slow image server must not hold up the main thread's
    // cleanupExpired or any other caller of the cache.
    auto data = downloadURL(fnd::Url::parse(ad.dataURL()), &userInfo, kMaxImageBytes);
    if (!data) {
        SVLogError(&context_, "Error downloaing image for URL:%@", fnd::logPreview(ad.dataURL()));
        return nullptr;
    }
    if (data->empty()) {
        SVLogError(&context_, "Error: downloaded image has a zero data length.");
    }
    auto image = gfx::Image::imageWithData(*data);
    if (image && ad.dataURL().find(context_.config().imageDomainSuffix) != std::string::npos) {
        storeImage(ad, *image);
    }
    return image;
}

void SVCacheManager::storeImage(const SVAd& ad, const gfx::Image& image) {
    std::lock_guard lock(lock_);
    if (!database_ || uuidFromAd(ad)) {
        return; // another caller stored it meanwhile
    }
    auto uuid = saveImage(image);
    if (!uuid) {
        SVLogError(&context_, "Image failed to be saved for %@", fnd::logPreview(ad.dataURL()));
        return;
    }
    if (database_->executeUpdate("INSERT INTO imap (dbid, data_url, image_uuid, cached_time_stamp) VALUES (?, ?, ?, ?)",
                                 {fnd::Value(ad.dbid()), fnd::Value(ad.dataURL()), fnd::Value(*uuid),
                                  fnd::Value(fnd::Clock::now().since1970())})) {
        return;
    }
    SVLogError(&context_, "Error creating cache record:%@ with error:%@", fnd::logPreview(ad.dataURL()),
               database_->lastErrorMessage());
    SVLogError(&context_, "deleting orphaned image");
    if (!fnd::FileManager::removeItemAtPath(imagePathForUUID(*uuid))) {
        SVLogError(&context_, "Error deleting semi-cached image:%@", imagePathForUUID(*uuid));
    }
}

std::optional<std::string> SVCacheManager::saveImage(const gfx::Image& image) {
    fnd::Bytes png = gfx::pngRepresentation(image);
    if (png.empty()) {
        SVLogError(&context_, "Error converting image to data.");
        return std::nullopt;
    }
    std::string uuid = uniqueId();
    const std::string path = imagePathForUUID(uuid);
    if (!fnd::writeFile(path, png, fnd::Atomic::Yes)) {
        SVLogError(&context_, "Error caching image: %@ with error: %@", path, std::string("write failed"));
        return std::nullopt;
    }
    return uuid;
}

bool SVCacheManager::deleteAd(const SVAd* ad) {
    std::lock_guard lock(lock_);
    if (ad == nullptr) {
        SVLogError(&context_, "Attempt to delete ad==nil");
        return false;
    }
    if (!database_) {
        return false;
    }
    bool ok = true;
    if (!database_->executeUpdate("DELETE FROM ad WHERE dbid = ?", {fnd::Value(ad->dbid())})) {
        SVLogError(&context_, "ERROR deleting cached ad:%@ batch %@,%@", fnd::logPreview(ad->adID()),
                   fnd::logPreview(ad->batchID()), database_->lastErrorMessage());
        ok = false;
    }
    if (!database_->executeUpdate("DELETE FROM pixels where dbid=?", {fnd::Value(ad->dbid())})) {
        SVLogError(&context_, "ERROR deleting pixels for ad:%@,%@", fnd::logPreview(ad->adID()),
                   database_->lastErrorMessage());
        ok = false;
    }
    if (!ad->dataURL().empty() && ad->subtype() != SVAdTypeExpandableBanner) {
        if (auto uuid = uuidFromAd(*ad)) {
            const std::string path = imagePathForUUID(*uuid);
            if (fnd::FileManager::fileExistsAtPath(path) && !fnd::FileManager::removeItemAtPath(path)) {
                SVLogError(&context_, "Error deleting cached image:%@", path);
                ok = false;
            }
        }
        if (!database_->executeUpdate("DELETE FROM imap where dbid=?", {fnd::Value(ad->dbid())})) {
            SVLogError(&context_, "Error deleting cache record:%@ with error:%@", fnd::logPreview(ad->dataURL()),
                       database_->lastErrorMessage());
            ok = false;
        }
    }
    return ok;
}

void SVCacheManager::cleanupExpired() {
    std::lock_guard lock(lock_);
    if (!database_) {
        return;
    }
    const double now = fnd::Clock::now().since1970();
    std::vector<std::string> expired;
    auto rows = database_->executeQuery("SELECT image_uuid, cached_time_stamp FROM imap where is_batch='n'");
    while (rows && rows->next()) {
        if (!rows->stringForColumnIndex(1)) {
            SVLogError(&context_, "Invalid date from imap table!");
            continue;
        }
        if (now - rows->doubleForColumnIndex(1) > kImageLifetime) {
            expired.push_back(rows->stringForColumnIndex(0).value_or(""));
        }
    }
    if (expired.empty()) {
        return;
    }
    SVLog(&context_, "Deleting %d expired images", static_cast<int>(expired.size()));
    for (const auto& uuid : expired) {
        if (!database_->executeUpdate("DELETE FROM imap where image_uuid=?", {fnd::Value(uuid)})) {
            SVLogError(&context_, "Error deleting cache record:%@ with error:%@", uuid, database_->lastErrorMessage());
        }
        if (!isImageId(uuid)) {
            continue;
        }
        const std::string path = imagePathForUUID(uuid);
        if (fnd::FileManager::fileExistsAtPath(path) && !fnd::FileManager::removeItemAtPath(path)) {
            SVLogError(&context_, "Error deleting cached image:%@", path);
        }
    }
}

} // namespace zelvan::selvo
