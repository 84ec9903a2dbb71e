// The conversion of a contact card to and from an address-book person: names by the script of
// their first character, phones filed by label into keys 4 to 9, URLs and e-mails into their three
// keys each, and the birthday as milliseconds since 1970.
#include <array>
#include <cmath>
#include <string_view>

#include "messaging/model/v_card.h"
#include "platform/device/multi_value.h"
#include "platform/device/person.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/utf16.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

// Birthdays further than this from 1970 are not converted: within it a date and its millisecond
// count convert back and forth without drifting.
constexpr double kMaxBirthdayMs = 1e14;

bool startsAboveLatin1(const fnd::Value& text) {
    const std::string* s = text.asString();
    return s != nullptr && !s->empty() && fnd::utf16CharAt(*s, 0) > 0xFF;
}

// The key a phone's label files it under before any clash.
int phoneKeyForLabel(std::string_view label) {
    if (label == device::kLabelMobile) {
        return vCard::kKeyPhoneMobile;
    }
    if (label == device::kLabelMain) {
        return vCard::kKeyPhoneMain;
    }
    if (label == device::kLabelHomeFax) {
        return vCard::kKeyPhoneHomeFax;
    }
    if (label == device::kLabelWorkFax) {
        return vCard::kKeyPhoneWorkFax;
    }
    return vCard::kKeyPhoneOther;
}

// The string values of a multi-value property in order; entries without text are skipped.
std::vector<std::pair<std::string, std::string>> stringEntries(const device::Person& person,
                                                               device::Property property) {
    std::vector<std::pair<std::string, std::string>> entries;
    const auto list = person.copyValue(property).asObject<device::MultiValue>();
    if (!list) {
        return entries;
    }
    for (int i = 0; i < list->count(); ++i) {
        const fnd::Value item = list->valueAtIndex(i);
        const std::string* value = item.asString();
        if (value != nullptr && !value->empty()) {
            entries.emplace_back(*value, list->labelAtIndex(i));
        }
    }
    return entries;
}

void copyString(const device::Person& person, device::Property property, fnd::Dictionary& ui, int key) {
    const fnd::Value value = person.copyValue(property);
    if (value.isString()) {
        ui.setObject(value, key);
    }
}

void fillFirstFree(fnd::Dictionary& ui, int firstKey, const std::vector<std::pair<std::string, std::string>>& items) {
    int key = firstKey;
    for (const auto& item : items) {
        while (key < firstKey + 3 && ui.containsKey(key)) {
            ++key;
        }
        if (key >= firstKey + 3) {
            return;
        }
        ui.setObject(item.first, key);
    }
}

void writeString(device::Person& person, device::Property property, const fnd::Value* value) {
    if (value != nullptr && !value->isNull()) {
        person.setValue(property, value->stringValue());
    }
}

} // namespace

std::shared_ptr<vCard> vCard::initWithPerson(const device::Person& person) {
    auto ui = fnd::Dictionary::make();
    ui->setObject(0, kKeyType);

    const fnd::Value first = person.copyValue(device::Property::FirstName);
    const fnd::Value last = person.copyValue(device::Property::LastName);
    // A name part that starts above U+00FF keeps the record's order; otherwise the first name
    // becomes part B and the last name part A.
    if (startsAboveLatin1(first) || startsAboveLatin1(last)) {
        if (!first.isNull()) {
            ui->setObject(first, kKeyNameA);
        }
        if (!last.isNull()) {
            ui->setObject(last, kKeyNameB);
        }
    } else {
        if (!first.isNull()) {
            ui->setObject(first, kKeyNameB);
        }
        if (!last.isNull()) {
            ui->setObject(last, kKeyNameA);
        }
    }

    copyString(person, device::Property::Organization, *ui, kKeyOrganization);
    copyString(person, device::Property::JobTitle, *ui, kKeyJobTitle);
    copyString(person, device::Property::Note, *ui, kKeyNote);

    if (const auto birthday = person.copyValue(device::Property::Birthday).asDate()) {
        const double ms = birthday->since1970() * 1000.0;
        if (std::isfinite(ms) && std::fabs(ms) <= kMaxBirthdayMs) {
            // Rounded, not cut: a birthday written back as a date must read as the same count.
            ui->setObject(static_cast<int64_t>(std::llround(ms)), kKeyBirthday);
        } else {
            ZTRACE_WARN("vCard: birthday %f seconds after 2001 is out of range; not imported",
                        birthday->sinceReferenceDate());
        }
    }

    static const fnd::CharSet kPhonePunctuation = fnd::CharSet::custom(" ()-");
    static constexpr std::array<int, 6> kFallbackKeys{9, 8, 7, 6, 5, 4};
    for (const auto& [value, label] : stringEntries(person, device::Property::Phone)) {
        std::string number = fnd::removeCharacters(value, kPhonePunctuation);
        if (number.empty()) {
            continue; // nothing to dial; it would only push a real number out of the six keys
        }
        int key = phoneKeyForLabel(label);
        if (ui->containsKey(key)) {
            key = 0;
            for (int candidate : kFallbackKeys) {
                if (!ui->containsKey(candidate)) {
                    key = candidate;
                    break;
                }
            }
            if (key == 0) {
                continue;
            }
        }
        ui->setObject(std::move(number), key);
    }

    fillFirstFree(*ui, kKeyFirstUrl, stringEntries(person, device::Property::URL));
    fillFirstFree(*ui, kKeyFirstEmail, stringEntries(person, device::Property::Email));

    auto card = create();
    card->setUi(std::move(ui));
    return card;
}

