// User defaults as a restarted app sees them: values survive on disk, lenient bool and integer
// readers, the registration domain, refused values, a corrupt file kept aside, use from several
// threads, and saving when the process exits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/object.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/user_defaults.h"

namespace fnd {
namespace {

std::string preferencesFile() {
    return AppFolders::preferences() + "/" + Bundle::main().bundleIdentifier() + ".plist";
}

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Every test starts and ends with no file and empty defaults, so nothing is left to save at exit.
class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
        FileManager::removeItemAtPath(preferencesFile());
        FileManager::removeItemAtPath(preferencesFile() + ".corrupt");
        FileManager::removeItemAtPath(preferencesFile() + ".corrupt-2");
        UserDefaults::resetStandard();
    }
};

TEST_F(UserDefaultsTest, ValuesSurviveARestart) {
    auto& defaults = UserDefaults::standard();
    auto list = Value::array({1, "two", Value::dictionary({{"when", Date::fromUnix(1000)}})});
    defaults.setObject("Ann", "name");
    defaults.setBool(true, "sound");
    defaults.setInteger(-42, "score");
    defaults.setDouble(2.5, "volume");
    defaults.setObject(list, "recent");
    defaults.setObject(Bytes{1, 2, 3}, "token");
    defaults.setObject("gone soon", "temporary");
    defaults.removeObjectForKey("temporary");
    defaults.setObject("also gone", "nulled");
    defaults.setObject(Value(), "nulled");

    // Stored values are copies: editing the array afterwards changes nothing stored.
    list.asArray()->addObject("late");
    defaults.objectForKey("recent").asArray()->addObject("later");
    EXPECT_EQ(defaults.objectForKey("recent").asArray()->count(), 3u);

    EXPECT_TRUE(defaults.synchronize());
    ASSERT_TRUE(FileManager::isRegularFile(preferencesFile()));
    auto onDisk = PropertyList::read(*readFile(preferencesFile()));
    ASSERT_TRUE(onDisk && onDisk->isDictionary());
    EXPECT_EQ(*onDisk->asDictionary()->objectForKey("name").asString(), "Ann");

    // Changes not synchronized are lost with the process; synchronized ones come back.
    defaults.setObject("unsaved", "draft");
    UserDefaults::resetStandard();
    EXPECT_TRUE(defaults.objectForKey("draft").isNull());
    EXPECT_EQ(defaults.stringForKey("name"), "Ann");
    EXPECT_EQ(defaults.boolForKey("sound"), true);
    EXPECT_EQ(defaults.integerForKey("score"), -42);
    EXPECT_EQ(defaults.doubleForKey("volume"), 2.5);
    EXPECT_EQ(defaults.objectForKey("recent"),
              Value::array({1, "two", Value::dictionary({{"when", Date::fromUnix(1000)}})}));
    EXPECT_EQ(*defaults.objectForKey("token").asData(), (Bytes{1, 2, 3}));
    EXPECT_TRUE(defaults.objectForKey("temporary").isNull());
    EXPECT_TRUE(defaults.objectForKey("nulled").isNull());
    EXPECT_FALSE(defaults.stringForKey("missing"));
    EXPECT_EQ(defaults.integerForKey("missing"), 0);
    EXPECT_FALSE(defaults.boolForKey("missing"));
}

