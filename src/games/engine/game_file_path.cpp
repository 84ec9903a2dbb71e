// Resolution of game file paths against the folders game code may read.
#include "games/engine/game_file_path.h"

#include <filesystem>
#include <system_error>

#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"

namespace zelvan {

namespace {

// `child` lies strictly inside `parent`; both are canonical.
bool isInside(const std::filesystem::path& child, const std::filesystem::path& parent) {
    auto c = child.begin();
    for (auto p = parent.begin(); p != parent.end(); ++p, ++c) {
        if (p->empty()) {
            continue; // the empty name after a trailing slash
        }
        if (c == child.end() || *c != *p) {
            return false;
        }
    }
    return c != child.end();
}

} // namespace

std::optional<std::string> gameFilePath(const std::string& path, const std::vector<std::string>& roots) {
    // Relative paths would depend on the process's working folder: game code names absolute ones.
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    if (ec || !std::filesystem::is_regular_file(resolved, ec) || ec) {
        return std::nullopt;
    }
    for (const std::string& root : roots) {
        if (root.empty()) {
            continue;
        }
        const std::filesystem::path base = std::filesystem::canonical(root, ec);
        if (!ec && isInside(resolved, base)) {
            return resolved.string();
        }
    }
    return std::nullopt;
}

std::optional<fnd::Bytes> newFileData(const std::string& path) {
    if (!fnd::FileManager::isRegularFile(path)) {
        return std::nullopt;
    }
    return fnd::readFile(path);
}

} // namespace zelvan
