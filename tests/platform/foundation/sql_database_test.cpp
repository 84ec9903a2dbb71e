// The SQL wrapper: typed values stored and read back unchanged, failures refused with an error that
// names the problem and the statement, and transactions that leave the table as it was unless committed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/sql_database.h"
#include "platform/foundation/sql_transaction.h"

namespace fnd {
namespace {

SqlDatabase memoryDatabase() {
    return SqlDatabase::open(":memory:").value();
}

std::vector<int64_t> column(SqlDatabase& db, const std::string& sql) {
    std::vector<int64_t> values;
    auto q = db.prepare(sql);
    EXPECT_TRUE(q) << q.error().description();
    while (q && q.value().step().valueOr(SqlStep::Done) == SqlStep::Row) {
        values.push_back(q.value().columnInt64(0));
    }
    return values;
}

TEST(SqlDatabaseTest, TypedValuesRoundTrip) {
    SqlDatabase db = memoryDatabase();
    // Columns without a declared type keep each value's own storage class.
    ASSERT_TRUE(db.exec("CREATE TABLE t(id INTEGER PRIMARY KEY, v)"));
    const std::string utf8 = "Grüße, 世界 🎲";
    const Bytes binary = {0x00, 0xff, 0x00, 0x7f};
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    const int64_t highest = std::numeric_limits<int64_t>::max();

    auto insert = db.prepare("INSERT INTO t(v) VALUES(?1)");
    ASSERT_TRUE(insert);
    SqlStatement& in = insert.value();
    const std::vector<std::function<Result<void>()>> binds = {
        [&] { return in.bindNull(1); },           [&] { return in.bindInt64(1, lowest); },
        [&] { return in.bindInt64(1, highest); }, [&] { return in.bindDouble(1, -0.1); },
        [&] { return in.bindText(1, utf8); },     [&] { return in.bindText(1, std::string_view()); },
        [&] { return in.bindBlob(1, Bytes()); },  [&] { return in.bindBlob(1, binary); },
    };
    for (size_t i = 0; i < binds.size(); ++i) {
        in.reset();
        ASSERT_TRUE(binds[i]()) << i;
        auto step = in.step();
        ASSERT_TRUE(step) << step.error().description();
        EXPECT_EQ(step.value(), SqlStep::Done);
        EXPECT_EQ(db.changes(), 1);
        EXPECT_EQ(db.lastInsertRowId(), static_cast<int64_t>(i) + 1);
    }
    in.reset();
    auto outOfRange = in.bindInt64(2, 1);
    ASSERT_FALSE(outOfRange);
    EXPECT_EQ(outOfRange.error().code(), kSqlCodeRange);
    EXPECT_EQ(sqlMessage(outOfRange.error()), "column index out of range");

    auto select = db.prepare("SELECT v AS value, id FROM t ORDER BY id");
    ASSERT_TRUE(select);
    SqlStatement& q = select.value();
    ASSERT_EQ(q.columnCount(), 2);
    EXPECT_EQ(q.columnName(0), "value");
    EXPECT_EQ(q.columnName(1), "id");
    std::vector<SqlType> types;
    auto next = [&] {
        auto step = q.step();
        EXPECT_TRUE(step && step.value() == SqlStep::Row);
        types.push_back(q.columnType(0));
    };
    next();
    EXPECT_TRUE(q.columnIsNull(0));
    next();
    EXPECT_EQ(q.columnInt64(0), lowest);
    next();
    EXPECT_EQ(q.columnInt64(0), highest);
    next();
    EXPECT_EQ(q.columnDouble(0), -0.1);
    next();
    EXPECT_EQ(q.columnText(0), utf8);
    next();
    EXPECT_EQ(q.columnText(0), "");
    next();
    EXPECT_TRUE(q.columnBlob(0).empty());
    next();
    EXPECT_EQ(q.columnBlob(0), binary);
    EXPECT_EQ(q.step().valueOr(SqlStep::Row), SqlStep::Done);
    EXPECT_EQ(types, (std::vector<SqlType>{SqlType::Null, SqlType::Integer, SqlType::Integer, SqlType::Float,
                                           SqlType::Text, SqlType::Text, SqlType::Blob, SqlType::Blob}));

    // Reset runs the statement again from the first row.
    q.reset();
    ASSERT_EQ(q.step().valueOr(SqlStep::Done), SqlStep::Row);
    EXPECT_EQ(q.columnInt64(1), 1);
}

TEST(SqlDatabaseTest, FailuresAreRefusedWithAClearError) {
    SqlDatabase db = memoryDatabase();
    ASSERT_TRUE(db.exec("CREATE TABLE t(k TEXT UNIQUE)"));

    auto typo = db.prepare("SELEC k FROM t");
    ASSERT_FALSE(typo);
    EXPECT_EQ(typo.error().domain(), kSqlErrorDomain);
    EXPECT_EQ(typo.error().code(), kSqlCodeError);
    EXPECT_EQ(sqlMessage(typo.error()), "near \"SELEC\": syntax error");
    EXPECT_EQ(typo.error().localizedDescription(), "near \"SELEC\": syntax error (in \"SELEC k FROM t\")");

    auto missing = db.exec("DELETE FROM missing");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().localizedDescription(), "no such table: missing (in \"DELETE FROM missing\")");

