// The interstitial store on disk: the version wipe with the script files, records replaced in place,
// values that carry quotes, 64-bit values, refused table names and the typed rows of raw SQL.
#include <gtest/gtest.h>

#include <algorithm>

#include "ads/marlin/mn_database.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace zelvan::marlin {
namespace {

std::string documents(std::string_view name) {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), name);
}

void writeScripts() {
    fnd::FileManager::createFileAtPath(documents("boot.js"), fnd::Bytes{'b'});
    fnd::FileManager::createFileAtPath(documents("client.js"), fnd::Bytes{'c'});
}

TEST(MNDatabaseTest, AnotherVersionIsWipedWithTheScriptsAndTheCurrentOneKept) {
    fnd::testing::ScopedAppRoot root;
    {
        MNDatabase db;
        EXPECT_EQ(db.stringForRecordID("version", "settings"), "2.3.1");
        EXPECT_TRUE(db.setRecordIDTableString("clientVersion", "settings", "1.02.003"));
    }
    writeScripts();
    {
        MNDatabase db; // 2.3.1 stays, scripts too
        EXPECT_EQ(db.stringForRecordID("clientVersion", "settings"), "1.02.003");
        EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(documents("client.js")));
        EXPECT_TRUE(db.setRecordIDTableString("version", "settings", "2.3.0"));
    }
    {
        MNDatabase db; // 2.3.0 is dropped with both scripts
        EXPECT_EQ(db.stringForRecordID("version", "settings"), "2.3.1");
        EXPECT_FALSE(db.stringForRecordID("clientVersion", "settings").has_value());
        EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("boot.js")));
        EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("client.js")));
        EXPECT_EQ(db.sqlExecute("SELECT count(*) FROM javascript"), fnd::Value::array({fnd::Value::array({0})}));
    }
    // A file that is not a database is rebuilt.
    fnd::Bytes junk(4096);
    for (size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<uint8_t>(i * 7919 + 13);
    }
    ASSERT_TRUE(fnd::FileManager::createFileAtPath(MNDatabase::path(), junk));
    MNDatabase rebuilt;
    EXPECT_TRUE(rebuilt.isInitialized());
    EXPECT_EQ(rebuilt.stringForRecordID("version", "settings"), "2.3.1");
}

TEST(MNDatabaseTest, RecordsAreReplacedAndKeepEveryValueWhole) {
    fnd::testing::ScopedAppRoot root;
    MNDatabase db;
    EXPECT_EQ(db.valueForRecordID("menuTimerValue", "settings", 10), 10);
    EXPECT_TRUE(db.setRecordIDTableValue("menuTimerValue", "settings", 5));
    EXPECT_TRUE(db.setRecordIDTableValue("menuTimerValue", "settings", 7));
    EXPECT_EQ(db.valueForRecordID("menuTimerValue", "settings", 10), 7);
    EXPECT_EQ(db.sqlExecute("SELECT count(*) FROM settings WHERE id='menuTimerValue'"),
              fnd::Value::array({fnd::Value::array({1})}));

    EXPECT_TRUE(db.setRecordIDTableValue("sessionStart", "settings", 1262304000123LL));
    EXPECT_EQ(db.valueForRecordID("sessionStart", "settings", 0), 1262304000123LL);

    // Quotes in ids and texts are values, not SQL.
    const std::string id = "it's";
    const std::string text = "a ' quote'); DROP TABLE settings; --";
    EXPECT_TRUE(db.setRecordIDTableString(id, "settings", text));
    EXPECT_EQ(db.stringForRecordID(id, "settings"), text);
    EXPECT_TRUE(db.setRecordIDTableData("blob'", "settings", fnd::Bytes{0, 1, 0xff}));
    EXPECT_EQ(db.dataForRecordID("blob'", "settings"), (fnd::Bytes{0, 1, 0xff}));
    EXPECT_EQ(db.sqlExecute("SELECT data FROM settings WHERE id='blob'''"),
              fnd::Value::array({fnd::Value::array({"AAH/"})})); // stored as its Base64 text
    EXPECT_TRUE(db.removeRecordID(id, "settings"));
    EXPECT_FALSE(db.stringForRecordID(id, "settings").has_value());
    auto ids = db.recordIDsForTable("settings");
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"blob'", "menuTimerValue", "sessionStart", "version"}));
}

TEST(MNDatabaseTest, TableNamesMustBeIdentifiersAndRawSqlGivesTypedRows) {
    fnd::testing::ScopedAppRoot root;
    MNDatabase db;
    fnd::testing::LogCapture log;
    EXPECT_FALSE(db.setRecordIDTableString("a", "settings; DROP TABLE javascript", "x"));
    EXPECT_FALSE(db.createTable("1abc"));
    EXPECT_EQ(log.count("refused the table name"), 2U);
    EXPECT_EQ(db.sqlExecute("SELECT count(*) FROM javascript"), fnd::Value::array({fnd::Value::array({0})}));

    EXPECT_TRUE(db.createTable("nextAd"));
    EXPECT_TRUE(db.setRecordIDTableString("ad", "nextAd", "x"));
    EXPECT_EQ(db.recordIDsForTable("nextAd"), std::vector<std::string>{"ad"});
    EXPECT_TRUE(db.dropTable("nextAd"));
    EXPECT_TRUE(db.recordIDsForTable("nextAd").empty());

    fnd::Value rows = db.sqlExecute("SELECT 1, 2.5, 'txt', x'0102', NULL; SELECT 99");
    fnd::Value expected = fnd::Value::array({fnd::Value::array({1, 2.5, "txt", fnd::Bytes{1, 2}, fnd::Value()})});
    EXPECT_EQ(rows, expected);
    auto row = rows.asArray()->objectAtIndex(0).asArray();
    EXPECT_TRUE(row->objectAtIndex(0).isInt());
    EXPECT_TRUE(row->objectAtIndex(1).isDouble());
    EXPECT_TRUE(row->objectAtIndex(3).isData());

    log.clear();
    EXPECT_EQ(db.sqlExecute("SELEKT nonsense"), fnd::Value::array());
    EXPECT_TRUE(log.contains("WARNING: SQL statement 'SELEKT nonsense' could not be prepared, error"))
        << log.lines()[0];
}

} // namespace
} // namespace zelvan::marlin
