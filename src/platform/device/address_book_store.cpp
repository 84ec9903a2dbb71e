// The address-book database: a people table with the single values and the picture, and tables of
// multi-value entries with their labels and identifiers. Record ids come from AUTOINCREMENT, so an
// id once given is never given again, even after the record is removed and the process restarts.
#include "platform/device/address_book_store.h"

#include <sqlite3.h>

#include <array>
#include <filesystem>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"

namespace device {
namespace {

constexpr const char* kErrorDomain = "AddressBookErrorDomain";

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS people(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    first_name TEXT, last_name TEXT, organization TEXT, job_title TEXT, note TEXT,
    birthday REAL, image BLOB);
CREATE TABLE IF NOT EXISTS multi_values(
    person_id INTEGER NOT NULL, property INTEGER NOT NULL, next_identifier INTEGER NOT NULL,
    PRIMARY KEY(person_id, property));
CREATE TABLE IF NOT EXISTS multi_value_entries(
    person_id INTEGER NOT NULL, property INTEGER NOT NULL, position INTEGER NOT NULL,
    identifier INTEGER NOT NULL, label TEXT NOT NULL, value TEXT NOT NULL,
    PRIMARY KEY(person_id, property, position));
)sql";

// The single-string properties in the order of their columns (people columns 1..5).
constexpr std::array<Property, 5> kStringColumns = {Property::FirstName, Property::LastName, Property::Organization,
                                                    Property::JobTitle, Property::Note};

bool isStoredMultiProperty(int64_t property) {
    return property == static_cast<int64_t>(Property::Phone) || property == static_cast<int64_t>(Property::Email) ||
           property == static_cast<int64_t>(Property::URL);
}

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return rc_ == SQLITE_OK && stmt_ != nullptr; }
    sqlite3_stmt* get() { return stmt_; }
    void bindText(int i, const std::string& text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bindInt(int i, int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
    void bindNull(int i) { sqlite3_bind_null(stmt_, i); }
    std::string text(int i) {
        const auto* p = sqlite3_column_text(stmt_, i);
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt_, i)))
                 : std::string();
    }
    bool isNull(int i) { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
    int step() { return sqlite3_step(stmt_); }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

std::mutex registryMutex;
std::weak_ptr<AddressBookStore> registry;

} // namespace

std::string AddressBookStore::path() {
    return fnd::AppFolders::library() + "/AddressBook/AddressBook.sqlitedb";
}

std::shared_ptr<AddressBookStore> AddressBookStore::shared() {
    std::lock_guard lock(registryMutex);
    if (auto open = registry.lock()) {
        return open;
    }
    const std::string file = path();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        fnd::log("AddressBook: cannot open %s: %s", file, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    std::shared_ptr<AddressBookStore> store(new AddressBookStore(db));
    if (auto made = store->exec(kSchema); !made) {
        fnd::log("AddressBook: cannot set up %s: %s", file, made.error().localizedDescription());
        return nullptr;
    }
    registry = store;
    return store;
}

AddressBookStore::~AddressBookStore() {
    sqlite3_close(db_);
}

fnd::Error AddressBookStore::error(const std::string& what) const {
    const std::string description = what + ": " + sqlite3_errmsg(db_);
    return fnd::Error(kErrorDomain, sqlite3_extended_errcode(db_), std::string_view(description));
}

fnd::Result<void> AddressBookStore::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return error("statement failed");
    }
    return {};
}