TEST_F(UserDefaultsTest, ReadersAcceptNumbersAndYesNoStrings) {
    auto& defaults = UserDefaults::standard();
    struct Case {
        Value stored;
        bool asBool;
        int64_t asInteger;
        double asDouble;
        std::optional<std::string> asString;
    };
    const Case cases[] = {
        {Value("YES"), true, 1, 0, "YES"},
        {Value("yes"), true, 1, 0, "yes"},
        {Value("NO"), false, 0, 0, "NO"},
        {Value("1"), true, 1, 1, "1"},
        {Value("0"), false, 0, 0, "0"},
        {Value("true"), true, 0, 0, "true"},
        {Value(" 12 apples"), true, 12, 12, " 12 apples"},
        {Value("2.75"), true, 2, 2.75, "2.75"},
        {Value(true), true, 1, 1, std::nullopt},
        {Value(false), false, 0, 0, std::nullopt},
        {Value(7), true, 7, 7, "7"},
        {Value(0), false, 0, 0, "0"},
        {Value(-3.9), true, -3, -3.9, "-3.9"},
        {Value::array({1}), false, 0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.description());
        ASSERT_TRUE(defaults.setObject(c.stored, "key"));
        EXPECT_EQ(defaults.boolForKey("key"), c.asBool);
        EXPECT_EQ(defaults.integerForKey("key"), c.asInteger);
        EXPECT_EQ(defaults.doubleForKey("key"), c.asDouble);
        EXPECT_EQ(defaults.stringForKey("key"), c.asString);
    }
}

TEST_F(UserDefaultsTest, RegistrationDomainFillsAbsentKeysAndIsNeverSaved) {
    auto& defaults = UserDefaults::standard();
    defaults.registerDefaults(Value::dictionary({{"AppleLanguages", Value::array({"en", "fr"})},
                                                 {"volume", 0.5},
                                                 {"sound", "YES"},
                                                 {7, "integer keys are skipped"}}));
    EXPECT_EQ(defaults.objectForKey("AppleLanguages"), Value::array({"en", "fr"}));
    EXPECT_TRUE(defaults.boolForKey("sound"));
    EXPECT_EQ(defaults.doubleForKey("volume"), 0.5);

    // A stored value wins over the registered one; removing it brings the registered one back.
    defaults.setDouble(0.9, "volume");
    EXPECT_EQ(defaults.doubleForKey("volume"), 0.9);
    defaults.removeObjectForKey("volume");
    EXPECT_EQ(defaults.doubleForKey("volume"), 0.5);

    defaults.setBool(false, "sound");
    EXPECT_TRUE(defaults.synchronize());
    auto onDisk = PropertyList::read(*readFile(preferencesFile()));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(*onDisk, Value::dictionary({{"sound", false}}));
    UserDefaults::resetStandard();
    EXPECT_TRUE(defaults.objectForKey("AppleLanguages").isNull());
    EXPECT_FALSE(defaults.boolForKey("sound"));
}

TEST_F(UserDefaultsTest, RefusesValuesTheFileCannotHold) {
    struct Card : Object {};
    auto& defaults = UserDefaults::standard();
    defaults.setObject("kept", "fine");
    testing::LogCapture log;
    EXPECT_FALSE(defaults.setObject(std::make_shared<Card>(), "card"));
    EXPECT_FALSE(defaults.setObject(Value::dictionary({{1, "x"}}), "intKeys"));
    EXPECT_FALSE(defaults.setObject("bell\x07", "control"));
    EXPECT_FALSE(defaults.setObject("ok", "key\x01"));
    EXPECT_EQ(log.count("UserDefaults: refused"), 4u);
    EXPECT_TRUE(defaults.objectForKey("card").isNull());

    // The refused values never block saving the rest.
    EXPECT_TRUE(defaults.synchronize());
    UserDefaults::resetStandard();
    EXPECT_EQ(defaults.stringForKey("fine"), "kept");
}

TEST_F(UserDefaultsTest, AnOldTextFileWithControlCharactersLoadsAndSavesAgain) {
    // Characters no XML document holds (here U+0001 and U+0000) are dropped as the file is read, with one
    // line, so every later save still succeeds and the rest of the settings survive.
    ASSERT_TRUE(FileManager::createDirectoryAtPath(AppFolders::preferences()));
    static constexpr char kText[] = "\"name\" = \"Ann\x01\";\n\"k\0ey\" = \"v\";\n\"\0\" = \"\";\n";
    ASSERT_TRUE(writeFile(preferencesFile(), bytesOf(std::string_view(kText, sizeof kText - 1))));
    testing::LogCapture log;
    UserDefaults::resetStandard();
    auto& defaults = UserDefaults::standard();
    EXPECT_EQ(log.count("dropped 3 characters XML cannot carry"), 1u);
    EXPECT_EQ(defaults.stringForKey("name"), "Ann");
    EXPECT_EQ(defaults.stringForKey("key"), "v");
    defaults.setInteger(7, "later");
    EXPECT_TRUE(defaults.synchronize());
    UserDefaults::resetStandard();
    EXPECT_EQ(defaults.stringForKey("name"), "Ann");
    EXPECT_EQ(defaults.integerForKey("later"), 7);
}

