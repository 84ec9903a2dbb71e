// The address-book database: a people table with the single values and the picture, and tables of
// multi-value entries with their labels and identifiers (addresses kept as XML property lists). Record ids come from
// AUTOINCREMENT, so an id once given is never given again, even after the record is removed and the process restarts.
#include "platform/device/address_book_store.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/sql_transaction.h"

namespace device {
namespace {

constexpr const char* kErrorDomain = "AddressBookErrorDomain";

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS people(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    first_name TEXT, last_name TEXT, organization TEXT, job_title TEXT, note TEXT,
    birthday REAL, image BLOB, kind INTEGER NOT NULL DEFAULT 0);
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
           property == static_cast<int64_t>(Property::URL) || property == static_cast<int64_t>(Property::Address);
}

// The store's error for a failed step: "<what>: <SQLite's message>", with SQLite's result code.
fnd::Error storeError(const std::string& what, const fnd::Error& cause) {
    const std::string description = what + ": " + fnd::sqlMessage(cause);
    return fnd::Error(kErrorDomain, cause.code(), std::string_view(description));
}

// `result`, or its failure told as the store's error for `what`.
template <class T>
fnd::Result<T> explained(fnd::Result<T>&& result, const std::string& what) {
    if (result.ok()) {
        return std::move(result);
    }
    return storeError(what, result.error());
}

// Runs a statement that returns no rows.
fnd::Result<void> run(fnd::SqlStatement& statement) {
    TRY(statement.step());
    return {};
}

// A list entry's value as stored: strings as they are, address dictionaries as XML property lists.
std::optional<std::string> storedText(const fnd::Value& value) {
    if (value.isDictionary()) {
        return fnd::PropertyList::write(value);
    }
    return value.stringValue();
}

// The value of a stored entry of `property`, or nullopt (logged) for an address that does not read back
// as a dictionary of strings.
std::optional<fnd::Value> storedValue(Property property, const std::string& text) {
    if (property != Property::Address) {
        return fnd::Value(text);
    }
    auto read = fnd::PropertyList::read(std::string_view(text));
    if (!read || !read->isDictionary()) {
        ZLOG(Warn, "AddressBook: skipped an unreadable address");
        return std::nullopt;
    }
    for (const auto& [key, v] : *read->asDictionary()) {
        if (!key.isString() || !v.isString()) {
            ZLOG(Warn, "AddressBook: skipped an address with a value that is not text");
            return std::nullopt;
        }
    }
    return *read;
}

// Brings a database written before people had a kind up to date: the column is added, and every record
// already there reads as a person. Nothing is dropped or recreated.
fnd::Result<void> migrate(fnd::SqlDatabase& db) {
    auto q = TRY(explained(db.prepare("PRAGMA table_info(people)"), "cannot read the people table"));
    fnd::Result<fnd::SqlStep> step = fnd::SqlStep::Row;
    while ((step = q.step()) && step.value() == fnd::SqlStep::Row) {
        if (q.columnText(1) == "kind") {
            return {};
        }
    }
    if (!step) {
        return storeError("cannot read the people table", step.error());
    }
    ZLOG(Info, "AddressBook: adding the kind column to an older store");
    return explained(db.exec("ALTER TABLE people ADD COLUMN kind INTEGER NOT NULL DEFAULT 0"),
                     "cannot add the kind column");
}

// Binds a person's single values and its id to the people update.
fnd::Result<void> bindPerson(fnd::SqlStatement& update, RecordID id, const PersonRecord& record) {
    for (size_t i = 0; i < kStringColumns.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const auto it = record.strings.find(kStringColumns[i]);
        TRY(it == record.strings.end() ? update.bindNull(index) : update.bindText(index, it->second));
    }
    TRY(record.birthday ? update.bindDouble(6, record.birthday->sinceReferenceDate()) : update.bindNull(6));
    TRY(record.image && !record.image->empty() ? update.bindBlob(7, *record.image) : update.bindNull(7));
    TRY(update.bindInt64(8, id));
    TRY(update.bindInt64(9, static_cast<int64_t>(record.kind)));
    return {};
}

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
    auto opened = fnd::SqlDatabase::open(file);
    if (!opened) {
        ZLOG(Error, "AddressBook: cannot open %s: %s", file, fnd::sqlMessage(opened.error()));
        return nullptr;
    }
    opened.value().setBusyTimeout(5000);
    std::shared_ptr<AddressBookStore> store(new AddressBookStore(std::move(opened).value()));
    if (auto made = store->exec(kSchema); !made) {
        ZLOG(Error, "AddressBook: cannot set up %s: %s", file, made.error().localizedDescription());
        return nullptr;
    }
    if (auto migrated = migrate(store->db_); !migrated) {
        ZLOG(Error, "AddressBook: cannot update %s: %s", file, migrated.error().localizedDescription());
        return nullptr;
    }
    registry = store;
    return store;
}

