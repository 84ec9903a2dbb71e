// State files: plain names are mapped into the core's documents folder; names that could reach
// anywhere else ("/", "..") are refused.
#include "core/state_files.h"

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/paths.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

// The full path of a state file, or nullopt (logged) when the name is not a plain file name.
std::optional<std::string> statePath(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        ZLOG(Warn, "state files: refused file name \"%s\"", name);
        return std::nullopt;
    }
    return fnd::containedPath(fnd::AppFolders::appDocuments(), name);
}

} // namespace

fnd::Result<fnd::Value> readfile(std::string_view name) {
    auto path = statePath(name);
    if (!path) {
        return fnd::Error(std::string(kStateFileErrorDomain), kStateFileRefusedName,
                          std::string_view(fnd::format("refused state file name \"%s\"", name)));
    }
    auto bytes = fnd::readFile(*path);
    if (!bytes) {
        const bool missing = !fnd::FileManager::fileExistsAtPath(*path);
        fnd::Error error(std::string(kStateFileErrorDomain), missing ? kStateFileMissing : kStateFileUnreadable,
                         std::string_view(fnd::format(missing ? "no state file %@" : "cannot read %@", *path)));
        error.userInfo().asDictionary()->setObject(fnd::Value(*path), kStateFilePathKey);
        return error;
    }
    fnd::Result<fnd::Value> value = loads(*bytes);
    if (!value) {
        value.error().userInfo().asDictionary()->setObject(fnd::Value(*path), kStateFilePathKey);
    }
    return value;
}

void logReadfileError(const fnd::Error& error) {
    if (error.domain() != fnd::kParseErrorDomain) {
        return;
    }
    ZLOG(Warn, "state files: %@ could not be decoded and is left as it is (codec: %@)",
         error.userInfo().asDictionary()->objectForKey(kStateFilePathKey).stringValue(), error.localizedDescription());
}

bool writefile(std::string_view name, const fnd::Value& value) {
    auto path = statePath(name);
    if (!path) {
        return false;
    }
    const std::string folder = fnd::AppFolders::appDocuments();
    if (!fnd::FileManager::fileExistsAtPath(folder) &&
        !fnd::FileManager::createDirectoryAtPath(folder, fnd::Intermediates::Yes)) {
        ZLOG(Warn, "state files: cannot create %s", folder);
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
