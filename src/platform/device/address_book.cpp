// Address-book handles: their own copies of the records, change tracking by person revisions, and
// all-or-nothing saves through the shared store.
#include "platform/device/address_book.h"

#include <algorithm>
#include <map>

#include "platform/device/address_book_store.h"
#include "platform/foundation/log.h"

namespace device {

std::shared_ptr<AddressBook> AddressBook::create() {
    auto store = AddressBookStore::shared();
    if (!store) {
        return nullptr;
    }
    std::shared_ptr<AddressBook> book(new AddressBook(std::move(store)));
    std::lock_guard lock(book->mutex_);
    if (auto loaded = book->reloadLocked(Keep::Nothing); !loaded) {
        ZLOG(Error, "AddressBook: cannot read the records: %s", loaded.error().localizedDescription());
        return nullptr;
    }
    return book;
}

AddressBook::AddressBook(std::shared_ptr<AddressBookStore> store) : store_(std::move(store)) {}

AddressBook::~AddressBook() = default;

fnd::Result<void> AddressBook::reloadLocked(Keep keep) {
    auto stored = TRY(store_->loadAll());
    std::map<RecordID, Held> known;
    for (const auto& held : people_) {
        known[held.person->recordID()] = held;
    }
    for (const auto& held : removed_) {
        known[held.person->recordID()] = held;
    }
    std::vector<Held> fresh;
    fresh.reserve(stored.size());
    for (auto& s : stored) {
        auto it = known.find(s.id);
        if (it == known.end()) {
            auto person = Person::create();
            fresh.push_back(Held{person, *person->restore(s.id, std::move(s.record))});
            continue;
        }
        // A person edited since it was last synced keeps the edit (even one made by another thread
        // while this reload runs); the rest take the stored values.
        std::optional<uint64_t> unlessChangedSince;
        if (keep == Keep::Unsaved) {
            unlessChangedSince = it->second.syncedRevision;
        }
        std::optional<uint64_t> restored = it->second.person->restore(s.id, std::move(s.record), unlessChangedSince);
        fresh.push_back(restored ? Held{it->second.person, *restored} : it->second);
    }
    people_ = std::move(fresh);
    added_.clear();
    removed_.clear();
    return {};
}

bool AddressBook::holdsLocked(const Person& person) const {
    return std::any_of(people_.begin(), people_.end(), [&](const Held& h) { return h.person.get() == &person; }) ||
           std::any_of(added_.begin(), added_.end(), [&](const auto& p) { return p.get() == &person; });
}

std::vector<std::shared_ptr<Person>> AddressBook::copyArrayOfAllPeople() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<Person>> all;
    all.reserve(people_.size() + added_.size());
    for (const auto& held : people_) {
        all.push_back(held.person);
    }
    all.insert(all.end(), added_.begin(), added_.end());
    return all;
}

std::shared_ptr<Person> AddressBook::personWithRecordID(RecordID id) const {
    if (id == kRecordInvalidID) {
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    for (const auto& held : people_) {
        if (held.person->recordID() == id) {
            return held.person;
        }
    }
    return nullptr;
}

int AddressBook::personCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(people_.size() + added_.size());
}

bool AddressBook::addRecord(const std::shared_ptr<Person>& person) {
    if (!person) {
        return false;
    }
    std::lock_guard lock(mutex_);
    const auto wasRemoved =
        std::find_if(removed_.begin(), removed_.end(), [&](const Held& h) { return h.person == person; });
    if (wasRemoved != removed_.end()) {
        people_.push_back(*wasRemoved);
        removed_.erase(wasRemoved);
        std::sort(people_.begin(), people_.end(),
                  [](const Held& a, const Held& b) { return a.person->recordID() < b.person->recordID(); });
        return true;
    }
    if (holdsLocked(*person)) {
        ZLOG(Warn, "AddressBook: the person is already in this book");
        return false;
    }
    if (person->recordID() != kRecordInvalidID) {
        ZLOG(Warn, "AddressBook: record %d belongs to a book already", person->recordID());
        return false;
    }
    added_.push_back(person);
    return true;
}

bool AddressBook::removeRecord(const std::shared_ptr<Person>& person) {
    if (!person) {
        return false;
    }
    std::lock_guard lock(mutex_);
    const auto added = std::find(added_.begin(), added_.end(), person);
    if (added != added_.end()) {
        added_.erase(added);
        return true;
    }
    const auto held = std::find_if(people_.begin(), people_.end(), [&](const Held& h) { return h.person == person; });
    if (held == people_.end()) {
        ZLOG(Warn, "AddressBook: the person to remove is not in this book");
        return false;
    }
    removed_.push_back(*held);
    people_.erase(held);
    return true;
}

bool AddressBook::hasUnsavedChanges() const {
    std::lock_guard lock(mutex_);
    return !added_.empty() || !removed_.empty() || std::any_of(people_.begin(), people_.end(), [](const Held& h) {
        return h.person->revision() != h.syncedRevision;
    });
}

fnd::Result<void> AddressBook::save() {
    std::lock_guard lock(mutex_);
    AddressBookStore::Changes changes;
    for (const auto& held : removed_) {
        changes.removed.push_back(held.person->recordID());
    }
    // Each edited person's values are taken with the revision they belong to, so an edit made by
    // another thread while the save runs stays unsaved rather than being lost.
    std::vector<std::pair<Held*, uint64_t>> saving;
    for (auto& held : people_) {
        const uint64_t revision = held.person->revision();
        if (revision != held.syncedRevision) {
            changes.updated.push_back({held.person->recordID(), held.person->record()});
            saving.emplace_back(&held, revision);
        }
    }
    // A person added here but saved meanwhile through another handle sharing the object is skipped.
    std::vector<Held> adding;
    for (const auto& person : added_) {
        if (person->recordID() == kRecordInvalidID) {
            adding.push_back(Held{person, person->revision()});
            changes.added.push_back(person->record());
        }
    }
    if (!changes.empty()) {
        auto ids = store_->commit(changes);
        if (!ids) {
            ZLOG(Error, "AddressBook: save failed, nothing was written: %s", ids.error().localizedDescription());
            return std::move(ids).error();
        }
        for (auto& [held, revision] : saving) {
            held->syncedRevision = revision;
        }
        for (size_t i = 0; i < adding.size() && i < ids.value().size(); ++i) {
            adding[i].person->assignRecordID(ids.value()[i]);
            people_.push_back(adding[i]);
        }
        added_.clear();
        removed_.clear();
    }
    // Pick up other handles' saves; edits made here are all stored now, so nothing is lost.
    if (auto reloaded = reloadLocked(Keep::Unsaved); !reloaded) {
        ZLOG(Error, "AddressBook: saved, but cannot read the records back: %s",
             reloaded.error().localizedDescription());
    }
    return {};
}

void AddressBook::revert() {
    std::lock_guard lock(mutex_);
    if (auto reloaded = reloadLocked(Keep::Nothing); !reloaded) {
        ZLOG(Error, "AddressBook: cannot revert: %s", reloaded.error().localizedDescription());
    }
}

} // namespace device
