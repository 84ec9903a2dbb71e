// The Kavlo event queue on a temporary root: table set-up and upgrade, batches, deletes, survival of a
// killed writer and a writer and a sender on two threads.
#include "analytics/kavlo/kavlo_database.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>

#include "analytics/kavlo/kavlo_context.h"
#include "core/zjson.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/sql_database.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::kavlo {
namespace {

std::string dbPath() {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), "kavlo.db");
}

std::string field(const fnd::Value& batch, std::string_view key) {
    return batch.asDictionary()->objectForKey(key).stringValue();
}

int64_t countOf(const fnd::Value& batch) {
    return batch.asDictionary()->objectForKey(KavloDatabase::kMessageCount).longLongValue();
}

// The pks of the rows in a batch, read back from its JSON text.
std::vector<int64_t> pksOf(const fnd::Value& batch) {
    auto parsed = ZJSON::parse(field(batch, KavloDatabase::kMessageJSON));
    EXPECT_TRUE(parsed.ok());
    std::vector<int64_t> pks;
    if (parsed.ok()) {
        for (const auto& [key, value] : *parsed.value().asDictionary()) {
            pks.push_back(std::stoll(key.stringKey().substr(1)));
        }
    }
    return pks;
}

TEST(KavloDatabaseTest, BatchesDeletesAndTheSessionRowAtTheHead) {
    fnd::testing::ScopedAppRoot root;
    auto context = std::make_shared<KavloContext>();
    AppRegistry registry;
    registry.kavlo.factory = ServiceSlot<KavloContext>::fixed(context);
    ScopedAppDelegate delegate(std::move(registry));

    EXPECT_EQ(KavloDatabase::getInstance(), nullptr);
    auto db = KavloDatabase::initForApplication("ab-cd");
    EXPECT_EQ(KavloDatabase::getInstance(), db);
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(db->table(), "mcab_cd");
    EXPECT_TRUE(db->selectMessage().isNull());

    ASSERT_TRUE(db->insertSession("{\"h\":{\"j\":\"ab-cd\"}}"));
    EXPECT_EQ(db->sessionpk(), 1);
    ASSERT_TRUE(db->insertMessage("{\"q\":1}"));
    auto batch = db->selectMessage();
    EXPECT_EQ(field(batch, KavloDatabase::kMessageJSON), "{\"o1\":{\"h\":{\"j\":\"ab-cd\"}},\"o2\":{\"q\":1}}");
    EXPECT_EQ(field(batch, KavloDatabase::kMessageKey), "2");
    EXPECT_EQ(field(batch, KavloDatabase::kMessageSession), "1");
    EXPECT_EQ(countOf(batch), 2);

    // 120 events of one session go out in three batches, each led by the session row, which stays.
    for (int i = 0; i < 118; ++i) {
        ASSERT_TRUE(db->insertMessage("{\"q\":" + std::to_string(i) + "}"));
    }
    std::vector<int64_t> counts;
    std::set<int64_t> sent;
    while (true) {
        batch = db->selectMessage();
        ASSERT_FALSE(batch.isNull());
        const auto pks = pksOf(batch);
        ASSERT_EQ(pks.front(), 1);
        if (countOf(batch) == 1) {
            break;
        }
        counts.push_back(countOf(batch));
        sent.insert(pks.begin() + 1, pks.end());
        ASSERT_TRUE(db->deleteMessageWithPrimaryKey(field(batch, KavloDatabase::kMessageKey),
                                                    field(batch, KavloDatabase::kMessageSession)));
    }
    EXPECT_EQ(counts, (std::vector<int64_t>{50, 50, 22}));
    EXPECT_EQ(sent.size(), 119u);

    // Key 12 and session 10 remove rows 1..12 except row 10; a key that is no number removes nothing.
    ASSERT_TRUE(db->purge());
    EXPECT_TRUE(db->selectMessage().isNull());
    for (int i = 0; i < 14; ++i) {
        ASSERT_TRUE(db->insertMessage("{\"q\":0}"));
    }
    batch = db->selectMessage();
    const int64_t first = pksOf(batch).front();
    EXPECT_FALSE(db->deleteMessageWithPrimaryKey("x", "0"));
    EXPECT_EQ(countOf(db->selectMessage()), 14);
    ASSERT_TRUE(db->deleteMessageWithPrimaryKey(std::to_string(first + 11), std::to_string(first + 9)));
    EXPECT_EQ(pksOf(db->selectMessage()), (std::vector<int64_t>{first + 9, first + 12, first + 13}));

    // The contents survive reopening.
    db.reset();
    context->setDatabase(nullptr);
    KavloDatabase again("ab-cd");
    EXPECT_EQ(pksOf(again.selectMessage()), (std::vector<int64_t>{first + 9, first + 12, first + 13}));
}

