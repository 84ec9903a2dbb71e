// Fuzz target: the Kavlo event queue over a file whose rows the input writes (NULL, empty, huge or odd
// messages, negative row numbers, odd session values, the older layout without the session column). The
// queue opens it, stores, hands out a batch and deletes, and never crashes; a batch is well-formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analytics/kavlo/kavlo_database.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/sql_database.h"
#include "platform/foundation/sql_statement.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static fnd::testing::ScopedAppRoot root;
    using zelvan::kavlo::KavloDatabase;

    const std::string folder = fnd::AppFolders::documents();
    const std::string path = folder + "/kavlo.db";
    fnd::FileManager::removeItemAtPath(path);
    fnd::FileManager::createDirectoryAtPath(folder);
    size_t at = 0;
    auto byte = [&] { return at < size ? data[at++] : uint8_t{0}; };
    {
        auto opened = fnd::SqlDatabase::open(path);
        check(opened.ok());
        auto& db = opened.value();
        const bool older = byte() % 2 == 0;
        check(db.exec(older ? "CREATE TABLE mcfz (pk INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, message TEXT)"
                            : "CREATE TABLE mcfz (pk INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, message TEXT, "
                              "sessionpk INTEGER)")
                  .ok());
        check(db.exec("BEGIN").ok());
        auto insert = db.prepare(older ? "INSERT INTO mcfz (pk, message) VALUES (?, ?)"
                                       : "INSERT INTO mcfz (pk, message, sessionpk) VALUES (?, ?, ?)");
        check(insert.ok());
        auto& row = insert.value();
        const int rows = byte() % 80;
        for (int i = 0; i < rows && at < size; ++i) {
            const uint8_t op = byte();
            if (op & 1) {
                (void)row.bindInt64(1, static_cast<int8_t>(byte()) * 1000 + i);
            } else {
                (void)row.bindNull(1);
            }
            switch ((op >> 1) % 4) {
            case 0:
                (void)row.bindNull(2);
                break;
            case 1:
                (void)row.bindText(2, std::string(size_t{byte() % 8u} * 16384, 'x'));
                break;
            default: {
                const size_t length = std::min<size_t>(byte(), size - std::min(at, size));
                (void)row.bindText(2, std::string(reinterpret_cast<const char*>(data + at), length));
                at += length;
            }
            }
            if (!older) {
                switch ((op >> 3) % 3) {
                case 0:
                    (void)row.bindNull(3);
                    break;
                case 1:
                    (void)row.bindText(3, "s");
                    break;
                default:
                    (void)row.bindInt64(3, static_cast<int8_t>(byte()));
                }
            }
            (void)row.step();
            row.reset();
            row.clearBindings();
        }
        check(db.exec("COMMIT").ok());
    }

    KavloDatabase queue("fz");
    check(queue.isOpen());
    check(queue.initializeTable());
    queue.insertSession("{\"h\":{}}");
    queue.insertMessage("{\"q\":{}}");
    const fnd::Value batch = queue.selectMessage();
    check(!batch.isNull());
    const auto& fields = *batch.asDictionary();
    const std::string json = fields.objectForKey(KavloDatabase::kMessageJSON).stringValue();
    const int64_t count = fields.objectForKey(KavloDatabase::kMessageCount).longLongValue();
    check(count >= 1 && count <= KavloDatabase::kBatchLimit);
    check(json.size() >= 2 && json.front() == '{' && json.back() == '}' && json.compare(0, 3, "{\"o") == 0);
    queue.deleteMessageWithPrimaryKey(fields.objectForKey(KavloDatabase::kMessageKey).stringValue(),
                                      fields.objectForKey(KavloDatabase::kMessageSession).stringValue());
    queue.selectMessage();
    queue.purge();
    check(queue.selectMessage().isNull());
    return 0;
}
