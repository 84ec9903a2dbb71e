// The offer network's picture files in Documents.
#include "offers/orvane/client/orv_image_store.h"

#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"

namespace zelvan::orvane {

std::optional<std::string> imagePathForID(std::string_view id) {
    if (id.empty() || id.find_first_of("/\\") != std::string_view::npos || id.find("..") != std::string_view::npos) {
        ZLOG_TO(kOrvaneLog, Warn, "orvane: refused the picture id %@", fnd::logPreview(id));
        return std::nullopt;
    }
    const std::string folder = fnd::AppFolders::documents() + "/orvane";
    auto path = fnd::containedPath(fnd::AppFolders::documents(), fnd::format("orvane/%@.png", std::string(id)));
    if (!path) {
        return std::nullopt;
    }
    fnd::FileManager::createDirectoryAtPath(folder);
    return path;
}

bool saveImageData(const fnd::Bytes& data, std::string_view id) {
    auto path = imagePathForID(id);
    return path && fnd::writeFile(*path, data, fnd::Atomic::Yes);
}

} // namespace zelvan::orvane
