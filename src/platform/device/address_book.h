// device::AddressBook: a handle on the process's address book. Each handle works on its own copy of
// the records: people read through it are its own objects, edits to them, additions and removals
// stay with the handle until save() commits them all at once. Handles are safe from any thread, and
// one handle may be shared between threads.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/device/person.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"

namespace device {

class AddressBookStore;

class AddressBook : public fnd::Object {
public:
    // A handle with a fresh copy of every record; null (logged) when the store cannot be opened.
    static std::shared_ptr<AddressBook> create();
    ~AddressBook() override;

    std::string className() const override { return "AddressBook"; }

    // The handle's people in record id order, then the ones added since the last save.
    std::vector<std::shared_ptr<Person>> copyArrayOfAllPeople() const;
    // The handle's person with `id`, or null.
    std::shared_ptr<Person> personWithRecordID(RecordID id) const;
    int personCount() const;

    // Adds a new person (or brings back one removed since the last save). A person that already
    // has a record id, or that this handle already holds, is refused (logged, false).
    bool addRecord(const std::shared_ptr<Person>& person);
    // Removes one of the handle's people; false (logged) for a person it does not hold.
    bool removeRecord(const std::shared_ptr<Person>& person);

    // Commits the additions, edits and removals in one transaction: all land or none does. New
    // people get their record ids. Afterwards the handle also sees what other handles saved.
    fnd::Result<void> save();
    // Drops the unsaved changes: every person goes back to its stored values (the same objects are
    // kept), unsaved additions leave, removals come back, and other handles' saves show.
    void revert();
    bool hasUnsavedChanges() const;

private:
    struct Held {
        std::shared_ptr<Person> person;
        uint64_t syncedRevision = 0;
    };

    explicit AddressBook(std::shared_ptr<AddressBookStore> store);
    // Replaces the held records with the store's, keeping the Person objects of ids still there;
    // with Keep::Unsaved, people edited since their last sync keep their values.
    enum class Keep { Nothing, Unsaved };
    fnd::Result<void> reloadLocked(Keep keep);
    bool holdsLocked(const Person& person) const;

    mutable std::recursive_mutex mutex_;
    std::shared_ptr<AddressBookStore> store_;
    std::vector<Held> people_;
    std::vector<std::shared_ptr<Person>> added_;
    std::vector<Held> removed_;
};

} // namespace device