fnd::Result<void> AddressBookStore::exec(const char* sql) {
    return explained(db_.exec(sql), "statement failed");
}

fnd::Result<std::vector<AddressBookStore::StoredPerson>> AddressBookStore::loadAll() {
    std::lock_guard lock(mutex_);
    std::vector<StoredPerson> people;
    {
        auto q = TRY(explained(db_.prepare("SELECT id, first_name, last_name, organization, job_title, note, "
                                           "birthday, image, kind FROM people ORDER BY id"),
                               "cannot read people"));
        fnd::Result<fnd::SqlStep> step = fnd::SqlStep::Row;
        while ((step = q.step()) && step.value() == fnd::SqlStep::Row) {
            const int64_t id = q.columnInt64(0);
            if (id <= 0 || id > INT32_MAX) {
                ZLOG(Warn, "AddressBook: skipped a record with the impossible id %lld", static_cast<long long>(id));
                continue;
            }
            StoredPerson p;
            p.id = static_cast<RecordID>(id);
            for (size_t i = 0; i < kStringColumns.size(); ++i) {
                const int col = static_cast<int>(i) + 1;
                if (!q.columnIsNull(col)) {
                    p.record.strings[kStringColumns[i]] = q.columnText(col);
                }
            }
            if (!q.columnIsNull(6)) {
                p.record.birthday = fnd::Date(q.columnDouble(6));
            }
            if (fnd::Bytes image = q.columnBlob(7); !image.empty()) {
                p.record.image = std::move(image);
            }
            p.record.kind = q.columnInt64(8) == 1 ? PersonKind::Organization : PersonKind::Person;
            people.push_back(std::move(p));
        }
        if (!step) {
            return storeError("cannot read people", step.error());
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
        auto q = TRY(explained(db_.prepare("SELECT person_id, property, next_identifier FROM multi_values"),
                               "cannot read lists"));
        fnd::Result<fnd::SqlStep> step = fnd::SqlStep::Row;
        while ((step = q.step()) && step.value() == fnd::SqlStep::Row) {
            const int64_t property = q.columnInt64(1);
            PersonRecord* record = find(q.columnInt64(0));
            if (record != nullptr && isStoredMultiProperty(property)) {
                const int64_t next = q.columnInt64(2);
                auto& state = record->multiValues[static_cast<Property>(property)];
                state.kind = propertyType(static_cast<Property>(property));
                state.nextIdentifier = static_cast<MultiValueIdentifier>(std::clamp<int64_t>(next, 0, INT32_MAX));
            }
        }
        // Lists cut short by a read error would pass for people with fewer entries, and a later
        // save of such a person would store the loss.
        if (!step) {
            return storeError("cannot read lists", step.error());
        }
    }
    {
        auto q = TRY(explained(db_.prepare("SELECT person_id, property, identifier, label, value FROM "
                                           "multi_value_entries ORDER BY person_id, property, position"),
                               "cannot read list entries"));
        fnd::Result<fnd::SqlStep> step = fnd::SqlStep::Row;
        while ((step = q.step()) && step.value() == fnd::SqlStep::Row) {
            const int64_t property = q.columnInt64(1);
            const int64_t identifier = q.columnInt64(2);
            PersonRecord* record = find(q.columnInt64(0));
            if (record == nullptr || !isStoredMultiProperty(property) || identifier < 0 || identifier >= INT32_MAX) {
                continue;
            }
            auto value = storedValue(static_cast<Property>(property), q.columnText(4));
            if (!value) {
                continue;
            }
            auto& state = record->multiValues[static_cast<Property>(property)];
            state.kind = propertyType(static_cast<Property>(property));
            state.entries.push_back(
                MultiValue::Entry{static_cast<MultiValueIdentifier>(identifier), q.columnText(3), std::move(*value)});
        }
        if (!step) {
            return storeError("cannot read list entries", step.error());
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
    auto update =
        TRY(explained(db_.prepare("UPDATE people SET first_name = ?1, last_name = ?2, organization = ?3, "
                                  "job_title = ?4, note = ?5, birthday = ?6, image = ?7, kind = ?9 WHERE id = ?8"),
                      "cannot prepare a person update"));
    TRY(explained(bindPerson(update, id, record), "cannot write a person"));
    TRY(explained(run(update), "cannot write a person"));

    const std::string prepareFailed = "cannot prepare list writes";
    auto clearHeads = TRY(explained(db_.prepare("DELETE FROM multi_values WHERE person_id = ?1"), prepareFailed));
    auto clearEntries =
        TRY(explained(db_.prepare("DELETE FROM multi_value_entries WHERE person_id = ?1"), prepareFailed));
    auto head =
        TRY(explained(db_.prepare("INSERT INTO multi_values(person_id, property, next_identifier) VALUES(?1, ?2, ?3)"),
                      prepareFailed));
    auto entry = TRY(explained(db_.prepare("INSERT INTO multi_value_entries(person_id, property, position, identifier, "
                                           "label, value) VALUES(?1, ?2, ?3, ?4, ?5, ?6)"),
                               prepareFailed));
    const std::string clearFailed = "cannot clear a person's lists";
    TRY(explained(clearHeads.bindInt64(1, id), clearFailed));
    TRY(explained(clearEntries.bindInt64(1, id), clearFailed));
    TRY(explained(run(clearHeads), clearFailed));
    TRY(explained(run(clearEntries), clearFailed));
    // Plain names rather than a structured binding, since the lambdas below capture them.
    for (const auto& list : record.multiValues) {
        const Property property = list.first;
        const auto& state = list.second;
        head.reset();
        auto writeHead = [&]() -> fnd::Result<void> {
            TRY(head.bindInt64(1, id));
            TRY(head.bindInt64(2, static_cast<int64_t>(property)));
            TRY(head.bindInt64(3, state.nextIdentifier));
            return run(head);
        };
        TRY(explained(writeHead(), "cannot write a list"));
        int64_t position = 0;
        for (const auto& e : state.entries) {
            entry.reset();
            auto writeEntry = [&]() -> fnd::Result<void> {
                TRY(entry.bindInt64(1, id));
                TRY(entry.bindInt64(2, static_cast<int64_t>(property)));
                TRY(entry.bindInt64(3, position++));
                TRY(entry.bindInt64(4, e.identifier));
                TRY(entry.bindText(5, e.label));
                auto text = storedText(e.value);
                if (!text) {
                    return fnd::Error(kErrorDomain, fnd::kSqlCodeError,
                                      std::string_view("an address cannot be stored"));
                }
                TRY(entry.bindText(6, *text));
                return run(entry);
            };
            TRY(explained(writeEntry(), "cannot write a list entry"));
        }
    }
    return {};
}

fnd::Result<std::vector<RecordID>> AddressBookStore::commit(const Changes& changes) {
    std::lock_guard lock(mutex_);
    // Rolled back when this function returns without a successful COMMIT.
    auto transaction =
        TRY(explained(fnd::SqlTransaction::begin(db_, fnd::SqlTransaction::Mode::Immediate), "statement failed"));
    auto body = [&]() -> fnd::Result<std::vector<RecordID>> {
        for (RecordID id : changes.removed) {
            for (const char* sql : {"DELETE FROM people WHERE id = ?1", "DELETE FROM multi_values WHERE person_id = ?1",
                                    "DELETE FROM multi_value_entries WHERE person_id = ?1"}) {
                auto del = TRY(explained(db_.prepare(sql), "cannot prepare a removal"));
                TRY(explained(del.bindInt64(1, id), "cannot remove a person"));
                TRY(explained(run(del), "cannot remove a person"));
            }
        }
        for (const auto& p : changes.updated) {
            auto exists = TRY(explained(db_.prepare("SELECT 1 FROM people WHERE id = ?1"), "cannot prepare a lookup"));
            TRY(explained(exists.bindInt64(1, p.id), "cannot prepare a lookup"));
            if (auto found = exists.step(); !found || found.value() != fnd::SqlStep::Row) {
                ZLOG(Warn, "AddressBook: record %d was removed elsewhere; its changes are dropped", p.id);
                continue;
            }
            TRY(writeValues(p.id, p.record));
        }
        std::vector<RecordID> ids;
        for (const auto& record : changes.added) {
            auto insert = TRY(explained(db_.prepare("INSERT INTO people DEFAULT VALUES"), "cannot add a person"));
            TRY(explained(run(insert), "cannot add a person"));
            const int64_t id = db_.lastInsertRowId();
            if (id <= 0 || id > INT32_MAX) {
                return fnd::Error(kErrorDomain, fnd::kSqlCodeFull, std::string_view("no record ids left"));
            }
            TRY(writeValues(static_cast<RecordID>(id), record));
            ids.push_back(static_cast<RecordID>(id));
        }
        return ids;
    };
    auto result = body();
    if (result.ok()) {
        TRY(explained(transaction.commit(), "statement failed"));
    }
    return result;
}

} // namespace device
