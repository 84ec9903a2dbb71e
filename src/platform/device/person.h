// device::Person: one address-book record - names, organisation, job title, note, birthday, lists
// of phone numbers, e-mail addresses and web pages, and a picture. Safe to use from several
// threads; an address book handle hands out its own Person objects and saves the changes made to
// them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/device/multi_value.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace device {

using RecordID = int32_t;
inline constexpr RecordID kRecordInvalidID = -1;

enum class PersonKind { Person = 0, Organization = 1 };

// The numeric values are stored in the address-book database; new properties go at the end.
enum class Property { FirstName, LastName, Organization, JobTitle, Note, Birthday, Phone, Email, URL, Address };

// What values a property holds: strings, a date, a multi-value of strings, or (Address) a multi-value of
// dictionaries.
PropertyType propertyType(Property property);
// Whether the property holds a multi-value.
bool isMultiValue(Property property);
// A short name for log lines and screens ("first name", "phone").
std::string propertyName(Property property);

// A person's values as plain data, copied between handles and the store.
struct PersonRecord {
    PersonKind kind = PersonKind::Person;
    std::map<Property, std::string> strings;
    std::optional<fnd::Date> birthday;
    std::map<Property, MultiValue::State> multiValues;
    std::optional<fnd::Bytes> image;
    friend bool operator==(const PersonRecord&, const PersonRecord&) = default;
};

class Person : public fnd::Object {
public:
    // A new person that belongs to no book yet (record id -1).
    static std::shared_ptr<Person> create();
    Person() = default;

    std::string className() const override { return "Person"; }

    // -1 until the person is first saved in a book.
    RecordID recordID() const;
    // Person, or Organization for a record that stands for a company (its name in Organization).
    PersonKind kind() const;
    void setKind(PersonKind kind);

    // A string, a date or (for lists) a MultiValue object copied from the person's; null when unset.
    fnd::Value copyValue(Property property) const;
    // Sets the property: strings for the names, note and job title, a date for the birthday, a
    // MultiValue of strings for the lists. A value of the wrong kind is refused (logged, false); a
    // null value removes the property.
    bool setValue(Property property, const fnd::Value& value);
    bool removeValue(Property property);

    // PNG (or other image) bytes; setting empty bytes removes the picture.
    bool setImageData(const fnd::Bytes& data);
    fnd::Bytes imageData() const;
    bool hasImageData() const;
    bool removeImageData();

    // --- For address-book handles ---
    PersonRecord record() const;
    // Replaces every value (a reload from the store) without counting it as a change, and returns
    // the revision the stored values now stand for. With `unlessChangedSince`, a person edited after
    // that revision keeps its values and nullopt is returned: the edit is newer than the store. The
    // check and the replacement happen under one lock, so an edit from another thread is never lost.
    std::optional<uint64_t> restore(RecordID id, PersonRecord record,
                                    std::optional<uint64_t> unlessChangedSince = std::nullopt);
    void assignRecordID(RecordID id);
    // Grows with every change, so a handle can tell which of its people were edited since it last
    // saved or loaded them.
    uint64_t revision() const;

private:
    void changed() { ++revision_; }

    mutable std::recursive_mutex mutex_;
    RecordID id_ = kRecordInvalidID;
    PersonRecord record_;
    uint64_t revision_ = 0;
};

} // namespace device
