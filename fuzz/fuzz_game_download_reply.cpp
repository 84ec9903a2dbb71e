// Fuzz target: game download runs fed 406 file lists and 410 files built from untrusted bytes, over a
// temporary application root; nothing may crash, a closed run is never kept as the running one, and
// files appear only in the game cache folder, the web cache folder and the version store's file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "game_reply_fuzz_support.h"
#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_download_view.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "temp_folder_fuzz_support.h"
#include "web/zelvan_web_cache.h"

namespace {

const std::filesystem::path& root() {
    static const std::filesystem::path path = [] {
        const auto& folder = fuzzsupport::temporaryFolder("fuzz-game-download");
        ::setenv("ZELVAN_HOME", folder.c_str(), 1);
        fnd::AppFolders::reset();
        return folder;
    }();
    return path;
}

fnd::Value fileList(fuzzsupport::GameReader& in) {
    auto list = fnd::Value::array();
    const size_t entries = in.byte() % 5;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t shape = in.byte();
        list.asArray()->addObject(shape & 1 ? in.element() : fnd::Value(in.name()));
        list.asArray()->addObject(shape & 2 ? in.element() : fnd::Value(in.number() & 1));
        // Sizes spread over the whole range; the product wraps as unsigned arithmetic does.
        list.asArray()->addObject(
            shape & 4 ? in.element() : fnd::Value(static_cast<int64_t>(static_cast<uint64_t>(in.number()) * 997u)));
    }
    if (in.byte() == 0xff) {
        list.asArray()->addObject(in.element()); // a list that is not made of triples
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::remove_all(root());
    if (!fnd::AppFolders::setUp()) {
        std::abort();
    }
    zelvan::WebCacheEnvironment web;
    web.webHost = [] { return std::string("games.test"); };
    zelvan::DownloadStores stores;
    stores.webCache = std::make_shared<zelvan::ZelvanWebCache>(web);
    stores.gameCache = std::make_shared<zelvan::ZelvanGameCache>(
        zelvan::GameCacheEnvironment{zelvan::ZelvanGameCache::defaultCachePath(), "", {}}, nullptr);
    if (!stores.gameCache->initCache()) {
        std::abort();
    }
    auto store = std::make_shared<zelvan::ZLVGameVersion>([&](std::weak_ptr<zelvan::ZLVGameVersion> owner) {
        zelvan::GameDownloadEnvironment environment;
        environment.webHost = "games.test";
        environment.gameCache = stores.gameCache;
        environment.webCache = stores.webCache;
        return std::make_shared<zelvan::ZLVGameDownloadView>(std::move(environment), std::move(owner));
    });

    fuzzsupport::GameReader in(data, size);
    while (in.more()) {
        if (!store->hasDownloadView()) {
            store->startDownload(static_cast<int32_t>(in.number()), in.name(), in.name());
        }
        const auto run = store->download();
        const uint8_t op = in.byte();
        auto packet = fnd::Value::array({op & 1 ? 406 : 410});
        if (op & 1) {
            for (int i = 0; i < 3; ++i) {
                packet.asArray()->addObject(op & 2 ? in.element() : fnd::Value(in.number()));
            }
            if (!(op & 4)) {
                packet.asArray()->addObject(fileList(in));
            }
        } else {
            packet.asArray()->addObject(op & 2 ? in.element() : fnd::Value(in.name()));
            packet.asArray()->addObject(op & 4 ? in.element() : fnd::Value(in.number() & 1));
            if (!(op & 8)) {
                packet.asArray()->addObject(op & 16 ? in.element() : fnd::Value(in.bytes()));
            }
        }
        if (run) {
            run->handleServerResponseInMainThread(packet);
        }
        const auto running = store->download();
        if (running && running->isClose()) {
            std::abort();
        }
    }

    const std::string gameFolder = stores.gameCache->cachePath(); // both end in "/"
    const std::string webFolder = stores.webCache->cachePath();
    const std::filesystem::path versions =
        std::filesystem::path(fnd::AppFolders::appDocuments()) / zelvan::ZLVGameVersion::kStorageFile;
    fuzzsupport::requireOnlyAllowedFiles(root(), [&](const std::filesystem::path& path) {
        const std::string folder = path.parent_path().string() + "/";
        if (path == versions || folder == webFolder) {
            return true;
        }
        return folder == gameFolder && fuzzsupport::isDigestName(path.filename().string());
    });
    return 0;
}
