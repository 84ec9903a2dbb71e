// Organisation records and address lists through save and restart, refusals of malformed addresses, and
// the opening of a store written before records had a kind: migrated in place, its people kept.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "platform/device/address_book.h"
#include "platform/device/address_book_store.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/testing/log_capture.h"

namespace device {
namespace {

class AddressBookKindsTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove(AddressBookStore::path()); }
};

fnd::Value address(const char* street, const char* city) {
    return fnd::Value(fnd::Dictionary::make({{std::string(kAddressStreetKey), fnd::Value(street)},
                                             {std::string(kAddressCityKey), fnd::Value(city)},
                                             {std::string(kAddressCountryCodeKey), fnd::Value("de")}}));
}

TEST_F(AddressBookKindsTest, OrganisationsAndAddressesSurviveARestart) {
    RecordID id = kRecordInvalidID;
    {
        auto book = AddressBook::create();
        ASSERT_NE(book, nullptr);
        auto company = Person::create();
        company->setKind(PersonKind::Organization);
        company->setValue(Property::Organization, fnd::Value("Acme & Söhne <GmbH>"));
        auto addresses = MultiValue::create(PropertyType::MultiDictionary);
        fnd::Value work = address("Hauptstraße 1", "Berlin");
        addresses->addValueAndLabel(work, std::string(kLabelWork));
        addresses->addValueAndLabel(address("Nebenweg 2", "Köln"), std::string(kLabelHome));
        // Edits to the dictionary after adding it do not reach the list.
        work.asDictionary()->setObject(fnd::Value("changed"), std::string(kAddressCityKey));
        // Wrong kinds are refused.
        fnd::testing::LogCapture log;
        EXPECT_EQ(addresses->addValueAndLabel(fnd::Value("a string"), "x"), kMultiValueInvalidIdentifier);
        EXPECT_EQ(
            addresses->addValueAndLabel(
                fnd::Value(fnd::Dictionary::make({{std::string(kAddressZIPKey), fnd::Value(int64_t{12345})}})), "x"),
            kMultiValueInvalidIdentifier);
        EXPECT_FALSE(company->setValue(Property::Phone, fnd::Value(addresses)));
        EXPECT_TRUE(company->setValue(Property::Address, fnd::Value(addresses)));
        book->addRecord(company);
        ASSERT_TRUE(book->save());
        id = company->recordID();
    }
    auto book = AddressBook::create();
    auto company = book->personWithRecordID(id);
    ASSERT_NE(company, nullptr);
    EXPECT_EQ(company->kind(), PersonKind::Organization);
    EXPECT_EQ(company->copyValue(Property::Organization).description(), "Acme & Söhne <GmbH>");
    auto addresses = company->copyValue(Property::Address).asObject<MultiValue>();
    ASSERT_NE(addresses, nullptr);
    EXPECT_EQ(addresses->kind(), PropertyType::MultiDictionary);
    ASSERT_EQ(addresses->count(), 2);
    EXPECT_EQ(addresses->labelAtIndex(0), kLabelWork);
    auto first = addresses->valueAtIndex(0).asDictionary();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->find(std::string(kAddressCityKey))->description(), "Berlin");
    EXPECT_EQ(first->find(std::string(kAddressStreetKey))->description(), "Hauptstraße 1");
    EXPECT_EQ(addresses->valueAtIndex(1).asDictionary()->find(std::string(kAddressCityKey))->description(), "Köln");
    // Reading gives a copy: editing it changes nothing stored.
    first->setObject(fnd::Value("elsewhere"), std::string(kAddressCityKey));
    EXPECT_EQ(addresses->valueAtIndex(0).asDictionary()->find(std::string(kAddressCityKey))->description(), "Berlin");
}

TEST_F(AddressBookKindsTest, AStoreWithoutKindsIsMigratedNotRecreated) {
    // A store as the earlier schema wrote it, with one person and a phone list.
    std::filesystem::create_directories(std::filesystem::path(AddressBookStore::path()).parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(AddressBookStore::path().c_str(), &db), SQLITE_OK);
    const char* old = R"sql(
        CREATE TABLE people(id INTEGER PRIMARY KEY AUTOINCREMENT,
            first_name TEXT, last_name TEXT, organization TEXT, job_title TEXT, note TEXT, birthday REAL, image BLOB);
        CREATE TABLE multi_values(person_id INTEGER NOT NULL, property INTEGER NOT NULL,
            next_identifier INTEGER NOT NULL, PRIMARY KEY(person_id, property));
        CREATE TABLE multi_value_entries(person_id INTEGER NOT NULL, property INTEGER NOT NULL,
            position INTEGER NOT NULL, identifier INTEGER NOT NULL, label TEXT NOT NULL, value TEXT NOT NULL,
            PRIMARY KEY(person_id, property, position));
        INSERT INTO people(id, first_name, organization) VALUES(7, 'Ada', 'Engines');
        INSERT INTO multi_values VALUES(7, 6, 1);
        INSERT INTO multi_value_entries VALUES(7, 6, 0, 0, 'mobile', '+49 30 1234');
        INSERT INTO multi_value_entries VALUES(7, 9, 0, 0, 'home', 'not a property list');)sql";
    ASSERT_EQ(sqlite3_exec(db, old, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    {
        fnd::testing::LogCapture log;
        auto book = AddressBook::create();
        ASSERT_NE(book, nullptr);
        EXPECT_TRUE(log.contains("adding the kind column"));
        EXPECT_TRUE(log.contains("unreadable address")); // skipped, never fatal
        ASSERT_EQ(book->personCount(), 1);
        auto ada = book->personWithRecordID(7);
        ASSERT_NE(ada, nullptr);
        EXPECT_EQ(ada->kind(), PersonKind::Person);
        EXPECT_EQ(ada->copyValue(Property::FirstName).description(), "Ada");
        auto phones = ada->copyValue(Property::Phone).asObject<MultiValue>();
        ASSERT_NE(phones, nullptr);
        EXPECT_EQ(phones->valueAtIndex(0).description(), "+49 30 1234");
        // The migrated store takes new kinds, and ids go on after the old ones.
        ada->setKind(PersonKind::Organization);
        auto next = Person::create();
        book->addRecord(next);
        ASSERT_TRUE(book->save());
        EXPECT_EQ(next->recordID(), 8);
    }
    auto book = AddressBook::create();
    EXPECT_EQ(book->personWithRecordID(7)->kind(), PersonKind::Organization);
    EXPECT_EQ(book->personCount(), 2);
}

} // namespace
} // namespace device
