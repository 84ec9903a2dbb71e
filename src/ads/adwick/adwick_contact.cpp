// Organisation entries of the address book made from click replies.
#include "ads/adwick/adwick_contact.h"

#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"
#include "platform/device/address_book.h"
#include "platform/device/multi_value.h"
#include "platform/device/person.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/user_defaults.h"

namespace zelvan::adwick {

namespace {

fnd::Value tableOrNull(const fnd::Value& v) {
    return v.isDictionary() ? v : fnd::Value();
}

std::string textOrEmpty(const fnd::Value& v) {
    return v.isString() ? *v.asString() : std::string();
}

std::shared_ptr<fnd::Array> rememberedIds() {
    fnd::Value ids = fnd::UserDefaults::standard().objectForKey(AdwickContact::kRecordIdsKey);
    auto copy = std::make_shared<fnd::Array>();
    if (auto list = ids.asArray()) {
        for (const fnd::Value& id : *list) {
            if (id.isInt()) {
                copy->addObject(id);
            }
        }
    }
    return copy;
}

void storeIds(const std::shared_ptr<fnd::Array>& ids) {
    fnd::UserDefaults::standard().setObject(fnd::Value(ids), AdwickContact::kRecordIdsKey);
}

// A multi-value of label -> value entries from a table, or null when the table has none.
std::shared_ptr<device::MultiValue> multiValueFrom(const fnd::Value& table, device::PropertyType kind) {
    auto dict = table.asDictionary();
    if (!dict || dict->empty()) {
        return nullptr;
    }
    auto multi = device::MultiValue::create(kind);
    for (const auto& [label, value] : *dict) {
        multi->addValueAndLabel(value, label.text());
    }
    return multi;
}

fnd::Value tableFrom(const fnd::Value& property) {
    auto multi = property.asObject<device::MultiValue>();
    if (!multi || multi->count() == 0) {
        return fnd::Value();
    }
    auto dict = std::make_shared<fnd::Dictionary>();
    for (int i = 0; i < multi->count(); ++i) {
        dict->setObject(multi->valueAtIndex(i), fnd::Key(multi->labelAtIndex(i)));
    }
    return fnd::Value(dict);
}

bool isOrganizationNamed(const device::Person& person, std::string_view name) {
    if (person.kind() != device::PersonKind::Organization) {
        return false;
    }
    const fnd::Value org = person.copyValue(device::Property::Organization);
    return org.isString() && *org.asString() == name;
}

} // namespace

std::shared_ptr<AdwickContact> AdwickContact::initWithDictionary(const fnd::Value& dictionary,
                                                                 AdwickDownloadSettings downloads) {
    auto dict = dictionary.asDictionary();
    if (!dict) {
        return nullptr;
    }
    std::shared_ptr<AdwickContact> contact(new AdwickContact());
    contact->organization_ = textOrEmpty(dict->objectForKey("organization"));
    contact->phoneNumbers_ = tableOrNull(dict->objectForKey("phonenums"));
    contact->emailAddresses_ = tableOrNull(dict->objectForKey("emails"));
    contact->addresses_ = tableOrNull(dict->objectForKey("addresses"));
    contact->links_ = tableOrNull(dict->objectForKey("links"));
    contact->note_ = textOrEmpty(dict->objectForKey("note"));
    contact->imageLocation_ = textOrEmpty(dict->objectForKey("image"));
    contact->downloads_ = std::move(downloads);
    return contact;
}

std::shared_ptr<AdwickContact> AdwickContact::initWithAddressBookEntryForOrganization(std::string_view name) {
    auto book = device::AddressBook::create();
    if (!book) {
        return nullptr;
    }
    for (const auto& person : book->copyArrayOfAllPeople()) {
        if (!isOrganizationNamed(*person, name)) {
            continue;
        }
        std::shared_ptr<AdwickContact> contact(new AdwickContact());
        contact->organization_ = std::string(name);
        contact->phoneNumbers_ = tableFrom(person->copyValue(device::Property::Phone));
        contact->emailAddresses_ = tableFrom(person->copyValue(device::Property::Email));
        contact->addresses_ = tableFrom(person->copyValue(device::Property::Address));
        contact->links_ = tableFrom(person->copyValue(device::Property::URL));
        contact->note_ = textOrEmpty(person->copyValue(device::Property::Note));
        return contact;
    }
    return nullptr;
}

void AdwickContact::addToAddressBook() {
    if (organization_.empty()) {
        return;
    }
    saveToAddressBook();
    if (!imageLocation_.empty()) {
        downloadContactImageAndAddToAddressBook();
    }
}

bool AdwickContact::saveToAddressBook() {
    if (organization_.empty()) {
        return false;
    }
    auto book = device::AddressBook::create();
    if (!book) {
        return false;
    }
    deleteContact(organization_, *book);
    auto person = device::Person::create();
    person->setKind(device::PersonKind::Organization);
    person->setValue(device::Property::Organization, fnd::Value(organization_));
    if (auto phones = multiValueFrom(phoneNumbers_, device::PropertyType::MultiString)) {
        person->setValue(device::Property::Phone, fnd::Value(phones));
    }
    if (auto emails = multiValueFrom(emailAddresses_, device::PropertyType::MultiString)) {
        person->setValue(device::Property::Email, fnd::Value(emails));
    }
    if (auto urls = multiValueFrom(links_, device::PropertyType::MultiString)) {
        person->setValue(device::Property::URL, fnd::Value(urls));
    }
    if (auto places = multiValueFrom(addresses_, device::PropertyType::MultiDictionary)) {
        person->setValue(device::Property::Address, fnd::Value(places));
    }
    if (!note_.empty()) {
        person->setValue(device::Property::Note, fnd::Value(note_));
    }
    if (image_) {
        person->setImageData(*image_);
    }
    if (!book->addRecord(person)) {
        return false;
    }
    if (auto saved = book->save(); !saved.ok()) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: could not add contact %s: %@", fnd::logPreview(organization_),
                saved.error().localizedDescription());
        return false;
    }
    auto ids = rememberedIds();
    ids->addObject(fnd::Value(person->recordID()));
    storeIds(ids);
    ZLOG_TO(kAdwickLog, Info, "Added contact %@ to the address book.", fnd::logPreview(organization_));
    return true;
}