TEST(KavloDatabaseTest, OlderTableGainsTheSessionColumnAndOddRowsStayWellFormed) {
    fnd::testing::ScopedAppRoot root;
    {
        ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::documents()));
        auto raw = fnd::SqlDatabase::open(dbPath());
        ASSERT_TRUE(raw.ok());
        ASSERT_TRUE(raw.value()
                        .exec("CREATE TABLE mcold (pk INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, message TEXT);"
                              "INSERT INTO mcold (message) VALUES ('{\"q\":1}'), (NULL), ('');")
                        .ok());
    }
    KavloDatabase db("old");
    ASSERT_TRUE(db.isOpen());
    auto batch = db.selectMessage();
    EXPECT_EQ(field(batch, KavloDatabase::kMessageJSON), "{\"o1\":{\"q\":1},\"o2\":null,\"o3\":null}");
    EXPECT_EQ(field(batch, KavloDatabase::kMessageSession), "-1");
    EXPECT_TRUE(db.initializeTable());

    // An application id cannot reach into the SQL.
    KavloDatabase odd("x\" (a); DROP TABLE mcold; --");
    ASSERT_TRUE(odd.isOpen());
    EXPECT_TRUE(odd.insertMessage("{}"));
    EXPECT_EQ(countOf(db.selectMessage()), 3);
}

TEST(KavloDatabaseTest, NoReturnedInsertIsLostToAKill) {
    fnd::testing::ScopedAppRoot root;
    for (int killAfter : {3, 41, 157}) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            KavloDatabase db("kill");
            for (int i = 0;; ++i) {
                const bool ok = i % 25 == 0 ? db.insertSession("{\"h\":" + std::to_string(i) + "}")
                                            : db.insertMessage("{\"q\":" + std::to_string(i) + "}");
                if (!ok || ::write(pipeFds[1], &i, sizeof(i)) != sizeof(i)) {
                    ::_exit(1);
                }
            }
        }
        ::close(pipeFds[1]);
        int last = -1;
        for (int seen = 0; seen < killAfter; ++seen) {
            ASSERT_EQ(::read(pipeFds[0], &last, sizeof(last)), static_cast<ssize_t>(sizeof(last)));
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(pipeFds[0]);

        // Every insert that returned is there, in order, and each batch reads as JSON.
        KavloDatabase db("kill");
        std::set<std::string> texts;
        while (true) {
            auto batch = db.selectMessage();
            if (batch.isNull()) {
                break;
            }
            auto parsed = ZJSON::parse(field(batch, KavloDatabase::kMessageJSON));
            ASSERT_TRUE(parsed.ok());
            for (const auto& [key, value] : *parsed.value().asDictionary()) {
                texts.insert(value.asDictionary()->entries().front().second.stringValue());
            }
            ASSERT_TRUE(db.deleteMessageWithPrimaryKey(field(batch, KavloDatabase::kMessageKey), "-2"));
        }
        for (int i = 0; i <= last; ++i) {
            EXPECT_TRUE(texts.count(std::to_string(i))) << "insert " << i << " lost (kill after " << killAfter << ")";
        }
        ASSERT_TRUE(db.purge());
    }
}

TEST(KavloDatabaseTest, AWriterAndASenderOnTwoThreadsLoseAndRepeatNothing) {
    fnd::testing::ScopedAppRoot root;
    KavloDatabase db("threads");
    constexpr int kEvents = 300;
    std::atomic<bool> done{false};
    std::thread writer([&db, &done] {
        for (int i = 0; i < kEvents; ++i) {
            if (i % 100 == 0) {
                db.insertSession("{\"h\":" + std::to_string(i) + "}");
            } else {
                db.insertMessage("{\"q\":" + std::to_string(i) + "}");
            }
        }
        done = true;
    });
    std::multiset<int64_t> sentEvents;
    std::set<int64_t> sessionRows;
    while (true) {
        const bool finished = done.load();
        auto batch = db.selectMessage();
        if (batch.isNull() || countOf(batch) == 1) {
            if (finished) {
                break;
            }
            std::this_thread::yield();
            continue;
        }
        auto parsed = ZJSON::parse(field(batch, KavloDatabase::kMessageJSON));
        ASSERT_TRUE(parsed.ok());
        for (const auto& [key, value] : *parsed.value().asDictionary()) {
            const auto& record = *value.asDictionary();
            if (record.containsKey("h")) {
                sessionRows.insert(std::stoll(key.stringKey().substr(1)));
            } else {
                sentEvents.insert(record.objectForKey("q").longLongValue());
            }
        }
        // The session of the newest row is a session row (never -1) and not yet deleted.
        EXPECT_NE(field(batch, KavloDatabase::kMessageSession), "-1");
        ASSERT_TRUE(db.deleteMessageWithPrimaryKey(field(batch, KavloDatabase::kMessageKey),
                                                   field(batch, KavloDatabase::kMessageSession)));
    }
    writer.join();
    EXPECT_EQ(sentEvents.size(), static_cast<size_t>(kEvents - kEvents / 100));
    EXPECT_EQ(std::set<int64_t>(sentEvents.begin(), sentEvents.end()).size(), sentEvents.size());
    EXPECT_EQ(sessionRows.size(), static_cast<size_t>(kEvents / 100));
}

} // namespace
} // namespace zelvan::kavlo