    auto empty = db.prepare("  -- nothing\n");
    ASSERT_FALSE(empty);
    EXPECT_EQ(sqlMessage(empty.error()), "no statement");

    // A failing step names the constraint and the statement; the extended code keeps the primary one.
    ASSERT_TRUE(db.exec("INSERT INTO t VALUES('a')"));
    auto insert = db.prepare("INSERT INTO t VALUES(?1)");
    ASSERT_TRUE(insert);
    ASSERT_TRUE(insert.value().bindText(1, "a"));
    auto step = insert.value().step();
    ASSERT_FALSE(step);
    EXPECT_EQ(step.error().code() & 0xff, kSqlCodeConstraint);
    EXPECT_EQ(step.error().localizedDescription(), "UNIQUE constraint failed: t.k (in \"INSERT INTO t VALUES(?1)\")");

    auto unopened = SqlDatabase::open("/nonexistent-zelvan-folder/x.db");
    ASSERT_FALSE(unopened);
    EXPECT_EQ(unopened.error().localizedDescription(),
              "cannot open \"/nonexistent-zelvan-folder/x.db\": unable to open database file");

    SqlStatement unprepared;
    EXPECT_FALSE(unprepared.step());
    EXPECT_FALSE(unprepared.bindInt64(1, 1));
}

TEST(SqlDatabaseTest, TransactionsRollBackUnlessCommitted) {
    SqlDatabase db = memoryDatabase();
    ASSERT_TRUE(db.exec("CREATE TABLE t(k INTEGER UNIQUE); INSERT INTO t VALUES(1)"));

    // Left without a commit.
    {
        auto tx = SqlTransaction::begin(db);
        ASSERT_TRUE(tx);
        ASSERT_TRUE(db.exec("INSERT INTO t VALUES(2)"));
        EXPECT_EQ(column(db, "SELECT k FROM t ORDER BY k"), (std::vector<int64_t>{1, 2}));
    }
    EXPECT_EQ(column(db, "SELECT k FROM t ORDER BY k"), (std::vector<int64_t>{1}));

    // A statement fails part way: the writes before it go too.
    auto write = [&db]() -> Result<void> {
        auto tx = TRY(SqlTransaction::begin(db, SqlTransaction::Mode::Immediate));
        TRY(db.exec("INSERT INTO t VALUES(3)"));
        TRY(db.exec("INSERT INTO t VALUES(1)"));
        return tx.commit();
    };
    EXPECT_FALSE(write());
    EXPECT_EQ(column(db, "SELECT k FROM t ORDER BY k"), (std::vector<int64_t>{1}));

    // A nested BEGIN is refused and leaves the outer transaction to decide.
    {
        auto tx = SqlTransaction::begin(db, SqlTransaction::Mode::Exclusive);
        ASSERT_TRUE(tx);
        ASSERT_TRUE(db.exec("INSERT INTO t VALUES(4)"));
        EXPECT_FALSE(SqlTransaction::begin(db));
        ASSERT_TRUE(tx.value().commit());
    }
    EXPECT_EQ(column(db, "SELECT k FROM t ORDER BY k"), (std::vector<int64_t>{1, 4}));
}

} // namespace
} // namespace fnd
