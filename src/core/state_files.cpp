// State files: plain names are mapped into the core's documents folder; names that could reach
// anywhere else ("/", "..") are refused.
#include "core/state_files.h"

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

// The full path of a state file, or nullopt (logged) when the name is not a plain file name.
std::optional<std::string> statePath(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        fnd::log("WARN state files: refused file name \"%s\"", name);
        return std::nullopt;
    }
    return fnd::containedPath(fnd::AppFolders::appDocuments(), name);
}

} // namespace

std::optional<fnd::Value> readfile(std::string_view name) {
    auto path = statePath(name);
    if (!path) {
        return std::nullopt;
    }
    auto bytes = fnd::readFile(*path);
    if (!bytes) {
        return std::nullopt;
    }
    auto value = loads(*bytes);
    if (!value) {
        fnd::log("WARN state files: %s could not be decoded and is left as it is", *path);
    }
    return value;
}

bool writefile(std::string_view name, const fnd::Value& value) {
    auto path = statePath(name);
    if (!path) {
        return false;
    }
    const std::string folder = fnd::AppFolders::appDocuments();
    if (!fnd::FileManager::fileExistsAtPath(folder) &&
        !fnd::FileManager::createDirectoryAtPath(folder, fnd::Intermediates::Yes)) {
        fnd::log("WARN state files: cannot create %s", folder);
        return false;
    }
    return fnd::writeFile(*path, dumps(value), fnd::Atomic::Yes, fnd::Mode{0600});
}

bool existfile(std::string_view name) {
    auto path = statePath(name);
    return path && fnd::FileManager::fileExistsAtPath(*path);
}

bool deletefile(std::string_view name) {
    auto path = statePath(name);
    if (!path) {
        return false;
    }
    // What an interrupted write of the file left beside it goes with it: it may hold the same data.
    fnd::removeAtomicWriteTemporaries(*path);
    return !fnd::FileManager::fileExistsAtPath(*path) || fnd::FileManager::removeItemAtPath(*path);
}

} // namespace zelvan
