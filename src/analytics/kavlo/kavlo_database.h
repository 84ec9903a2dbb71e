// KavloDatabase: the Kavlo client's event queue, one SQLite table in "kavlo.db" in the documents folder.
// It stores message texts under the session row current when they were stored, hands out batches of at
// most 50 rows as one JSON object text and deletes what the server accepted. Any thread: every statement
// runs under the object's own lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/sql_database.h"
#include "platform/foundation/sql_statement.h"
#include "platform/foundation/value.h"

namespace zelvan::kavlo {

class KavloDatabase {
public:
    // The keys of a batch (selectMessage).
    static constexpr std::string_view kMessageKey = "MESSAGE_KEY";
    static constexpr std::string_view kMessageSession = "MESSAGE_SESSION";
    static constexpr std::string_view kMessageJSON = "MESSAGE_JSON";
    static constexpr std::string_view kMessageCount = "MESSAGE_COUNT";
    // Rows in one batch at most.
    static constexpr int kBatchLimit = 50;

    // Opens the queue of `applicationId` and makes it the one in the installed registry's Kavlo context
    // (when there is one). Returns it. Entry points, as is getInstance (kavlo_entry_points.cpp).
    static std::shared_ptr<KavloDatabase> initForApplication(const std::string& applicationId);
    // The queue in the installed registry's Kavlo context; null before initForApplication.
    static std::shared_ptr<KavloDatabase> getInstance();

    // Opens (creating) "kavlo.db" in the documents folder, makes or upgrades the table "mc<id>" (with
    // "-" as "_") and prepares the statements. When the file cannot be opened the failure is logged and
    // every operation does nothing.
    explicit KavloDatabase(const std::string& applicationId);
    ~KavloDatabase();
    KavloDatabase(const KavloDatabase&) = delete;
    KavloDatabase& operator=(const KavloDatabase&) = delete;

    // Creates the table, or gives a table of the older layout its sessionpk column (-1 in every row).
    bool initializeTable();
    // Stores an environment record as a new session row that points at itself; later messages belong to
    // it. The insert and the self-reference are one transaction. False when it was not stored.
    bool insertSession(const std::string& message);
    // Stores a message under the current session row. False when it was not stored.
    bool insertMessage(const std::string& message);
    // The oldest rows (at most 50) as a batch dictionary, or null when the queue is empty.
    fnd::Value selectMessage();
    // Deletes every row up to `primaryKey` except the session row `sessionKey`. False when the delete
    // failed or `primaryKey` is not a row number.
    bool deleteMessageWithPrimaryKey(const std::string& primaryKey, const std::string& sessionKey);
    // Empties the queue.
    bool purge();

    // The current session row's pk (0 before the first session row).
    int64_t sessionpk() const;
    const std::string& table() const { return table_; }
    // Whether the file opened and every statement is ready.
    bool isOpen() const;

private:
    bool initializeTableLocked();
    bool prepareStatements();
    bool insertSessionLocked(const std::string& message);
    // Reads a step's outcome: false (and a logged line) on failure.
    bool stepDone(fnd::SqlStatement& statement, std::string_view what);

    mutable std::mutex mutex_;
    std::optional<fnd::SqlDatabase> database_;
    std::string table_;
    fnd::SqlStatement insert_statement_;
    fnd::SqlStatement update_statement_;
    fnd::SqlStatement select_statement_;
    fnd::SqlStatement delete_statement_;
    fnd::SqlStatement purge_statement_;
    int64_t sessionpk_ = 0;
};

} // namespace zelvan::kavlo
