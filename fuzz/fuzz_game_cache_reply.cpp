// Fuzz target: the game resource cache over a temporary cache folder and bundle, fed requests for
// hostile keys and command-23 replies built from untrusted bytes; nothing may crash, the queues must
// stay consistent, and the only files written are digest-named files in the cache folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "game_reply_fuzz_support.h"
#include "games/cache/zelvan_game_cache.h"
#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "temp_folder_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path root = fuzzsupport::temporaryFolder("fuzz-game-cache");
    const std::filesystem::path cacheFolder = root / "game_cache";
    const std::filesystem::path bundle = root / "bundle";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(bundle);
    const fnd::Bytes bundled{'b', 'u', 'n', 'd', 'l', 'e'};
    if (!fnd::writeFile((bundle / "res.txt").string(), bundled)) {
        std::abort();
    }
    auto cache = std::make_shared<zelvan::ZelvanGameCache>(
        zelvan::GameCacheEnvironment{cacheFolder.string(), bundle.string(), [](const zelvan::ZelvanPacket&) {}},
        nullptr);
    if (!cache->initCache()) {
        std::abort();
    }

    fuzzsupport::GameReader in(data, size);
    while (in.more()) {
        const uint8_t op = in.byte();
        switch (op % 6) {
        case 0:
            cache->requestDataWithKeys({in.name(), in.name()});
            break;
        case 1: {
            auto packet = fnd::Value::array({23});
            const size_t count = in.byte() % 4;
            for (size_t i = 0; i < count; ++i) {
                packet.asArray()->addObject(i == 0 ? fnd::Value(in.name()) : in.element());
            }
            cache->handleServerResponse(packet);
            break;
        }
        case 2: {
            const auto pending = cache->pendingKeys();
            if (!pending.empty()) {
                const std::string& key = pending[in.byte() % pending.size()];
                cache->handleServerResponse(op & 0x40 ? fnd::Value::array({23, key})
                                                      : fnd::Value::array({23, key, in.bytes()}));
            }
            break;
        }
        case 3:
            if (const auto path = cache->newDataWithKey(in.name())) {
                if (!cache->gameFilePath(*path)) {
                    std::abort(); // a result outside the cache folder and the bundle
                }
            }
            break;
        case 4:
            cache->expireRequested();
            if (op & 0x80) {
                cache->clearRequest();
            }
            break;
        default:
            if (op == 0xff) {
                cache->clearCache();
            } else {
                cache->gameFilePath((bundle / in.name()).string());
            }
            break;
        }
        if (!cache->invariantsHold()) {
            std::abort();
        }
    }

    fuzzsupport::requireOnlyAllowedFiles(root, [&](const std::filesystem::path& path) {
        if (path == bundle / "res.txt") {
            return fnd::readFile(path.string()) == bundled;
        }
        return path.parent_path() == cacheFolder && fuzzsupport::isDigestName(path.filename().string());
    });
    return 0;
}