bool AdwickContact::deleteContact(std::string_view name, device::AddressBook& book) {
    if (name.empty()) {
        return false;
    }
    auto ids = rememberedIds();
    bool removed = false;
    bool any = false;
    for (const auto& person : book.copyArrayOfAllPeople()) {
        fnd::Value id(person->recordID());
        if (!isOrganizationNamed(*person, name) || !ids->containsObject(id)) {
            continue; // the user's own entries are left alone
        }
        ZLOG_TO(kAdwickLog, Info,
                "Address %@ is already in the address book.  Erasing the old entry before adding the new one.",
                fnd::logPreview(name));
        removed = book.removeRecord(person);
        if (removed) {
            ids->removeObject(id);
            any = true;
        }
    }
    if (any) {
        if (auto saved = book.save(); !saved.ok()) {
            ZLOG_TO(kAdwickLog, Warn, "Error removing old contact %@ from the address book:  %@", fnd::logPreview(name),
                    saved.error().localizedDescription());
        } else {
            storeIds(ids);
        }
    }
    return removed;
}

bool AdwickContact::removeFromAddressBook() {
    auto book = device::AddressBook::create();
    return book ? deleteContact(organization_, *book) : false;
}

void AdwickContact::downloadContactImageAndAddToAddressBook() {
    if (imageLocation_.empty() || image_ || download_) {
        return;
    }
    selfHold_ = shared_from_this();
    download_ = AdwickURLDownload::create(downloads_);
    download_->setMaxBodyBytes(AdwickURLDownload::kImageBodyBytes);
    std::weak_ptr<AdwickContact> weak = weak_from_this();
    download_->setSuccessSelector([weak](AdwickURLDownload& d) {
        if (auto self = weak.lock()) {
            self->contactImageDownloadDidSucceed(d);
        }
    });
    download_->setFailureSelector([weak](AdwickURLDownload& d) {
        if (auto self = weak.lock()) {
            self->contactImageDownloadDidFail(d);
        }
    });
    download_->loadContentsOfURLAtString(imageLocation_);
}

void AdwickContact::contactImageDownloadDidSucceed(AdwickURLDownload& download) {
    image_ = download.data();
    auto keep = std::move(selfHold_);
    download_->cancel();
    download_.reset();
    addToAddressBook();
}

void AdwickContact::contactImageDownloadDidFail(AdwickURLDownload& /*download*/) {
    // The download has logged why; the contact is not added without its picture.
    auto keep = std::move(selfHold_);
    download_->cancel();
    download_.reset();
}

} // namespace zelvan::adwick
