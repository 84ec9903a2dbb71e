// The address book: every kind of value survives save, a second handle and a restart; record ids
// are sequential and never reused; revert drops unsaved work; handles on two threads save
// concurrently without losing anything.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <string>

#include "platform/device/address_book.h"
#include "platform/device/address_book_store.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/log_capture.h"

namespace device {
namespace {

class AddressBookTest : public ::testing::Test {
protected:
    // Every handle of the test has gone by now, so the store is closed and the file can go.
    void SetUp() override { std::filesystem::remove(AddressBookStore::path()); }

    static std::shared_ptr<MultiValue> list(std::initializer_list<std::pair<std::string, std::string>> entries) {
        auto mv = MultiValue::create(PropertyType::MultiString);
        for (const auto& [value, label] : entries) {
            mv->addValueAndLabel(fnd::Value(value), label);
        }
        return mv;
    }
    static std::shared_ptr<Person> named(const std::string& first) {
        auto p = Person::create();
        p->setValue(Property::FirstName, fnd::Value(first));
        return p;
    }
    static std::string firstName(const std::shared_ptr<Person>& p) {
        return p ? p->copyValue(Property::FirstName).stringValue() : "<none>";
    }
};

TEST_F(AddressBookTest, EveryValueRoundTripsThroughSaveAnotherHandleAndRestart) {
    auto phones = list({{"+1 555 0100", std::string(kLabelMobile)}, {"+1 555 0199", "Ferienhaus"}});
    phones->removeValueAndLabelAtIndex(0); // identifiers of the rest stay as they were
    phones->addValueAndLabel(fnd::Value("+1 555 0142"), std::string(kLabelWorkFax));
    const fnd::Bytes png = {0x89, 'P', 'N', 'G', 0, 1, 2, 3};
    const fnd::Date birthday = fnd::Date::fromUnix(315532800); // 1980-01-01

    PersonRecord expected;
    {
        auto book = AddressBook::create();
        ASSERT_TRUE(book);
        auto p = Person::create();
        EXPECT_EQ(p->recordID(), kRecordInvalidID);
        EXPECT_EQ(p->kind(), PersonKind::Person);
        p->setValue(Property::FirstName, fnd::Value("Zoë"));
        p->setValue(Property::LastName, fnd::Value("O'Neil"));
        p->setValue(Property::Organization, fnd::Value("Acme; \"Ltd\""));
        p->setValue(Property::JobTitle, fnd::Value(""));
        p->setValue(Property::Note, fnd::Value("line one\nline two"));
        p->setValue(Property::Birthday, fnd::Value(birthday));
        p->setValue(Property::Phone, fnd::Value(phones));
        p->setValue(Property::Email, fnd::Value(list({{"zoe@example.org", "home"}, {"z@work.example", "work"}})));
        p->setValue(Property::URL, fnd::Value(list({{"http://example.org/zoe", std::string(kLabelHomePage)}})));
        p->setImageData(png);
        // Wrong kinds are refused and leave the value alone.
        EXPECT_FALSE(p->setValue(Property::Birthday, fnd::Value("1980")));
        EXPECT_FALSE(p->setValue(Property::Phone, fnd::Value("+1 555")));
        EXPECT_FALSE(p->setValue(Property::FirstName, fnd::Value(3)));
        ASSERT_TRUE(book->addRecord(p));
        ASSERT_TRUE(book->save().ok());
        EXPECT_EQ(p->recordID(), 1);
        EXPECT_FALSE(book->hasUnsavedChanges());
        expected = p->record();

        auto other = AddressBook::create();
        ASSERT_EQ(other->personCount(), 1);
        auto copy = other->personWithRecordID(1);
        ASSERT_TRUE(copy);
        EXPECT_NE(copy, p); // each handle has its own objects
        EXPECT_EQ(copy->record(), expected);
    }
    auto reopened = AddressBook::create(); // the store was closed with the last handle
    auto p = reopened->personWithRecordID(1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->record(), expected);
    EXPECT_EQ(p->copyValue(Property::FirstName).stringValue(), "Zoë");
    EXPECT_EQ(p->copyValue(Property::JobTitle), fnd::Value(""));
    EXPECT_EQ(p->copyValue(Property::Birthday).asDate(), birthday);
    EXPECT_EQ(p->imageData(), png);
    auto readPhones = p->copyValue(Property::Phone).asObject<MultiValue>();
    ASSERT_TRUE(readPhones);
    ASSERT_EQ(readPhones->count(), 2);
    EXPECT_EQ(readPhones->labelAtIndex(0), "Ferienhaus");
    EXPECT_EQ(readPhones->identifierAtIndex(0), 1);
    EXPECT_EQ(readPhones->labelAtIndex(1), kLabelWorkFax);
    EXPECT_EQ(readPhones->identifierAtIndex(1), 2);
    // A list read back keeps handing out new identifiers, never the removed one.
    EXPECT_EQ(readPhones->addValueAndLabel(fnd::Value("1"), "x"), 3);

    // Removing values and the picture is saved too.
    p->removeValue(Property::Note);
    p->removeValue(Property::Birthday);
    p->removeValue(Property::Email);
    p->removeImageData();
    EXPECT_TRUE(reopened->hasUnsavedChanges());
    ASSERT_TRUE(reopened->save().ok());
    auto again = AddressBook::create()->personWithRecordID(1);
    EXPECT_TRUE(again->copyValue(Property::Note).isNull());
    EXPECT_TRUE(again->copyValue(Property::Birthday).isNull());
    EXPECT_TRUE(again->copyValue(Property::Email).isNull());
    EXPECT_FALSE(again->hasImageData());
    EXPECT_EQ(again->copyValue(Property::LastName).stringValue(), "O'Neil");
}

TEST_F(AddressBookTest, RecordIdsAreSequentialAndNeverReused) {
    {
        auto book = AddressBook::create();
        auto a = named("a"), b = named("b"), c = named("c");
        book->addRecord(a);
        book->addRecord(b);
        book->addRecord(c);
        EXPECT_EQ(a->recordID(), kRecordInvalidID);
        ASSERT_TRUE(book->save().ok());
        EXPECT_EQ(a->recordID(), 1);
        EXPECT_EQ(b->recordID(), 2);
        EXPECT_EQ(c->recordID(), 3);
        EXPECT_FALSE(book->addRecord(a));                  // already in the book
        EXPECT_FALSE(AddressBook::create()->addRecord(a)); // saved in a book already
        EXPECT_TRUE(book->removeRecord(c));
        ASSERT_TRUE(book->save().ok());
        EXPECT_EQ(book->personCount(), 2);
    }
    auto book = AddressBook::create();
    auto d = named("d");
    book->addRecord(d);
    ASSERT_TRUE(book->save().ok());
    EXPECT_EQ(d->recordID(), 4);
    EXPECT_EQ(book->personWithRecordID(3), nullptr);
    std::vector<std::string> names;
    for (const auto& p : book->copyArrayOfAllPeople()) {
        names.push_back(firstName(p) + std::to_string(p->recordID()));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a1", "b2", "d4"}));
}

TEST_F(AddressBookTest, RevertDropsUnsavedChangesAndShowsOtherSaves) {
    auto book = AddressBook::create();
    auto kept = named("kept");
    auto gone = named("gone");
    book->addRecord(kept);
    book->addRecord(gone);
    ASSERT_TRUE(book->save().ok());

    kept->setValue(Property::FirstName, fnd::Value("edited"));
    book->removeRecord(gone);
    auto extra = named("extra");
    book->addRecord(extra);
    EXPECT_TRUE(book->hasUnsavedChanges());
    EXPECT_EQ(book->personCount(), 2);

    auto other = AddressBook::create();
    other->addRecord(named("theirs"));
    ASSERT_TRUE(other->save().ok());

    book->revert();
    EXPECT_FALSE(book->hasUnsavedChanges());
    EXPECT_EQ(firstName(kept), "kept"); // the same object, back to its stored values
    EXPECT_EQ(book->personWithRecordID(1), kept);
    EXPECT_EQ(book->personWithRecordID(2), gone);
    EXPECT_EQ(firstName(book->personWithRecordID(3)), "theirs");
    EXPECT_EQ(book->personCount(), 3);
    EXPECT_EQ(extra->recordID(), kRecordInvalidID);

    // A save picks up the other handle's work as well as writing its own.
    other->personWithRecordID(3)->setValue(Property::Note, fnd::Value("from other"));
    ASSERT_TRUE(other->save().ok());
    kept->setValue(Property::LastName, fnd::Value("mine"));
    ASSERT_TRUE(book->save().ok());
    EXPECT_EQ(book->personWithRecordID(3)->copyValue(Property::Note).stringValue(), "from other");
    EXPECT_EQ(AddressBook::create()->personWithRecordID(1)->copyValue(Property::LastName).stringValue(), "mine");

    // A reload that read a person before another thread edited it leaves the edit in place.
    uint64_t readAt = kept->revision();
    PersonRecord stale = kept->record();
    kept->setValue(Property::Note, fnd::Value("edited meanwhile"));
    EXPECT_FALSE(kept->restore(1, stale, readAt));
    EXPECT_EQ(kept->copyValue(Property::Note).stringValue(), "edited meanwhile");
    EXPECT_EQ(kept->restore(1, stale, kept->revision()), kept->revision());
    EXPECT_TRUE(kept->copyValue(Property::Note).isNull());
}

TEST_F(AddressBookTest, HandlesOnTwoThreadsSaveConcurrently) {
    constexpr int kEach = 40;
    auto worker = [](const std::string& prefix) {
        auto book = AddressBook::create();
        if (!book) {
            return false;
        }
        for (int i = 0; i < kEach; ++i) {
            book->addRecord(named(prefix + std::to_string(i)));
            if (!book->save().ok()) {
                return false;
            }
            // Reads see at least this thread's own saves.
            if (book->personCount() < i + 1) {
                return false;
            }
            for (const auto& p : book->copyArrayOfAllPeople()) {
                (void)p->copyValue(Property::FirstName);
            }
        }
        return true;
    };
    auto shared = AddressBook::create(); // one handle shared by both threads, too
    auto sharedWorker = [shared] {
        for (int i = 0; i < kEach; ++i) {
            shared->addRecord(named("s" + std::to_string(i)));
            if (!shared->save().ok()) {
                return false;
            }
        }
        return true;
    };
    auto main = std::async(std::launch::async, worker, std::string("m"));
    auto sync = std::async(std::launch::async, worker, std::string("y"));
    auto s1 = std::async(std::launch::async, sharedWorker);
    auto s2 = std::async(std::launch::async, sharedWorker);
    for (auto* f : {&main, &sync, &s1, &s2}) {
        ASSERT_EQ(f->wait_for(std::chrono::seconds(60)), std::future_status::ready);
        EXPECT_TRUE(f->get());
    }
    auto book = AddressBook::create();
    ASSERT_EQ(book->personCount(), 4 * kEach);
    std::set<RecordID> ids;
    std::set<std::string> names;
    for (const auto& p : book->copyArrayOfAllPeople()) {
        ids.insert(p->recordID());
        names.insert(firstName(p));
    }
    EXPECT_EQ(ids.size(), 4u * kEach);
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), 4 * kEach);
    EXPECT_EQ(names.size(), 3u * kEach); // the shared workers both used s0..s39
}

TEST_F(AddressBookTest, DamagedFileGivesNoHandle) {
    std::filesystem::create_directories(std::filesystem::path(AddressBookStore::path()).parent_path());
    ASSERT_TRUE(fnd::writeFile(AddressBookStore::path(), fnd::Bytes(4096, 0x5a)));
    fnd::testing::LogCapture log;
    EXPECT_EQ(AddressBook::create(), nullptr);
    EXPECT_TRUE(log.contains("AddressBook: cannot"));

    // Unreadable list entries are an error too, not people who seem to have no phone numbers.
    std::filesystem::remove(AddressBookStore::path());
    {
        auto book = AddressBook::create();
        ASSERT_TRUE(book);
        auto p = named("listed");
        p->setValue(Property::Phone, fnd::Value(list({{"+1 555 0100", "home"}})));
        book->addRecord(p);
        ASSERT_TRUE(book->save().ok());
    }
    int64_t root = 0, pageSize = 0;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(AddressBookStore::path().c_str(), &db), SQLITE_OK);
        for (auto [sql, out] :
             {std::pair{"SELECT rootpage FROM sqlite_master WHERE name = 'multi_value_entries'", &root},
              std::pair{"PRAGMA page_size", &pageSize}}) {
            sqlite3_stmt* q = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &q, nullptr), SQLITE_OK);
            ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
            *out = sqlite3_column_int64(q, 0);
            sqlite3_finalize(q);
        }
        sqlite3_close(db);
    }
    ASSERT_GT(root, 1);
    fnd::Bytes file = fnd::readFile(AddressBookStore::path()).value();
    ASSERT_GE(file.size(), static_cast<size_t>(root * pageSize));
    std::fill_n(file.begin() + (root - 1) * pageSize, pageSize, 0xff);
    ASSERT_TRUE(fnd::writeFile(AddressBookStore::path(), file));
    EXPECT_EQ(AddressBook::create(), nullptr);
    EXPECT_TRUE(log.contains("cannot read list entries"));
}

} // namespace
} // namespace device
