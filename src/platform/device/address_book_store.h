// device::AddressBookStore: the one address-book database of the process, an SQLite file under
// Library/AddressBook. Handles load every record from it and commit their changes to it in single
// transactions. It stays open while some handle holds it.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/device/person.h"
#include "platform/foundation/error.h"
#include "platform/foundation/sql_database.h"

namespace device {

class AddressBookStore {
public:
    struct StoredPerson {
        RecordID id = kRecordInvalidID;
        PersonRecord record;
    };
    struct Changes {
        std::vector<PersonRecord> added;
        std::vector<StoredPerson> updated;
        std::vector<RecordID> removed;
        bool empty() const { return added.empty() && updated.empty() && removed.empty(); }
    };

    // The open store, opening (and creating) the database when no handle holds it; null (logged)
    // when the file cannot be opened or set up.
    static std::shared_ptr<AddressBookStore> shared();
    static std::string path();

    ~AddressBookStore() = default;
    AddressBookStore(const AddressBookStore&) = delete;
    AddressBookStore& operator=(const AddressBookStore&) = delete;

    // Every person in record id order.
    fnd::Result<std::vector<StoredPerson>> loadAll();
    // Applies all the changes in one transaction: all of them land or none does. Answers the ids
    // given to the added people, in order. An update of a record that no longer exists is skipped
    // with a log line (another handle removed it).
    fnd::Result<std::vector<RecordID>> commit(const Changes& changes);

private:
    explicit AddressBookStore(fnd::SqlDatabase db) : db_(std::move(db)) {}
    fnd::Result<void> exec(const char* sql);
    fnd::Result<void> writeValues(RecordID id, const PersonRecord& record);

    std::mutex mutex_;
    fnd::SqlDatabase db_;
};

} // namespace device