TEST_F(UserDefaultsTest, CorruptFileIsKeptAsideAndDefaultsStartEmpty) {
    const std::string garbage = "<plist><dict><key>half";
    ASSERT_TRUE(FileManager::createDirectoryAtPath(AppFolders::preferences()));
    ASSERT_TRUE(writeFile(preferencesFile(), bytesOf(garbage)));
    testing::LogCapture log;
    UserDefaults::resetStandard();
    auto& defaults = UserDefaults::standard();
    EXPECT_TRUE(log.contains("kept as " + preferencesFile() + ".corrupt"));
    EXPECT_TRUE(defaults.objectForKey("half").isNull());
    EXPECT_EQ(readFile(preferencesFile() + ".corrupt"), bytesOf(garbage));

    defaults.setInteger(5, "fresh");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(readFile(preferencesFile() + ".corrupt"), bytesOf(garbage));
    UserDefaults::resetStandard();
    EXPECT_EQ(defaults.integerForKey("fresh"), 5);

    // A well-formed list whose top is not a dictionary is set aside too.
    ASSERT_TRUE(writeFile(preferencesFile(), bytesOf(*PropertyList::write(Value::array({1})))));
    UserDefaults::resetStandard();
    EXPECT_EQ(defaults.integerForKey("fresh"), 0);
    EXPECT_EQ(readFile(preferencesFile() + ".corrupt"), bytesOf(garbage)); // the first copy stays
    EXPECT_TRUE(FileManager::isRegularFile(preferencesFile() + ".corrupt-2"));

    // A file that cannot be read at all (here a folder in its place) is neither moved nor saved over.
    FileManager::removeItemAtPath(preferencesFile());
    ASSERT_TRUE(FileManager::createDirectoryAtPath(preferencesFile()));
    log.clear();
    UserDefaults::resetStandard();
    EXPECT_TRUE(log.contains("cannot be read"));
    defaults.setInteger(6, "fresh");
    EXPECT_FALSE(defaults.synchronize());
    bool isDir = false;
    EXPECT_TRUE(FileManager::fileExistsAtPath(preferencesFile(), &isDir) && isDir);
    EXPECT_FALSE(FileManager::fileExistsAtPath(preferencesFile() + ".corrupt-3"));
}

TEST_F(UserDefaultsTest, SafeFromSeveralThreads) {
    auto& defaults = UserDefaults::standard();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &defaults] {
            for (int i = 0; i < 50; ++i) {
                std::string key = "t" + std::to_string(t) + "-" + std::to_string(i);
                defaults.setInteger(i, key);
                EXPECT_EQ(defaults.integerForKey(key), i);
                if (i % 10 == 0) {
                    EXPECT_TRUE(defaults.synchronize());
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_TRUE(defaults.synchronize());
    UserDefaults::resetStandard();
    EXPECT_EQ(defaults.integerForKey("t3-49"), 49);
    EXPECT_EQ(defaults.integerForKey("t0-7"), 7);
}

TEST_F(UserDefaultsTest, UnsavedChangesAreWrittenWhenTheProcessExits) {
    // The child starts the binary afresh: a plain fork would also copy the threads earlier tests left
    // (the HTTP transport's), whose memory the child's leak check at exit would then report. The shared
    // test main gives the child this test's application root.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            UserDefaults::standard().setObject("written at exit", "farewell");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    UserDefaults::resetStandard();
    EXPECT_EQ(UserDefaults::standard().stringForKey("farewell"), "written at exit");
}

} // namespace
} // namespace fnd
