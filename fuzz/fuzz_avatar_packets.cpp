// Fuzz target: avatar answers (commands 17 and 24) built from untrusted bytes go through the avatar
// manager's handler over a temporary cache folder, with the getters and the bridge's path lookup in
// between; nothing may crash and every file written must be a picture name inside that folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "byte_reader_fuzz_support.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "platform/foundation/log.h"
#include "temp_folder_fuzz_support.h"

namespace {

// Mostly small numbers, so answers meet the requests; now and then any 32-bit value.
class Reader : public fuzzsupport::ByteReader {
public:
    using ByteReader::ByteReader;
    int64_t number() { return ByteReader::numberOrAny(24, 4, true); }
    fnd::Bytes bytes() { return ByteReader::bytes(4); }
};

fnd::Value element(Reader& in) {
    switch (in.byte() % 6) {
    case 0:
        return fnd::Value();
    case 1:
        return fnd::Value(in.bytes());
    case 2:
        return fnd::Value("12");
    case 3:
        return fnd::Value(1.5);
    default:
        return fnd::Value(in.number());
    }
}

const std::filesystem::path& root() {
    return fuzzsupport::temporaryFolder("fuzz-avatar");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path folder = root() / "avatar_cache";
    std::filesystem::remove_all(root());
    std::filesystem::create_directories(folder);
    auto manager = std::make_shared<zelvan::ZelvanAvatarManager>(folder.string(), [](const fnd::Value&) {});

    Reader in(data, size);
    while (in.more()) {
        const uint8_t op = in.byte();
        auto packet = fnd::Value::array({op & 1 ? 17 : 24});
        const size_t count = (op >> 1) % 6;
        for (size_t i = 0; i < count; ++i) {
            packet.asArray()->addObject(element(in));
        }
        manager->handleServerResponseInternal(packet);
        const auto user = static_cast<int32_t>(in.number());
        const auto type = static_cast<int32_t>(in.number());
        manager->newAvatarImage(user, type);
        manager->newImageAvatarHead(user, (op & 0x80) != 0);
        manager->findAvatarPath(user, type, (op & 0x40) != 0);
        if (op == 0xff) {
            manager->fireTimerEvent();
        }
    }

    static const std::regex picture("-?[0-9]+_[0-9]+_-?[0-9]+(_gray)?");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
        const bool inFolder = entry.path().parent_path() == folder;
        if (entry.path() != folder && (!inFolder || !std::regex_match(entry.path().filename().string(), picture))) {
            std::abort();
        }
    }
    return 0;
}