fnd::Result<std::vector<AddressBookStore::StoredPerson>> AddressBookStore::loadAll() {
    std::lock_guard lock(mutex_);
    std::vector<StoredPerson> people;
    {
        Statement q(db_, "SELECT id, first_name, last_name, organization, job_title, note, birthday, image "
                         "FROM people ORDER BY id");
        if (!q.ok()) {
            return error("cannot read people");
        }
        int rc = SQLITE_ROW;
        while ((rc = q.step()) == SQLITE_ROW) {
            const int64_t id = sqlite3_column_int64(q.get(), 0);
            if (id <= 0 || id > INT32_MAX) {
                fnd::log("AddressBook: skipped a record with the impossible id %lld", static_cast<long long>(id));
                continue;
            }
            StoredPerson p;
            p.id = static_cast<RecordID>(id);
            for (size_t i = 0; i < kStringColumns.size(); ++i) {
                const int col = static_cast<int>(i) + 1;
                if (!q.isNull(col)) {
                    p.record.strings[kStringColumns[i]] = q.text(col);
                }
            }
            if (!q.isNull(6)) {
                p.record.birthday = fnd::Date(sqlite3_column_double(q.get(), 6));
            }
            const auto* blob = static_cast<const uint8_t*>(sqlite3_column_blob(q.get(), 7));
            const int size = sqlite3_column_bytes(q.get(), 7);
            if (blob != nullptr && size > 0) {
                p.record.image = fnd::Bytes(blob, blob + size);
            }
            people.push_back(std::move(p));
        }
        if (rc != SQLITE_DONE) {
            return error("cannot read people");
        }
    }
    auto find = [&people](int64_t id) -> PersonRecord* {
        for (auto& p : people) {
            if (p.id == id) {
                return &p.record;
            }
        }
        return nullptr;
    };
    {
        Statement q(db_, "SELECT person_id, property, next_identifier FROM multi_values");
        if (!q.ok()) {
            return error("cannot read lists");
        }
        int rc = SQLITE_ROW;
        while ((rc = q.step()) == SQLITE_ROW) {
            const int64_t property = sqlite3_column_int64(q.get(), 1);
            PersonRecord* record = find(sqlite3_column_int64(q.get(), 0));
            if (record != nullptr && isStoredMultiProperty(property)) {
                const int64_t next = sqlite3_column_int64(q.get(), 2);
                record->multiValues[static_cast<Property>(property)].nextIdentifier =
                    static_cast<MultiValueIdentifier>(std::clamp<int64_t>(next, 0, INT32_MAX));
            }
        }
        // Lists cut short by a read error would pass for people with fewer entries, and a later
        // save of such a person would store the loss.
        if (rc != SQLITE_DONE) {
            return error("cannot read lists");
        }
    }
    {
        Statement q(db_, "SELECT person_id, property, identifier, label, value FROM multi_value_entries "
                         "ORDER BY person_id, property, position");
        if (!q.ok()) {
            return error("cannot read list entries");
        }
        int rc = SQLITE_ROW;
        while ((rc = q.step()) == SQLITE_ROW) {
            const int64_t property = sqlite3_column_int64(q.get(), 1);
            const int64_t identifier = sqlite3_column_int64(q.get(), 2);
            PersonRecord* record = find(sqlite3_column_int64(q.get(), 0));
            if (record == nullptr || !isStoredMultiProperty(property) || identifier < 0 || identifier >= INT32_MAX) {
                continue;
            }
            auto& state = record->multiValues[static_cast<Property>(property)];
            state.entries.push_back(
                MultiValue::Entry{static_cast<MultiValueIdentifier>(identifier), q.text(3), fnd::Value(q.text(4))});
        }
        if (rc != SQLITE_DONE) {
            return error("cannot read list entries");
        }
    }
    // Normalise each list as a MultiValue would hold it (next identifier above every one in use).
    for (auto& p : people) {
        for (auto& [property, state] : p.record.multiValues) {
            state = MultiValue::restore(std::move(state))->state();
        }
    }
    return people;
}

