// Person records: typed property access over plain record data, with a revision count of changes.
#include "platform/device/person.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace device {

PropertyType propertyType(Property property) {
    switch (property) {
    case Property::Birthday:
        return PropertyType::DateTime;
    case Property::Phone:
    case Property::Email:
    case Property::URL:
        return PropertyType::MultiString;
    case Property::Address:
        return PropertyType::MultiDictionary;
    default:
        return PropertyType::String;
    }
}

bool isMultiValue(Property property) {
    const PropertyType type = propertyType(property);
    return type == PropertyType::MultiString || type == PropertyType::MultiDictionary;
}

std::string propertyName(Property property) {
    switch (property) {
    case Property::FirstName:
        return "first name";
    case Property::LastName:
        return "last name";
    case Property::Organization:
        return "organization";
    case Property::JobTitle:
        return "job title";
    case Property::Note:
        return "note";
    case Property::Birthday:
        return "birthday";
    case Property::Phone:
        return "phone";
    case Property::Email:
        return "email";
    case Property::URL:
        return "url";
    case Property::Address:
        return "address";
    }
    return "unknown";
}

std::shared_ptr<Person> Person::create() {
    return std::make_shared<Person>();
}

PersonKind Person::kind() const {
    std::lock_guard lock(mutex_);
    return record_.kind;
}

void Person::setKind(PersonKind kind) {
    std::lock_guard lock(mutex_);
    if (record_.kind != kind) {
        record_.kind = kind;
        changed();
    }
}

RecordID Person::recordID() const {
    std::lock_guard lock(mutex_);
    return id_;
}

fnd::Value Person::copyValue(Property property) const {
    std::lock_guard lock(mutex_);
    switch (propertyType(property)) {
    case PropertyType::DateTime:
        return record_.birthday ? fnd::Value(*record_.birthday) : fnd::Value();
    case PropertyType::MultiString:
    case PropertyType::MultiDictionary: {
        const auto it = record_.multiValues.find(property);
        return it == record_.multiValues.end() ? fnd::Value() : fnd::Value(MultiValue::restore(it->second));
    }
    default: {
        const auto it = record_.strings.find(property);
        return it == record_.strings.end() ? fnd::Value() : fnd::Value(it->second);
    }
    }
}

bool Person::setValue(Property property, const fnd::Value& value) {
    if (value.isNull()) {
        return removeValue(property);
    }
    std::lock_guard lock(mutex_);
    switch (propertyType(property)) {
    case PropertyType::DateTime:
        if (!value.isDate()) {
            break;
        }
        record_.birthday = value.asDate();
        changed();
        return true;
    case PropertyType::MultiString:
    case PropertyType::MultiDictionary: {
        const auto mv = value.asObject<MultiValue>();
        if (!mv || mv->kind() != propertyType(property)) {
            break;
        }
        record_.multiValues.insert_or_assign(property, mv->state());
        changed();
        return true;
    }
    default:
        if (!value.isString()) {
            break;
        }
        record_.strings[property] = *value.asString();
        changed();
        return true;
    }
    ZLOG(Warn, "Person: refused a %s value for the %s", fnd::logPreview(value), propertyName(property));
    return false;
}

bool Person::removeValue(Property property) {
    std::lock_guard lock(mutex_);
    const size_t removed = record_.strings.erase(property) + record_.multiValues.erase(property);
    const bool hadBirthday = property == Property::Birthday && record_.birthday.has_value();
    if (hadBirthday) {
        record_.birthday.reset();
    }
    if (removed > 0 || hadBirthday) {
        changed();
    }
    return true;
}

bool Person::setImageData(const fnd::Bytes& data) {
    if (data.empty()) {
        return removeImageData();
    }
    std::lock_guard lock(mutex_);
    record_.image = data;
    changed();
    return true;
}

fnd::Bytes Person::imageData() const {
    std::lock_guard lock(mutex_);
    return record_.image.value_or(fnd::Bytes());
}

bool Person::hasImageData() const {
    std::lock_guard lock(mutex_);
    return record_.image.has_value();
}

bool Person::removeImageData() {
    std::lock_guard lock(mutex_);
    if (record_.image) {
        record_.image.reset();
        changed();
    }
    return true;
}

PersonRecord Person::record() const {
    std::lock_guard lock(mutex_);
    return record_;
}

std::optional<uint64_t> Person::restore(RecordID id, PersonRecord record, std::optional<uint64_t> unlessChangedSince) {
    std::lock_guard lock(mutex_);
    if (unlessChangedSince && revision_ != *unlessChangedSince) {
        return std::nullopt;
    }
    id_ = id;
    record_ = std::move(record);
    return revision_;
}

void Person::assignRecordID(RecordID id) {
    std::lock_guard lock(mutex_);
    id_ = id;
}

uint64_t Person::revision() const {
    std::lock_guard lock(mutex_);
    return revision_;
}

} // namespace device
