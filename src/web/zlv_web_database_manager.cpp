// The scoped databases: folder layout per scope, name checks, the session sweep at start, the
// connection scope's reset on a lost connection and the feature switches.
#include "web/zlv_web_database_manager.h"

#include <utility>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr size_t kMaxNameLength = 64;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

// Forwards connectionLost to the manager while it lives; the manager detaches it when it goes, so a
// call already in flight on another thread finds no manager instead of a dead one.
class ZLVWebDatabaseManager::ConnectionEvents final : public ConnectionListener {
public:
    explicit ConnectionEvents(ZLVWebDatabaseManager* owner) : owner_(owner) {}
    void connectionLost() override {
        std::lock_guard lock(mutex_);
        if (owner_) {
            owner_->resetConnectionScope();
        }
    }
    void detach() {
        std::lock_guard lock(mutex_);
        owner_ = nullptr;
    }

private:
    std::mutex mutex_;
    ZLVWebDatabaseManager* owner_;
};

std::string ZLVWebDatabaseManager::defaultRoot() {
    return fnd::AppFolders::library() + "/WebDatabases";
}

ZLVWebDatabaseManager::ZLVWebDatabaseManager(std::string root)
    : root_(std::move(root)), connectionListener_(std::make_shared<ConnectionEvents>(this)) {
    const std::string session = folderFor(ZLVDatabaseScope::Session);
    if (fnd::FileManager::fileExistsAtPath(session) && !fnd::FileManager::removeItemAtPath(session)) {
        ZTRACE_ERROR("ZLVWebDatabaseManager: cannot delete the session databases in %@", session);
    }
}

ZLVWebDatabaseManager::~ZLVWebDatabaseManager() {
    static_cast<ConnectionEvents&>(*connectionListener_).detach();
}

bool ZLVWebDatabaseManager::validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        return false;
    }
    for (char c : name) {
        const bool ok =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::string ZLVWebDatabaseManager::folderFor(ZLVDatabaseScope scope) const {
    switch (scope) {
    case ZLVDatabaseScope::Session:
        return root_ + "/session";
    case ZLVDatabaseScope::User:
        return root_ + "/user/" + std::to_string(userId_);
    case ZLVDatabaseScope::Application:
        return root_ + "/app";
    default:
        return "";
    }
}

std::shared_ptr<ZLVDatabase> ZLVWebDatabaseManager::openDatabase(ZLVDatabaseScope scope, const std::string& name) {
    if (!validName(name)) {
        ZTRACE_WARN("ZLVWebDatabaseManager: refused the database name \"%@\"", fnd::logPreview(name));
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    switch (scope) {
    case ZLVDatabaseScope::Page:
    case ZLVDatabaseScope::Controller:
        return ZLVDatabase::openInMemory();
    case ZLVDatabaseScope::Connection: {
        auto& slot = connection_[name];
        if (!slot) {
            slot = ZLVDatabase::openInMemory();
        }
        return slot;
    }
    case ZLVDatabaseScope::User:
        if (userId_ == 0) {
            ZTRACE_WARN("ZLVWebDatabaseManager: no user is signed in for the user database %@", fnd::logPreview(name));
            return nullptr;
        }
        return openFileDatabase(folderFor(scope), name);
    case ZLVDatabaseScope::Session:
    case ZLVDatabaseScope::Application:
        return openFileDatabase(folderFor(scope), name);
    }
    ZTRACE_WARN("ZLVWebDatabaseManager: unknown scope %d", static_cast<int>(scope));
    return nullptr;
}

std::shared_ptr<ZLVDatabase> ZLVWebDatabaseManager::openFileDatabase(const std::string& folder,
                                                                     const std::string& name) {
    const std::string path = folder + "/" + name + ".db";
    if (auto found = files_.find(path); found != files_.end()) {
        return found->second;
    }
    if (!fnd::FileManager::createDirectoryAtPath(folder, fnd::Intermediates::Yes)) {
        ZTRACE_ERROR("ZLVWebDatabaseManager: cannot create %@", folder);
        return nullptr;
    }
    auto database = ZLVDatabase::openFile(path);
    if (!database && fnd::FileManager::fileExistsAtPath(path)) {
        // What is there is not a database this code can use (damaged or foreign): start it afresh
        // rather than leave the scope unusable for good.
        ZTRACE_WARN("ZLVWebDatabaseManager: replacing the unreadable database %@", path);
        fnd::FileManager::removeItemAtPath(path);
        database = ZLVDatabase::openFile(path);
    }
    if (database) {
        files_[path] = database;
    }
    return database;
}

std::shared_ptr<ZLVDatabase> ZLVWebDatabaseManager::connectionDB() {
    return openDatabase(ZLVDatabaseScope::Connection, kDefaultName);
}

void ZLVWebDatabaseManager::resetConnectionScope() {
    std::lock_guard lock(mutex_);
    connection_.clear();
}

void ZLVWebDatabaseManager::setUserId(int32_t userId) {
    std::lock_guard lock(mutex_);
    if (userId == userId_) {
        return;
    }
    // The previous user's files are closed; they stay on disk for that user's next sign-in.
    const std::string previous = root_ + "/user/";
    std::erase_if(files_, [&](const auto& entry) { return startsWith(entry.first, previous); });
    userId_ = userId;
}

int32_t ZLVWebDatabaseManager::userId() const {
    std::lock_guard lock(mutex_);
    return userId_;
}

int64_t ZLVWebDatabaseManager::featureVisible(const std::string& name) {
    const auto database = openDatabase(ZLVDatabaseScope::Application, kDefaultName);
    if (!database) {
        return 0;
    }
    const auto features = database->kvGet(kFeaturesKey).asDictionary();
    if (!features) {
        return 0;
    }
    const fnd::Value* value = features->find(name);
    return value ? value->asInt().value_or(0) : 0;
}

bool ZLVWebDatabaseManager::setFeatures(const fnd::Value& features) {
    if (!features.isNull() && !features.isDictionary()) {
        ZTRACE_WARN("ZLVWebDatabaseManager: feature switches must be a dictionary, not %@", fnd::logPreview(features));
        return false;
    }
    const auto database = openDatabase(ZLVDatabaseScope::Application, kDefaultName);
    return database && database->kvSave(kFeaturesKey, features);
}

} // namespace zelvan
