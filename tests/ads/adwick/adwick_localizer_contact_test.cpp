// The localizer's strings tables against the ad host (a 404, a table arriving mid-run, a portal page)
// and the contact entries in the address book (replacement, the picture's second save, the user's own).
#include <gtest/gtest.h>

#include "ads/adwick/adwick_contact.h"
#include "ads/adwick/adwick_localizer.h"
#include "platform/device/address_book.h"
#include "platform/device/person.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/user_defaults.h"
#include "tests/ads/adwick/adwick_fixture.h"

namespace zelvan::adwick {
namespace {

void preferLanguage(const std::string& code) {
    fnd::UserDefaults::standard().setObject(fnd::Value::array({fnd::Value(code)}),
                                            fnd::UserDefaults::kPreferredLanguagesKey);
}

void runDownload(AdwickLocalizer& localizer) {
    localizer.downloadResourcesIfNecessary();
    fnd::RunLoop::main().pumpUntil([&] { return !localizer.downloading(); }, 20.0);
}

size_t requestsFor(testing::AdHost& host, const std::string& fragment) {
    size_t n = 0;
    for (const auto& request : host.server().requests()) {
        n += request.path.find(fragment) != std::string::npos ? 1 : 0;
    }
    return n;
}

TEST(AdwickLocalizerTest, MissingLanguageIsNeverAskedAgain) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    preferLanguage("de");
    auto localizer = std::make_shared<AdwickLocalizer>(host.url("/adwick"));
    runDownload(*localizer);
    auto file = fnd::readFile(localizer->stringsPathForLanguage("de"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->empty());
    auto nextRun = std::make_shared<AdwickLocalizer>(host.url("/adwick"));
    runDownload(*nextRun);
    EXPECT_EQ(requestsFor(host, "de.strings"), 1U);
    EXPECT_EQ(nextRun->localizedStringForKey("Cancel"), "Cancel");

    // A language that could name another path is not used.
    preferLanguage("../../x");
    EXPECT_EQ(AdwickLocalizer(host.url("/adwick")).preferredLanguage(), "en");
}

TEST(AdwickLocalizerTest, TableArrivingMidRunServesTheNextRun) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    host.server().addNetwork("/tr", [](const devserver::DevAdsRequest&, devserver::DevAdsResponse& response) {
        response.status = 200;
        response.body = "\"Whoops\" = \"Oops\";\n\"Ok\" = \"\";\n";
        return true;
    });
    preferLanguage("en");
    auto localizer = std::make_shared<AdwickLocalizer>(host.url("/tr"));
    EXPECT_EQ(localizer->localizedStringForKey("Whoops"), "Whoops"); // the table is fixed now: empty
    runDownload(*localizer);
    ASSERT_TRUE(fnd::FileManager::fileExistsAtPath(localizer->stringsPathForLanguage("en")));
    EXPECT_EQ(localizer->localizedStringForKey("Whoops"), "Whoops");

    auto nextRun = std::make_shared<AdwickLocalizer>(host.url("/tr"));
    EXPECT_EQ(nextRun->localizedStringForKey("Whoops"), "Oops");
    EXPECT_EQ(nextRun->localizedStringForKey("Ok"), "Ok"); // an empty translation shows the key
}

TEST(AdwickLocalizerTest, APortalPageIsNotKept) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    host.server().addNetwork("/portal", [](const devserver::DevAdsRequest&, devserver::DevAdsResponse& response) {
        response.status = 200;
        response.body = "<html><body>Sign in to the hotspot</body></html>";
        return true;
    });
    preferLanguage("en");
    auto localizer = std::make_shared<AdwickLocalizer>(host.url("/portal"));
    runDownload(*localizer);
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(localizer->stringsPathForLanguage("en")));
    auto later = std::make_shared<AdwickLocalizer>(host.url("/adwick"));
    runDownload(*later);
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(later->stringsPathForLanguage("en")));
}

std::vector<std::shared_ptr<device::Person>> organisations(const std::string& name) {
    std::vector<std::shared_ptr<device::Person>> found;
    for (const auto& person : device::AddressBook::create()->copyArrayOfAllPeople()) {
        fnd::Value org = person->copyValue(device::Property::Organization);
        if (person->kind() == device::PersonKind::Organization && org.isString() && *org.asString() == name) {
            found.push_back(person);
        }
    }
    return found;
}

TEST(AdwickContactTest, ReplacesOnlyItsOwnEntryAndAddsThePicture) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    // The user's own entry of the same name.
    auto book = device::AddressBook::create();
    auto mine = device::Person::create();
    mine->setKind(device::PersonKind::Organization);
    mine->setValue(device::Property::Organization, fnd::Value("Pizza Co"));
    mine->setValue(device::Property::Note, fnd::Value("my note"));
    ASSERT_TRUE(book->addRecord(mine));
    ASSERT_TRUE(book->save().ok());

    auto reply = fnd::Value::dictionary({{"organization", "Pizza Co"},
                                         {"phonenums", fnd::Value::dictionary({{"main", "555-0100"}})},
                                         {"note", "open late"}});
    AdwickContact::initWithDictionary(reply)->addToAddressBook();
    AdwickContact::initWithDictionary(reply)->addToAddressBook();
    EXPECT_EQ(organisations("Pizza Co").size(), 2U); // the user's and one of ours

    reply.asDictionary()->setObject(fnd::Value(host.url("/adwick/static/iphone/img/logo.png")), "image");
    auto withPicture = AdwickContact::initWithDictionary(reply);
    withPicture->addToAddressBook();
    withPicture.reset(); // the contact holds itself while the picture loads
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [] {
            for (const auto& p : organisations("Pizza Co")) {
                if (p->hasImageData()) {
                    return true;
                }
            }
            return false;
        },
        20.0));
    auto entries = organisations("Pizza Co");
    ASSERT_EQ(entries.size(), 2U);
    int pictured = 0;
    for (const auto& p : entries) {
        pictured += p->hasImageData() ? 1 : 0;
    }
    EXPECT_EQ(pictured, 1);
    EXPECT_EQ(requestsFor(host, "logo.png"), 1U);
    auto readBack = AdwickContact::initWithAddressBookEntryForOrganization("Pizza Co");
    ASSERT_TRUE(readBack);
    EXPECT_EQ(readBack->note(), "my note"); // the first entry of the name, in record order

    EXPECT_TRUE(AdwickContact::initWithDictionary(reply)->removeFromAddressBook());
    entries = organisations("Pizza Co");
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0]->copyValue(device::Property::Note), fnd::Value("my note"));
}

} // namespace
} // namespace zelvan::adwick