fnd::Result<void> AddressBookStore::writeValues(RecordID id, const PersonRecord& record) {
    Statement update(db_, "UPDATE people SET first_name = ?1, last_name = ?2, organization = ?3, job_title = ?4, "
                          "note = ?5, birthday = ?6, image = ?7 WHERE id = ?8");
    if (!update.ok()) {
        return error("cannot prepare a person update");
    }
    for (size_t i = 0; i < kStringColumns.size(); ++i) {
        const auto it = record.strings.find(kStringColumns[i]);
        if (it == record.strings.end()) {
            update.bindNull(static_cast<int>(i) + 1);
        } else {
            update.bindText(static_cast<int>(i) + 1, it->second);
        }
    }
    if (record.birthday) {
        sqlite3_bind_double(update.get(), 6, record.birthday->sinceReferenceDate());
    } else {
        update.bindNull(6);
    }
    if (record.image && !record.image->empty()) {
        sqlite3_bind_blob(update.get(), 7, record.image->data(), static_cast<int>(record.image->size()),
                          SQLITE_TRANSIENT);
    } else {
        update.bindNull(7);
    }
    update.bindInt(8, id);
    if (update.step() != SQLITE_DONE) {
        return error("cannot write a person");
    }

    Statement clearHeads(db_, "DELETE FROM multi_values WHERE person_id = ?1");
    Statement clearEntries(db_, "DELETE FROM multi_value_entries WHERE person_id = ?1");
    Statement head(db_, "INSERT INTO multi_values(person_id, property, next_identifier) VALUES(?1, ?2, ?3)");
    Statement entry(db_, "INSERT INTO multi_value_entries(person_id, property, position, identifier, label, value) "
                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    if (!clearHeads.ok() || !clearEntries.ok() || !head.ok() || !entry.ok()) {
        return error("cannot prepare list writes");
    }
    clearHeads.bindInt(1, id);
    clearEntries.bindInt(1, id);
    if (clearHeads.step() != SQLITE_DONE || clearEntries.step() != SQLITE_DONE) {
        return error("cannot clear a person's lists");
    }
    for (const auto& [property, state] : record.multiValues) {
        sqlite3_reset(head.get());
        head.bindInt(1, id);
        head.bindInt(2, static_cast<int64_t>(property));
        head.bindInt(3, state.nextIdentifier);
        if (head.step() != SQLITE_DONE) {
            return error("cannot write a list");
        }
        int64_t position = 0;
        for (const auto& e : state.entries) {
            sqlite3_reset(entry.get());
            entry.bindInt(1, id);
            entry.bindInt(2, static_cast<int64_t>(property));
            entry.bindInt(3, position++);
            entry.bindInt(4, e.identifier);
            entry.bindText(5, e.label);
            entry.bindText(6, e.value.stringValue());
            if (entry.step() != SQLITE_DONE) {
                return error("cannot write a list entry");
            }
        }
    }
    return {};
}

fnd::Result<std::vector<RecordID>> AddressBookStore::commit(const Changes& changes) {
    std::lock_guard lock(mutex_);
    TRY(exec("BEGIN IMMEDIATE"));
    auto body = [&]() -> fnd::Result<std::vector<RecordID>> {
        for (RecordID id : changes.removed) {
            for (const char* sql : {"DELETE FROM people WHERE id = ?1", "DELETE FROM multi_values WHERE person_id = ?1",
                                    "DELETE FROM multi_value_entries WHERE person_id = ?1"}) {
                Statement del(db_, sql);
                if (!del.ok()) {
                    return error("cannot prepare a removal");
                }
                del.bindInt(1, id);
                if (del.step() != SQLITE_DONE) {
                    return error("cannot remove a person");
                }
            }
        }
        for (const auto& p : changes.updated) {
            Statement exists(db_, "SELECT 1 FROM people WHERE id = ?1");
            if (!exists.ok()) {
                return error("cannot prepare a lookup");
            }
            exists.bindInt(1, p.id);
            if (exists.step() != SQLITE_ROW) {
                fnd::log("AddressBook: record %d was removed elsewhere; its changes are dropped", p.id);
                continue;
            }
            TRY(writeValues(p.id, p.record));
        }
        std::vector<RecordID> ids;
        for (const auto& record : changes.added) {
            Statement insert(db_, "INSERT INTO people DEFAULT VALUES");
            if (!insert.ok() || insert.step() != SQLITE_DONE) {
                return error("cannot add a person");
            }
            const int64_t id = sqlite3_last_insert_rowid(db_);
            if (id <= 0 || id > INT32_MAX) {
                return fnd::Error(kErrorDomain, SQLITE_FULL, std::string_view("no record ids left"));
            }
            TRY(writeValues(static_cast<RecordID>(id), record));
            ids.push_back(static_cast<RecordID>(id));
        }
        return ids;
    };
    auto result = body();
    if (result.ok()) {
        if (auto committed = exec("COMMIT"); !committed) {
            (void)exec("ROLLBACK");
            return committed.error();
        }
    } else {
        (void)exec("ROLLBACK");
    }
    return result;
}

} // namespace device
