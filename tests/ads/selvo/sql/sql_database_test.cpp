// The Selvo SQLite front on a file under a temporary root: binding by kind and by parameter count, reading
// back by name, missing tables and columns, transactions, the busy-retry limit and the statement cache.
#include <gtest/gtest.h>

#include <string>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sql/sql_database.h"
#include "ads/selvo/sql/sql_result_set.h"
#include "ads/selvo/sql/sql_statement.h"
#include "platform/foundation/array.h"
#include "platform/foundation/sql_database.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace zelvan::selvo {
namespace {

using fnd::Value;

class SqlDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root_.root().empty());
        path_ = root_.root() + "/SVDatabase.db";
        db_ = SqlDatabase_::databaseWithPath(path_, std::make_shared<SelvoContext>());
        ASSERT_TRUE(db_->open());
        ASSERT_TRUE(db_->executeUpdate("create table t (a, b, c)"));
    }

    std::vector<int64_t> column(const std::string& sql, const std::string& name) {
        std::vector<int64_t> values;
        auto rs = db_->executeQuery(sql);
        while (rs && rs->next()) {
            values.push_back(rs->longForColumn(name));
        }
        return values;
    }

    fnd::testing::ScopedAppRoot root_;
    std::string path_;
    std::shared_ptr<SqlDatabase_> db_;
};

TEST_F(SqlDatabaseTest, BindsExactlyTheParameterCount) {
    EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?, ?)", {Value(1), Value(2), Value(3), Value(4)}));
    EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?, ?)", {Value(5)}));
    EXPECT_TRUE(db_->executeUpdate("insert into t values (7, 8, 9)", {Value(10)}));
    EXPECT_EQ(column("select c from t order by rowid", "C"), (std::vector<int64_t>{3, 0, 9}));
    EXPECT_EQ(db_->intForQuery("select count(*) from t where c is null"), 1);
    EXPECT_EQ(db_->intForQuery("select a from t where b = ?", {Value(8)}), 7);
}

TEST_F(SqlDatabaseTest, KindsReadBackByName) {
    ASSERT_TRUE(db_->executeUpdate("create table k (n, d, dt, b, i, x, s, o)"));
    const fnd::Date when = fnd::Date::fromUnix(1300000000.25);
    const fnd::Bytes bytes{0, 1, 2, 255};
    ASSERT_TRUE(db_->executeUpdate("insert into k values (?, ?, ?, ?, ?, ?, ?, ?)",
                                   {Value(), Value(bytes), Value(when), Value(true), Value(int64_t{1} << 40),
                                    Value(2.5), Value("text"), Value::array({Value(1)})}));
    EXPECT_EQ(db_->stringForQuery("select typeof(d) || typeof(dt) || typeof(b) || typeof(i) || typeof(x) from k"),
              "blobrealintegerintegerreal");

    fnd::testing::LogCapture capture;
    auto rs = db_->executeQuery("select * from k");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumn("N"), std::nullopt);
    EXPECT_EQ(rs->dataForColumn("n"), fnd::Bytes());
    EXPECT_EQ(rs->dataForColumn("D"), bytes);
    ASSERT_TRUE(rs->dateForColumn("dt"));
    EXPECT_DOUBLE_EQ(rs->dateForColumn("dt")->since1970(), when.since1970());
    EXPECT_TRUE(rs->boolForColumn("b"));
    EXPECT_EQ(rs->longForColumn("i"), int64_t{1} << 40);
    EXPECT_DOUBLE_EQ(rs->doubleForColumn("x"), 2.5);
    EXPECT_EQ(rs->stringForColumn("s"), "text");
    EXPECT_EQ(rs->stringForColumn("o"), Value::array({Value(1)}).description());
    EXPECT_EQ(rs->intForColumn("Missing"), 0);
    EXPECT_TRUE(capture.contains("Warning: I could not find the column named 'missing'."));
    EXPECT_FALSE(rs->next());
    EXPECT_TRUE(rs->isClosed());
    rs->close();
    EXPECT_TRUE(rs->isClosed());
}

TEST_F(SqlDatabaseTest, MissingTableGivesNoneAndTransactionsHoldInUse) {
    EXPECT_EQ(db_->executeQuery("select * from nowhere"), nullptr);
    EXPECT_EQ(db_->intForQuery("select count(*) from nowhere"), 0);
    EXPECT_TRUE(db_->hadError());
    EXPECT_NE(db_->lastErrorMessage().find("nowhere"), std::string::npos);

    EXPECT_FALSE(db_->inUse());
    ASSERT_TRUE(db_->beginTransaction());
    EXPECT_TRUE(db_->inUse());
    EXPECT_TRUE(db_->executeUpdate("insert into t values (1, 2, 3)"));
    EXPECT_EQ(db_->intForQuery("select count(*) from t"), 1);
    EXPECT_TRUE(db_->inUse());
    ASSERT_TRUE(db_->commit());
    EXPECT_FALSE(db_->inUse());
    EXPECT_EQ(db_->lastInsertRowId(), 1);
}

TEST_F(SqlDatabaseTest, BusyLimitGivesUpAtTheFourthBusyResult) {
    ASSERT_TRUE(db_->executeUpdate("insert into t values (1, 2, 3)"));
    auto other = fnd::SqlDatabase::open(path_);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other->exec("BEGIN EXCLUSIVE TRANSACTION"));

    db_->setBusyRetryTimeout(2);
    EXPECT_FALSE(db_->executeUpdate("insert into t values (4, 5, 6)"));
    EXPECT_EQ(db_->lastBusyCount(), 4);
    auto rs = db_->executeQuery("select a from t");
    EXPECT_FALSE(rs && rs->next());
    EXPECT_EQ(db_->lastBusyCount(), 4);
    EXPECT_FALSE(db_->inUse());

    ASSERT_TRUE(other->exec("COMMIT"));
    EXPECT_TRUE(db_->executeUpdate("insert into t values (4, 5, 6)"));
    EXPECT_EQ(db_->lastBusyCount(), 0);
}

TEST_F(SqlDatabaseTest, CacheLeavesAStatementAnOpenResultSetHolds) {
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(db_->executeUpdate("insert into t values (?, 0, 0)", {Value(i)}));
    }
    db_->setShouldCacheStatements(true);
    const std::string sql = "select a from t order by a";
    auto first = db_->executeQuery(sql);
    ASSERT_TRUE(first && first->next());
    auto second = db_->executeQuery(sql);
    ASSERT_TRUE(second && second->next());
    EXPECT_NE(first->statement(), second->statement());
    ASSERT_TRUE(first->next());
    ASSERT_TRUE(second->next());
    EXPECT_EQ(first->intForColumnIndex(0), 2);
    EXPECT_EQ(second->intForColumnIndex(0), 2);
    first->close();
    second->close();

    // Once its reader is done the cached statement serves the same SQL again.
    EXPECT_EQ(column(sql, "a"), (std::vector<int64_t>{1, 2, 3}));
    auto cached = db_->cachedStatementForQuery(sql);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->useCount(), 2);
}

} // namespace
} // namespace zelvan::selvo
