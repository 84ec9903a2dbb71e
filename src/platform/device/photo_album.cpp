// The photo album: PNG encoding, the next free IMG_nnnn number found from the folder, and a write
// that goes to a temporary file first and is then linked under its final name, which fails rather
// than replacing a file that appeared meanwhile.
#include "platform/device/photo_album.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"

namespace device {
namespace {

constexpr const char* kErrorDomain = "PhotoAlbumErrorDomain";

fnd::Error failure(int code, const std::string& text) {
    ZLOG(Warn, "PhotoAlbum: %s", text);
    return fnd::Error(kErrorDomain, code, std::string_view(text));
}

// One above the highest IMG_nnnn.png in the folder (1 for an empty folder).
int nextNumber(const std::string& folder) {
    int highest = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 9 || name.compare(0, 4, "IMG_") != 0 || name.compare(name.size() - 4, 4, ".png") != 0) {
            continue;
        }
        const std::string digits = name.substr(4, name.size() - 8);
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        highest = std::max(highest, std::stoi(digits));
    }
    return highest + 1;
}

fnd::Result<std::string> write(const gfx::ImagePtr& image) {
    if (!image) {
        return failure(1, "no image to save");
    }
    const fnd::Bytes png = gfx::pngRepresentation(*image);
    if (png.empty()) {
        return failure(2, "the image could not be encoded as PNG");
    }
    const std::string folder = PhotoAlbum::folder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return failure(3, "cannot create " + folder + ": " + ec.message());
    }
    static std::atomic<uint64_t> sequence{0};
    const std::string temporary = fnd::format("%@/.incoming-%d-%llu", folder, static_cast<int>(::getpid()), ++sequence);
    if (!fnd::writeFile(temporary, png, fnd::Atomic::Yes, fnd::Mode{0644})) {
        return failure(3, "cannot write " + temporary);
    }
    for (int number = nextNumber(folder), tries = 0; tries < 1000; ++number, ++tries) {
        const std::string path = fnd::format("%@/IMG_%04d.png", folder, number);
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            ::unlink(temporary.c_str());
            return path;
        }
        if (errno != EEXIST) {
            const std::string reason = std::strerror(errno);
            ::unlink(temporary.c_str());
            return failure(3, "cannot save " + path + ": " + reason);
        }
    }
    ::unlink(temporary.c_str());
    return failure(3, "no free picture number in " + folder);
}

} // namespace

std::string PhotoAlbum::folder() {
    return fnd::AppFolders::root() + "/Photos";
}

void PhotoAlbum::saveImage(const gfx::ImagePtr& image, Completion completion) {
    auto saved = write(image);
    if (completion) {
        fnd::RunLoop::main().post(
            [completion = std::move(completion), saved = std::move(saved)] { completion(saved); });
    }
}

} // namespace device
