// Fuzz target: file names from untrusted bytes (one per line) in the avatar cache folder are scanned
// by initCache; nothing may crash, only three-part names of whole 32-bit decimals with a user id of
// 1 or more may give a version, and nothing else is learnt.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "messaging/avatars/zelvan_avatar_manager.h"
#include "platform/foundation/log.h"
#include "temp_folder_fuzz_support.h"

namespace {

const std::filesystem::path& root() {
    return fuzzsupport::temporaryFolder("fuzz-avatar-names");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path folder = root() / "avatar_cache";
    std::filesystem::remove_all(root());
    std::filesystem::create_directories(folder);
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string name(text.substr(0, std::min<size_t>(end, 200)));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
            continue;
        }
        std::ofstream(folder / name) << 'x';
    }
    auto manager = std::make_shared<zelvan::ZelvanAvatarManager>(folder.string(), [](const fnd::Value&) {});
    if (!manager->initCache()) {
        std::abort();
    }
    for (int32_t type = -1; type <= 6; ++type) {
        // Only real users and kinds are learnt from names.
        for (int32_t user : {0, -1, -2147483647 - 1}) {
            if (manager->localAvatarVersion(user, type) != -1) {
                std::abort();
            }
        }
        if ((type < 1 || type > 4) && manager->localAvatarVersion(1, type) != -1) {
            std::abort();
        }
    }
    return 0;
}
