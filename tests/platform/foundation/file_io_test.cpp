// Whole-file reads and atomic writes (including a write that fails midway), modification stamps
// under the manual clock, and the FileManager folder operations.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/interrupted_writes.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = appendingPathComponent(std::getenv("ZELVAN_HOME"), std::string("files-") + info->name());
        FileManager::removeItemAtPath(dir_);
        ASSERT_TRUE(FileManager::createDirectoryAtPath(dir_, Intermediates::Yes));
    }
    void TearDown() override { Clock::install(nullptr); }

    std::string path(std::string_view name) const { return appendingPathComponent(dir_, name); }

    std::string dir_;
};

TEST_F(FileIoTest, WritesAndReadsWholeFiles) {
    Bytes data = {'h', 'i', 0, 0xff};
    ASSERT_TRUE(writeFile(path("a.bin"), data));
    EXPECT_EQ(readFile(path("a.bin")), data);
    struct stat st {};
    ASSERT_EQ(::stat(path("a.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_TRUE(writeFile(path("a.bin"), Bytes{'x'}, Atomic::Yes, Mode{0644}));
    EXPECT_EQ(readFile(path("a.bin")), Bytes{'x'});
    ASSERT_EQ(::stat(path("a.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    ASSERT_TRUE(writeFile(path("b.bin"), Bytes(200000, 7), Atomic::No));
    ASSERT_TRUE(writeFile(path("b.bin"), Bytes{}, Atomic::No));
    EXPECT_EQ(readFile(path("b.bin")), Bytes{});
    EXPECT_EQ(FileManager::contentsOfDirectoryAtPath(dir_), (std::vector<std::string>{"a.bin", "b.bin"}));

    testing::LogCapture log;
    EXPECT_EQ(readFile(path("missing")), std::nullopt);
    EXPECT_EQ(readFile(dir_), std::nullopt);
    EXPECT_FALSE(writeFile(path("no-such-folder/c.bin"), data));
    EXPECT_TRUE(log.contains("no-such-folder/c.bin"));
    EXPECT_FALSE(writeFile(std::string("bad\0name", 8), data));
}

TEST_F(FileIoTest, FailedAtomicWriteKeepsOldFileAndLeavesNoTemporary) {
    const Bytes old = {'o', 'l', 'd'};
    ASSERT_TRUE(writeFile(path("state.dat"), old));

    // A child process limited to 64 KiB per file writes 1 MiB: the kernel refuses the write
    // partway through, exactly as a full disk would.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool ok = writeFile(path("state.dat"), Bytes(1 << 20, 'n'));
        ::_exit(ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must report failure";
    EXPECT_EQ(readFile(path("state.dat")), old);
    EXPECT_EQ(FileManager::contentsOfDirectoryAtPath(dir_), std::vector<std::string>{"state.dat"});

    // Renaming over a non-empty folder fails after the data was written.
    ASSERT_TRUE(FileManager::createDirectoryAtPath(path("taken/inner")));
    testing::LogCapture log;
    EXPECT_FALSE(writeFile(path("taken"), old));
    EXPECT_TRUE(log.contains("renaming"));
    EXPECT_EQ(FileManager::contentsOfDirectoryAtPath(dir_), (std::vector<std::string>{"state.dat", "taken"}));
}

TEST_F(FileIoTest, ModificationStampsFollowTheManualClock) {
    auto clock = ManualClock::install();
    clock->advance(3600.25);
    ASSERT_TRUE(writeFile(path("a"), Bytes{1}));
    auto attributes = FileManager::attributesOfItemAtPath(path("a"));
    ASSERT_TRUE(attributes);
    EXPECT_NEAR(attributes->modificationDate.timeIntervalSinceDate(Clock::now()), 0, 1e-6);
    EXPECT_EQ(attributes->size, 1u);
    EXPECT_FALSE(attributes->isDirectory);

    clock->advance(86400);
    ASSERT_TRUE(FileManager::createFileAtPath(path("b"), Bytes(10, 0)));
    ASSERT_TRUE(writeFile(path("a"), Bytes{2}, Atomic::No));
    for (const char* name : {"a", "b"}) {
        EXPECT_NEAR(FileManager::attributesOfItemAtPath(path(name))->modificationDate.timeIntervalSinceNow(), 0, 1e-6);
    }
    EXPECT_EQ(FileManager::attributesOfItemAtPath(path("b"))->size, 10u);

    Date older = Clock::now().addingTimeInterval(-7 * 86400);
    ASSERT_TRUE(FileManager::setModificationDate(path("b"), older));
    EXPECT_NEAR(FileManager::attributesOfItemAtPath(path("b"))->modificationDate.timeIntervalSinceDate(older), 0, 1e-6);
    EXPECT_FALSE(FileManager::setModificationDate(path("missing"), older));
    EXPECT_EQ(FileManager::attributesOfItemAtPath(path("missing")), std::nullopt);
}

TEST_F(FileIoTest, FileManagerFolders) {
    auto& fm = FileManager::defaultManager();
    bool isDir = true;
    EXPECT_FALSE(fm.fileExistsAtPath(path("x/y"), &isDir));
    EXPECT_FALSE(isDir);
    EXPECT_FALSE(fm.createDirectoryAtPath(path("x/y"), Intermediates::No));
    ASSERT_TRUE(fm.createDirectoryAtPath(path("x/y"), Intermediates::Yes));
    EXPECT_TRUE(fm.createDirectoryAtPath(path("x/y"), Intermediates::Yes)); // already there is fine
    EXPECT_FALSE(fm.createDirectoryAtPath(path("x/y"), Intermediates::No));
    EXPECT_TRUE(fm.createDirectoryAtPath(path("x/z"), Intermediates::No));
    EXPECT_TRUE(fm.fileExistsAtPath(path("x/y"), &isDir));
    EXPECT_TRUE(isDir);
    EXPECT_FALSE(fm.isRegularFile(path("x/y")));
    EXPECT_TRUE(fm.attributesOfItemAtPath(path("x"))->isDirectory);

    ASSERT_TRUE(fm.createFileAtPath(path("x/y/f2"), Bytes{1}));
    ASSERT_TRUE(fm.createFileAtPath(path("x/y/f1"), Bytes{1}));
    EXPECT_TRUE(fm.fileExistsAtPath(path("x/y/f1"), &isDir));
    EXPECT_FALSE(isDir);
    EXPECT_TRUE(fm.isRegularFile(path("x/y/f1")));
    EXPECT_FALSE(fm.createDirectoryAtPath(path("x/y/f1/sub"), Intermediates::Yes));
    EXPECT_EQ(fm.contentsOfDirectoryAtPath(path("x/y")), (std::vector<std::string>{"f1", "f2"}));
    EXPECT_EQ(fm.contentsOfDirectoryAtPath(path("x/y/f1")), std::nullopt);

    ASSERT_EQ(::symlink(path("x/y").c_str(), path("link").c_str()), 0);
    EXPECT_TRUE(fm.removeItemAtPath(path("link"))); // removes the link, not what it points to
    EXPECT_TRUE(fm.isRegularFile(path("x/y/f1")));
    EXPECT_TRUE(fm.removeItemAtPath(path("x")));
    EXPECT_FALSE(fm.fileExistsAtPath(path("x")));
    EXPECT_FALSE(fm.removeItemAtPath(path("x")));
    EXPECT_EQ(fm.contentsOfDirectoryAtPath(dir_), std::vector<std::string>{});
}

} // namespace
} // namespace fnd

namespace fnd {
namespace {

// What a killed writer leaves: older than this process, so the start-up sweep takes it; a temporary
// file of this process's own (younger) and names that merely look alike stay.
TEST_F(FileIoTest, LeftoversOfInterruptedWritesAreSweptAndGoWithTheirFile) {
    namespace fs = std::filesystem;
    auto plant = [&](const std::string& relative, bool old) {
        const std::string path = appendingPathComponent(dir_, relative);
        EXPECT_TRUE(writeFile(path, Bytes{'p', 'w'}, Atomic::No));
        if (old) {
            fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
        return path;
    };
    ASSERT_TRUE(FileManager::createDirectoryAtPath(appendingPathComponent(dir_, "sub"), Intermediates::Yes));
    const std::string oldAccount = plant(".zelvan_account.tmp-Ab3dE9", true);
    const std::string oldNested = plant("sub/.settings.tmp-000000", true);
    const std::string young = plant(".zelvan_account.tmp-Zz9Zz9", false);
    const std::string lookAlikes[] = {plant(".name.tmp-abc", true), plant("name.tmp-ABCDEF", true),
                                      plant(".name.tmp-ABC_EF", true), plant(".tmp-ABCDEF", true)};
    fs::create_symlink(oldAccount, appendingPathComponent(dir_, ".link.tmp-ABCDEF"));

    testing::LogCapture log;
    EXPECT_EQ(sweepInterruptedWrites(dir_), 2);
    EXPECT_TRUE(log.contains("removed 2 temporary file(s)"));
    EXPECT_FALSE(FileManager::fileExistsAtPath(oldAccount));
    EXPECT_FALSE(FileManager::fileExistsAtPath(oldNested));
    EXPECT_TRUE(FileManager::fileExistsAtPath(young));
    for (const auto& path : lookAlikes) {
        EXPECT_TRUE(FileManager::fileExistsAtPath(path)) << path;
    }

    // Deleting a file takes its own temporaries, however young, and nobody else's.
    const std::string other = plant(".zelvan_accounts.tmp-QWERTY", false);
    EXPECT_EQ(removeAtomicWriteTemporaries(appendingPathComponent(dir_, "zelvan_account")), 1);
    EXPECT_FALSE(FileManager::fileExistsAtPath(young));
    EXPECT_TRUE(FileManager::fileExistsAtPath(other));
}

} // namespace
} // namespace fnd
