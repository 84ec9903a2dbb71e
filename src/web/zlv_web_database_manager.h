// ZLVWebDatabaseManager: opens the web platform's databases by scope and owns the ones that outlive
// their callers. Page and controller databases live in memory with the object that asked for them;
// connection databases live in memory for one game-server connection; session databases are files
// deleted when the manager starts (once per process); user and application databases are files
// that persist (under Library/WebDatabases/).
//
// Feature switches: the server-facing code stores the switches the server sent with setFeatures()
// (a dictionary of feature name -> int) under the key "features" of the application database
// "default"; featureVisible(name) reads them back, so they survive restarts.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/value.h"
#include "protocol/network_loop.h"
#include "web/zlv_database.h"

namespace zelvan {

enum class ZLVDatabaseScope {
    Page = 0,        // in memory; a fresh database per call, kept by the page
    Controller = 1,  // in memory; a fresh database per call, kept by the page controller
    Connection = 2,  // in memory; one per name, dropped when the game-server connection is lost
    Session = 3,     // files under <root>/session/, deleted when the manager starts
    User = 4,        // files under <root>/user/<user id>/, for the signed-in user
    Application = 5, // files under <root>/app/
};

class ZLVWebDatabaseManager {
public:
    // The name of the database connectionDB() and the feature switches use.
    static constexpr const char* kDefaultName = "default";
    // The application-database key holding the feature switches.
    static constexpr const char* kFeaturesKey = "features";

    // A manager keeping its files under `root` (default: Library/WebDatabases). Starting deletes
    // every session database file left there.
    explicit ZLVWebDatabaseManager(std::string root = defaultRoot());
    ~ZLVWebDatabaseManager();
    ZLVWebDatabaseManager(const ZLVWebDatabaseManager&) = delete;
    ZLVWebDatabaseManager& operator=(const ZLVWebDatabaseManager&) = delete;

    static std::string defaultRoot();

    // The database `name` of `scope`. Names are 1-64 letters, digits, '_' or '-' (they come from
    // pages); any other name, a user scope before sign-in, or a file that cannot be opened gives
    // null (logged). A persistent file that is not a readable database is replaced by a new one.
    std::shared_ptr<ZLVDatabase> openDatabase(ZLVDatabaseScope scope, const std::string& name);

    // The connection scope's default database. The manager drops it when the connection is lost,
    // so ask again for each use instead of keeping it.
    std::shared_ptr<ZLVDatabase> connectionDB();
    // Drops every connection database (the next use starts empty).
    void resetConnectionScope();
    // The listener the application registers with addConnectionDelegate: connectionLost resets
    // the connection scope. Held by the manager (the delegate holds it weakly).
    std::shared_ptr<ConnectionListener> connectionListener() const { return connectionListener_; }

    // The signed-in user (0: none), which selects the user scope's folder.
    void setUserId(int32_t userId);
    int32_t userId() const;

    // Non-zero when the server enabled `name` (the stored switch value), else 0.
    int64_t featureVisible(const std::string& name);
    // Stores the switches the server sent: a dictionary of name -> int. Null clears them; any other
    // kind is refused (logged).
    bool setFeatures(const fnd::Value& features);

    const std::string& root() const { return root_; }

private:
    class ConnectionEvents;

    static bool validName(const std::string& name);
    std::string folderFor(ZLVDatabaseScope scope) const;
    std::shared_ptr<ZLVDatabase> openFileDatabase(const std::string& folder, const std::string& name);

    std::string root_;
    mutable std::recursive_mutex mutex_;
    int32_t userId_ = 0;
    std::map<std::string, std::shared_ptr<ZLVDatabase>> connection_;
    // File databases by path, kept open while the manager lives.
    std::map<std::string, std::shared_ptr<ZLVDatabase>> files_;
    std::shared_ptr<ConnectionListener> connectionListener_;
};

} // namespace zelvan
