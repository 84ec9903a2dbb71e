// Resolution of the application root from the environment, cached until reset().
#include "platform/foundation/app_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/bundle.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"

namespace fnd {
namespace {

// Used for the core's folder when Info.plist carries no identifier.
constexpr const char* kFallbackBundleIdentifier = "com.zelvan.client";

std::mutex& rootMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::string>& cachedRoot() {
    static std::optional<std::string> root;
    return root;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    std::error_code ec;
    return std::filesystem::temp_directory_path(ec).string();
}

std::string resolveRoot() {
    const char* env = std::getenv("ZELVAN_HOME");
    std::string root = (env != nullptr && *env != '\0') ? std::string(env)
                                                        : appendingPathComponent(homeFolder(), ".local/share/zelvan");
    std::error_code ec;
    auto absolute = std::filesystem::absolute(root, ec);
    return normalise(ec ? root : absolute.string());
}

} // namespace

std::string AppFolders::root() {
    std::lock_guard lock(rootMutex());
    auto& root = cachedRoot();
    if (!root) {
        root = resolveRoot();
    }
    return *root;
}

void AppFolders::reset() {
    std::lock_guard lock(rootMutex());
    cachedRoot().reset();
}

std::string AppFolders::documents() {
    return appendingPathComponent(root(), "Documents");
}

std::string AppFolders::appDocuments() {
    std::string id = Bundle::main().bundleIdentifier();
    if (id.empty() || !containedPath("/", id) || id.find('/') != std::string::npos) {
        id = kFallbackBundleIdentifier;
    }
    return appendingPathComponent(documents(), id);
}

std::string AppFolders::library() {
    return appendingPathComponent(root(), "Library");
}

std::string AppFolders::caches() {
    return appendingPathComponent(library(), "Caches");
}

std::string AppFolders::preferences() {
    return appendingPathComponent(library(), "Preferences");
}

std::string AppFolders::temporary() {
    return appendingPathComponent(root(), "tmp");
}

std::string AppFolders::searchPath(Directory directory) {
    switch (directory) {
    case Directory::Library:
        return library();
    case Directory::Documents:
        return documents();
    case Directory::Caches:
        return caches();
    case Directory::Preferences:
        return preferences();
    case Directory::Temporary:
        return temporary();
    }
    return root();
}

bool AppFolders::setUp() {
    bool ok = true;
    for (const std::string& folder : {documents(), appDocuments(), caches(), preferences(), temporary()}) {
        ok = FileManager::createDirectoryAtPath(folder, Intermediates::Yes) && ok;
    }
    if (!ok) {
        ZLOG(Error, "AppFolders: could not create the folders under %@", root());
    }
    return ok;
}

} // namespace fnd
