// State files: round trips, missing and corrupt files, a writer killed mid-write, refused names.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "core/state_files.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

using fnd::Value;

std::string pathOf(std::string_view name) {
    return fnd::appendingPathComponent(fnd::AppFolders::appDocuments(), name);
}

// The code of readfile's error, or 0 when it succeeds.
int64_t readfileErrorCode(std::string_view name) {
    fnd::Result<Value> read = readfile(name);
    return read.ok() ? 0 : read.error().code();
}

TEST(StateFilesTest, RoundTripExistAndDelete) {
    Value contacts = Value::array({Value::dictionary({{1, "Ann"}, {2, "+4420794600"}, {5, 3}}),
                                   Value::dictionary({{1, "\xe6\x9d\x8e"}, {"pw", "secret"}})});
    EXPECT_FALSE(existfile("zelvancontact2"));
    EXPECT_EQ(readfileErrorCode("zelvancontact2"), kStateFileMissing);

    ASSERT_TRUE(writefile("zelvancontact2", contacts));
    EXPECT_TRUE(existfile("zelvancontact2"));
    EXPECT_EQ(readfile("zelvancontact2"), contacts);
    EXPECT_EQ(fnd::readFile(pathOf("zelvancontact2")), dumps(contacts));
    struct stat st {};
    ASSERT_EQ(::stat(pathOf("zelvancontact2").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_TRUE(writefile("zelvancontact2", Value::dictionary()));
    EXPECT_EQ(readfile("zelvancontact2"), Value::dictionary());

    // A temporary file an interrupted write left holds the same data; it goes with the file.
    const std::string leftover = pathOf(".zelvancontact2.tmp-K1LL3D");
    ASSERT_TRUE(fnd::writeFile(leftover, dumps(contacts), fnd::Atomic::No));
    EXPECT_TRUE(deletefile("zelvancontact2"));
    EXPECT_FALSE(existfile("zelvancontact2"));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(leftover));
    EXPECT_EQ(readfileErrorCode("zelvancontact2"), kStateFileMissing);
    EXPECT_TRUE(deletefile("zelvancontact2"));
}

TEST(StateFilesTest, CorruptFileIsReportedLoggedByTheCallerAndLeftInPlace) {
    ASSERT_TRUE(writefile("zelvanim", Value::array()));
    const fnd::Bytes corrupt = {0x05, 0x00, 0x00, 0x00, 0x09, 0x01};
    ASSERT_TRUE(fnd::writeFile(pathOf("zelvanim"), corrupt));

    fnd::testing::LogCapture log;
    fnd::Result<Value> read = readfile("zelvanim");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().localizedDescription(), "array of declared size 9 exceeds the 1 bytes left at offset 0");
    EXPECT_EQ(read.error().userInfo().asDictionary()->objectForKey(kStateFilePathKey), Value(pathOf("zelvanim")));
    EXPECT_TRUE(log.lines().empty());
    logReadfileError(read.error());
    EXPECT_TRUE(log.contains("codec: array of declared size 9 exceeds the 1 bytes left at offset 0"));
    EXPECT_TRUE(log.contains("zelvanim could not be decoded"));
    EXPECT_EQ(fnd::readFile(pathOf("zelvanim")), corrupt);
}

TEST(StateFilesTest, WriterKilledMidWriteLeavesOldContent) {
    const Value old = Value::dictionary({{7, 1700000000}});
    ASSERT_TRUE(writefile("zelvan_chatroom_rulelog", old));

    // The child may write at most 64 KiB per file and is killed by SIGXFSZ while writing 1 MiB,
    // before the new file could be renamed over the old one.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writefile("zelvan_chatroom_rulelog", Value(fnd::Bytes(1 << 20, 'n')));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(readfile("zelvan_chatroom_rulelog"), old);
}

TEST(StateFilesTest, RefusesNamesOutsideTheFolder) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(pathOf("sub")));
    const std::string names[] = {"", ".", "..", "../zelvanim", "sub/x", "/etc/passwd", std::string("a\0b", 3)};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        fnd::testing::LogCapture log;
        EXPECT_FALSE(writefile(name, Value(1)));
        EXPECT_EQ(readfileErrorCode(name), kStateFileRefusedName);
        EXPECT_FALSE(existfile(name));
        EXPECT_FALSE(deletefile(name));
        EXPECT_EQ(log.count("refused file name"), 4u);
    }
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(pathOf("sub/x")));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(fnd::deletingLastPathComponent(fnd::AppFolders::appDocuments()) +
                                                    "/zelvanim"));
}

} // namespace
} // namespace zelvan
