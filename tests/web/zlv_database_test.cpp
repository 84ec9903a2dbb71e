// The key/value table: life times under the manual clock, removal by null, values of every codec kind
// surviving a save and a reopen, and damaged files or rows read as missing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/testing/log_capture.h"
#include "web/zlv_database.h"

namespace zelvan {
namespace {

class ZLVDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
    }
    void TearDown() override { fnd::Clock::install(nullptr); }
    static std::string pathFor(const std::string& name) { return fnd::AppFolders::temporary() + "/" + name; }

    std::shared_ptr<fnd::ManualClock> clock_;
};

TEST_F(ZLVDatabaseTest, LifeTimesFollowTheClock) {
    auto db = ZLVDatabase::openInMemory();
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->kvSaveInt("forever", 1, -1));
    EXPECT_TRUE(db->kvSaveInt("ten", 2, 10));
    EXPECT_TRUE(db->kvSave("five", fnd::Value("text"), 5));
    EXPECT_TRUE(db->kvSave("plain", fnd::Value(4)));
    EXPECT_TRUE(db->kvSaveInt("zero", 9, 0)); // a life of nothing is gone at once

    EXPECT_EQ(db->kvInt("ten", -7), 2);
    EXPECT_EQ(db->kvGet("five"), fnd::Value("text"));
    EXPECT_EQ(db->kvInt("zero", -7), -7);
    EXPECT_EQ(db->kvInt("missing", -7), -7);

    clock_->advance(5);
    EXPECT_TRUE(db->kvGet("five").isNull());
    clock_->advance(4.5);
    EXPECT_EQ(db->kvInt("ten", -7), 2);
    clock_->advance(0.5);
    EXPECT_EQ(db->kvInt("ten", -7), -7);
    // Saving again under an expired key starts a new life.
    EXPECT_TRUE(db->kvSaveInt("ten", 3, 10));
    EXPECT_EQ(db->kvInt("ten", -7), 3);

    clock_->advance(10 * 365 * 86400.0);
    EXPECT_EQ(db->kvInt("forever", -7), 1);
    EXPECT_EQ(db->kvInt("plain", -7), 4);

    // A null value removes; an integer read of another kind gives the default.
    EXPECT_TRUE(db->kvSave("forever", fnd::Value()));
    EXPECT_EQ(db->kvInt("forever", -7), -7);
    EXPECT_TRUE(db->kvGet("forever").isNull());
    db->kvSave("word", fnd::Value("12"));
    EXPECT_EQ(db->kvInt("word", -7), -7);
}

TEST_F(ZLVDatabaseTest, EveryCodecKindSurvivesSaveAndReopen) {
    auto dict = fnd::Value::dictionary({{"name", "Anna"}, {7, fnd::Value::array({1, 2})}});
    const std::vector<std::pair<std::string, fnd::Value>> cases = {
        {"int8", fnd::Value(-5)},
        {"int16", fnd::Value(3000)},
        {"int32", fnd::Value(-70000)},
        {"int64", fnd::Value(int64_t{1} << 40)},
        {"string", fnd::Value("h\xC3\xA9llo")},
        {"empty string", fnd::Value("")},
        {"bytes", fnd::Value(fnd::Bytes{0, 1, 255})},
        {"int8 array", fnd::Value::array({1, -2, 3})},
        {"int16 array", fnd::Value::array({1000, -2000})},
        {"int32 array", fnd::Value::array({100000, 2})},
        {"int64 array", fnd::Value::array({int64_t{1} << 50, 1})},
        {"string array", fnd::Value::array({"a", "b"})},
        {"mixed array", fnd::Value::array({1, "two", fnd::Value(), fnd::Value::array()})},
        {"dictionary", dict},
    };
    const std::string path = pathFor("kinds.db");
    {
        auto db = ZLVDatabase::openFile(path);
        ASSERT_TRUE(db);
        EXPECT_EQ(db->path(), path);
        for (const auto& [key, value] : cases) {
            EXPECT_TRUE(db->kvSave(key, value)) << key;
            EXPECT_EQ(db->kvGet(key), value) << key;
        }
    }
    auto reopened = ZLVDatabase::openFile(path);
    ASSERT_TRUE(reopened);
    for (const auto& [key, value] : cases) {
        EXPECT_EQ(reopened->kvGet(key), value) << key;
    }
}

TEST_F(ZLVDatabaseTest, DamagedFilesAndRowsReadAsMissing) {
    fnd::testing::LogCapture log;
    const std::string junk = pathFor("junk.db");
    std::ofstream(junk) << std::string(4096, 'x');
    EXPECT_EQ(ZLVDatabase::openFile(junk), nullptr);
    EXPECT_EQ(ZLVDatabase::openFile(""), nullptr);

    // A row whose bytes are not a codec value (written behind the database's back).
    const std::string path = pathFor("rows.db");
    auto db = ZLVDatabase::openFile(path);
    ASSERT_TRUE(db);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "INSERT INTO kv VALUES ('bad', x'0BFF', NULL), ('none', NULL, NULL)", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    EXPECT_TRUE(db->kvGet("bad").isNull());
    EXPECT_EQ(db->kvInt("none", 5), 5);
    EXPECT_TRUE(log.contains("unreadable"));
}

} // namespace
} // namespace zelvan
