// Address-book sync over the real address book in the test's application root: the packets a run
// sends and in which order, the revision steps, what each mode leaves in the address book and in
// the lists, a damaged store and the empty book.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state_files.h"
#include "messaging/model/contact_manage.h"
#include "messaging/model/contact_sync.h"
#include "messaging/window/im_chat_window.h"
#include "platform/device/address_book.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using fnd::Value;

std::shared_ptr<device::Person> person(const std::string& last) {
    auto p = device::Person::create();
    p->setValue(device::Property::FirstName, Value("P"));
    p->setValue(device::Property::LastName, Value(last));
    return p;
}

void fillBook(const std::vector<std::string>& lastNames) {
    auto book = device::AddressBook::create();
    ASSERT_TRUE(book);
    for (const auto& p : book->copyArrayOfAllPeople()) {
        book->removeRecord(p);
    }
    for (const auto& name : lastNames) {
        book->addRecord(person(name));
    }
    ASSERT_TRUE(book->save().ok());
}

std::vector<std::string> bookNames() {
    std::vector<std::string> out;
    for (const auto& p : device::AddressBook::create()->copyArrayOfAllPeople()) {
        out.push_back(vCard::initWithPerson(*p)->getname());
    }
    return out;
}

// A plain contact (type 0) or a friend (type 1) equal to the person of that last name.
std::shared_ptr<vCard> cardFor(const std::string& last, int32_t contactId, int32_t type = 0) {
    auto card = vCard::initWithPerson(*person(last));
    card->setType(type);
    card->setContactid(contactId);
    return card;
}

class ContactSyncTest : public ::testing::Test {
protected:
    void SetUp() override { deletefile(ContactManage::kContactFile); }

    // Runs the mode as the controller does: snapshot, run, apply.
    std::vector<Value> sync(int mode) {
        std::vector<Value> sent;
        auto plan = ContactSync::run(mode, ContactSync::snapshot(model.all()), [&](float p) { progress.push_back(p); });
        model.applySync(plan, [&](const Value& packet) { sent.push_back(packet); });
        return sent;
    }

    ContactManage model{[] { return false; }, std::make_shared<IMChatList>()};
    std::vector<float> progress;
};

TEST_F(ContactSyncTest, ImportSendsNewPeopleInPacketsOfAHundredThenOrphans) {
    std::vector<std::string> names;
    for (int i = 0; i < 250; ++i) {
        names.push_back("N" + std::to_string(i));
    }
    fillBook(names);
    model.insertContact(cardFor("N0", 5));
    model.insertContact(cardFor("Gone", 6));
    model.insertContact(cardFor("Friend", 7, 1));
    model.setRev(10);

    std::vector<Value> sent = sync(ContactSync::kImport);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].asArray()->count(), 101u);
    EXPECT_EQ(sent[1].asArray()->count(), 101u);
    EXPECT_EQ(sent[2].asArray()->count(), 50u); // N0 matched its card
    EXPECT_EQ(sent[0].asArray()->objectAtIndex(0).intValue(), 17);
    EXPECT_EQ(sent[0].asArray()->objectAtIndex(1).asDictionary()->objectForKey(200).intValue(), 2147483647);
    EXPECT_EQ(sent[3], Value::array({19, 6}));
    EXPECT_EQ(model.rev(), 14);
    EXPECT_EQ(model.waitadd().size(), 249u);
    EXPECT_EQ(model.all().size(), 2u); // the orphan left, the friend stays
    EXPECT_FLOAT_EQ(progress.back(), 0.9f);

    // Nothing new and no orphans: nothing is sent and rev stays.
    model.waitadd().clear();
    fillBook({"N0"});
    EXPECT_TRUE(sync(ContactSync::kImport).empty());
    EXPECT_EQ(model.rev(), 14);
}

TEST_F(ContactSyncTest, IdenticalPeopleMatchOneCardAndTheEmptyBookOrphansEveryContact) {
    fillBook({"Twin", "Twin"});
    model.insertContact(cardFor("Twin", 3));
    std::vector<Value> sent = sync(ContactSync::kImport);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].asArray()->count(), 2u);

    fillBook({});
    model.waitadd().clear();
    model.insertContact(cardFor("Other", 4));
    sent = sync(ContactSync::kImport);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], Value::array({19, 3}));
    EXPECT_EQ(sent[1], Value::array({19, 4}));
    EXPECT_TRUE(model.all().empty());
}

TEST_F(ContactSyncTest, MergeAddsOrphansAndExportMakesTheBookHoldTheCards) {
    fillBook({"Ann", "Stranger"});
    model.insertContact(cardFor("Ann", 1));
    model.insertContact(cardFor("Orphan", 2));
    model.insertContact(cardFor("Friend", 3, 1));
    const int32_t rev = model.rev();

    // Merge: the stranger goes to the server, the orphan into the book; nothing removed.
    std::vector<Value> sent = sync(ContactSync::kMerge);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].asArray()->count(), 2u);
    EXPECT_EQ(model.rev(), rev + 1);
    EXPECT_EQ(model.all().size(), 3u);
    EXPECT_EQ(bookNames(), (std::vector<std::string>{"P Ann", "P Stranger", "P Orphan"}));

    // Export: the stranger leaves the book, nothing is sent.
    fillBook({"Ann", "Stranger"});
    EXPECT_TRUE(sync(ContactSync::kExport).empty());
    EXPECT_EQ(bookNames(), (std::vector<std::string>{"P Ann", "P Orphan"}));
    EXPECT_EQ(model.rev(), rev + 1);
}

TEST_F(ContactSyncTest, ADamagedStoreChangesNothing) {
    fillBook({"Ann"});
    model.insertContact(cardFor("Orphan", 2));
    const std::string path = fnd::AppFolders::library() + "/AddressBook/AddressBook.sqlitedb";
    ASSERT_TRUE(fnd::writeFile(path, fnd::Bytes(4096, 0x5a)));
    fnd::testing::LogCapture log;
    EXPECT_TRUE(sync(ContactSync::kImport).empty());
    EXPECT_EQ(model.rev(), 0);
    EXPECT_EQ(model.all().size(), 1u);
    EXPECT_TRUE(log.contains("cannot be opened"));
}

} // namespace
} // namespace zelvan