void vCard::save(const std::shared_ptr<device::Person>& person) const {
    if (!person) {
        ZTRACE_ERROR("invalid argument for vCard::save!");
        return;
    }
    using device::Property;
    for (Property property : {Property::FirstName, Property::LastName, Property::Birthday, Property::Organization,
                              Property::JobTitle, Property::Note, Property::Phone, Property::URL, Property::Email}) {
        person->removeValue(property);
    }

    const fnd::Value* a = field(kKeyNameA);
    const fnd::Value* b = field(kKeyNameB);
    if (!(a != nullptr && startsAboveLatin1(*a)) && !(b != nullptr && startsAboveLatin1(*b))) {
        writeString(*person, Property::FirstName, b);
        writeString(*person, Property::LastName, a);
    } else {
        writeString(*person, Property::FirstName, a);
        writeString(*person, Property::LastName, b);
    }

    writeString(*person, Property::Organization, field(kKeyOrganization));
    writeString(*person, Property::JobTitle, field(kKeyJobTitle));
    writeString(*person, Property::Note, field(kKeyNote));

    if (const fnd::Value* birthday = field(kKeyBirthday); birthday != nullptr && birthday->isNumber()) {
        const int64_t ms = birthday->longLongValue();
        if (static_cast<double>(ms) >= -kMaxBirthdayMs && static_cast<double>(ms) <= kMaxBirthdayMs) {
            person->setValue(Property::Birthday, fnd::Date::fromUnixMs(ms));
        } else {
            ZTRACE_WARN("vCard: birthday %lld ms is out of range; not exported", static_cast<long long>(ms));
        }
    }

    // Keys 4 to 7 go out under the labels that read back into them. Keys 9 and 8 follow in the
    // order the import fills them: with key 7 taken their mobile label falls back to them again;
    // without it they carry the "other" label, which reads back into 9 and then 8.
    const bool hasMobile = field(kKeyPhoneMobile) != nullptr;
    const std::string extraLabel(hasMobile ? device::kLabelMobile : device::kLabelOther);
    const std::array<std::pair<int, std::string>, 6> phoneKeys{{{kKeyPhoneMain, std::string(device::kLabelMain)},
                                                                {kKeyPhoneHomeFax, std::string(device::kLabelHomeFax)},
                                                                {kKeyPhoneWorkFax, std::string(device::kLabelWorkFax)},
                                                                {kKeyPhoneMobile, std::string(device::kLabelMobile)},
                                                                {kKeyPhoneOther, extraLabel},
                                                                {kKeyPhoneExtra, extraLabel}}};
    auto phones = device::MultiValue::create();
    for (const auto& [key, label] : phoneKeys) {
        if (const fnd::Value* number = field(key)) {
            phones->addValueAndLabel(number->stringValue(), label);
        }
    }
    person->setValue(Property::Phone, phones);

    auto urls = device::MultiValue::create();
    for (int key = kKeyFirstUrl; key < kKeyFirstUrl + 3; ++key) {
        if (const fnd::Value* url = field(key)) {
            urls->addValueAndLabel(url->stringValue(), std::string(device::kLabelHomePage));
        }
    }
    person->setValue(Property::URL, urls);

    static constexpr std::array<std::string_view, 3> kEmailLabels{"home", "work", "other"};
    auto emails = device::MultiValue::create();
    for (int i = 0; i < 3; ++i) {
        if (const fnd::Value* email = field(kKeyFirstEmail + i)) {
            emails->addValueAndLabel(email->stringValue(), std::string(kEmailLabels[i]));
        }
    }
    person->setValue(Property::Email, emails);
}

} // namespace zelvan
