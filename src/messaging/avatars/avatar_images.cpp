// The avatar manager's image getters and the web bridge's path lookup: answers come at once from the
// memory caches, the cache folder or the bundle's default pictures, and what is missing is asked for.
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// An image held in the int-keyed caches, which hold values.
class CachedImage : public fnd::Object {
public:
    explicit CachedImage(gfx::ImagePtr imageValue) : image(std::move(imageValue)) {}
    std::string className() const override { return "CachedImage"; }
    gfx::ImagePtr image;
};

std::optional<std::string> bundlePath(const char* file) {
    return ZelvanWidget::bundleResourcePath(file);
}

} // namespace

gfx::ImagePtr ZelvanAvatarManager::cachedImage(ZLFUCache& cache, int32_t userId) {
    auto held = cache.find(userId).asObject<CachedImage>();
    return held ? held->image : nullptr;
}

void ZelvanAvatarManager::cacheImage(ZLFUCache& cache, const gfx::ImagePtr& image, int32_t userId) {
    cache.put(fnd::Value(std::make_shared<CachedImage>(image)), userId);
}

void ZelvanAvatarManager::requestHeadOnce(int32_t userId, int32_t version) {
    if (!requestedUserIds_.containsValue(userId)) {
        requestedUserIds_.addValue(userId);
        addAvatarRequest(userId, kAvatarHead, version);
    }
}

gfx::ImagePtr ZelvanAvatarManager::newImageAvatarHead(int32_t userId) {
    return newImageAvatarHead(userId, false);
}

gfx::ImagePtr ZelvanAvatarManager::newImageAvatarHead(int32_t userId, bool grayscale) {
    if (!grayscale) {
        return newAvatarImage(userId, kAvatarHead);
    }
    if (auto grey = cachedImage(grayHeadCache_, userId)) {
        return grey;
    }
    const gfx::ImagePtr colour = newAvatarImage(userId, kAvatarHead);
    if (!colour) {
        return nullptr;
    }
    if (colour == defaultHead_) {
        return defaultGrayHead_;
    }
    if (colour == defaultHeadUnknown_) {
        return defaultGrayHeadUnknown_;
    }
    gfx::ImagePtr grey = ZelvanWidget::newGrayScaleImage(colour);
    if (grey) {
        cacheImage(grayHeadCache_, grey, userId);
    }
    return grey;
}

gfx::ImagePtr ZelvanAvatarManager::newImageAvatarFull(int32_t userId) {
    return newAvatarImage(userId, kAvatarFull);
}

gfx::ImagePtr ZelvanAvatarManager::newImageHomePicure(int32_t userId) {
    return newAvatarImage(userId, kAvatarHomePicture);
}

gfx::ImagePtr ZelvanAvatarManager::newImageAvatarChatGroup(int32_t groupId) {
    return newAvatarImage(groupId, kAvatarChatGroup);
}

gfx::ImagePtr ZelvanAvatarManager::newAvatarImage(int32_t id, int32_t type) {
    if (id == 0) {
        return nullptr;
    }
    if (auto info = findInfo(id)) {
        if (!isAvatarType(type)) {
            addAvatarRequest(id, type, kAvatarVersionUnknown);
            return nullptr;
        }
        const int32_t version = *info->versionField(type);
        if (version >= 1) {
            if (type == kAvatarHead) {
                // Once per run the held version is checked with the server.
                requestHeadOnce(id, version);
                if (auto cached = cachedImage(headCache_, id)) {
                    return cached;
                }
            }
            const std::string path = avatarFilePath(id, type, version);
            if (auto image = ZelvanWidget::newMemoryImageFromFile(path, kPictureLimit)) {
                budget_.used(cacheFileName(path));
                if (type == kAvatarHead) {
                    cacheImage(headCache_, image, id);
                }
                return image;
            }
            // A missing or unreadable file is asked for again below.
        } else if (version == kAvatarVersionNone) {
            switch (type) {
            case kAvatarHomePicture:
                return nullptr;
            case kAvatarHead:
                requestHeadOnce(id, kAvatarVersionNone);
                return defaultHead_;
            case kAvatarFull:
                return ZelvanWidget::imageFromResource("avatar_full_default", true);
            default:
                return defaultChatGroup_;
            }
        }
    }
    addAvatarRequest(id, type, kAvatarVersionUnknown);
    switch (type) {
    case kAvatarHomePicture:
        return ZelvanWidget::imageFromResource("avatar_homepic_unknown", true);
    case kAvatarHead:
        return defaultHeadUnknown_;
    case kAvatarFull:
        return ZelvanWidget::imageFromResource("avatar_full_unknown", true);
    case kAvatarChatGroup:
        return defaultChatGroup_;
    default:
        return nullptr;
    }
}

std::optional<std::string> ZelvanAvatarManager::findAvatarPath(int32_t userId, int32_t type, bool grayscale) {
    auto info = findInfo(userId);
    if (info && !isAvatarType(type)) {
        addAvatarRequest(userId, kAvatarHead, kAvatarVersionUnknown);
        return std::nullopt;
    }
    const int32_t version = info ? *info->versionField(type) : kAvatarVersionUnknown;
    if (version >= 1) {
        requestHeadOnce(userId, version);
        const std::string path = avatarFilePath(userId, type, version);
        budget_.used(cacheFileName(path));
        if (!grayscale) {
            return path;
        }
        const std::string grayPath = path + "_gray";
        if (!fnd::FileManager::fileExistsAtPath(grayPath)) {
            // The grey head cache is keyed by user, so it only stands for heads.
            gfx::ImagePtr grey = type == kAvatarHead ? cachedImage(grayHeadCache_, userId) : nullptr;
            if (!grey) {
                grey = ZelvanWidget::newGrayScaleImage(ZelvanWidget::newMemoryImageFromFile(path, kPictureLimit));
            }
            if (grey) {
                writeCacheFile(grayPath, gfx::pngRepresentation(*grey));
            }
        }
        return grayPath;
    }
    if (version == kAvatarVersionNone) {
        if (type != kAvatarHead) {
            return std::nullopt;
        }
        requestHeadOnce(userId, kAvatarVersionNone);
        return bundlePath(grayscale ? "avatar_default_gray.png" : "avatar_default.png");
    }
    addAvatarRequest(userId, kAvatarHead, kAvatarVersionUnknown);
    if (type != kAvatarHead) {
        return std::nullopt;
    }
    return bundlePath(grayscale ? "avatar_unknown_gray.png" : "avatar_unknown.png");
}

} // namespace zelvan
