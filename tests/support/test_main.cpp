// Shared main of every test binary: gives the process a fresh temporary application root
// ($ZELVAN_HOME) so no test touches a user's files, gives each test a fresh root of its own for its
// span so tests run in any order and any number of times, marks the main thread (creating the main
// run loop), then runs GoogleTest.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/thread.h"

namespace {

// Moves the application root to a fresh temporary folder before each test is constructed and back
// after it is destroyed, removing the folder and what the test left in it. GoogleTest's TempDir()
// ($TEST_TMPDIR) is a folder inside that root for the test's span: the same case runs in several
// processes at once (alone and in its shuffled shard), so a shared /tmp path would be written and
// removed by both.
class FreshRootPerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        root_ = std::make_unique<fnd::testing::ScopedAppRoot>();
        if (!root_->root().empty()) {
            const std::string temp = root_->root() + "/test-tmp";
            std::error_code ec;
            std::filesystem::create_directories(temp, ec);
            if (const char* previous = std::getenv("TEST_TMPDIR")) {
                previousTemp_ = previous;
            }
            ::setenv("TEST_TMPDIR", temp.c_str(), 1);
        }
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (!root_ || root_->root().empty()) {
            root_.reset();
            return;
        }
        if (previousTemp_) {
            ::setenv("TEST_TMPDIR", previousTemp_->c_str(), 1);
        } else {
            ::unsetenv("TEST_TMPDIR");
        }
        previousTemp_.reset();
        root_.reset();
    }

private:
    std::unique_ptr<fnd::testing::ScopedAppRoot> root_;
    std::optional<std::string> previousTemp_;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleMock(&argc, argv);

    // A death test run in the "threadsafe" style starts this binary again for that one test; the
    // child keeps its parent's root, so what it writes before dying is there for the parent to read.
    const bool deathTestChild = !GTEST_FLAG_GET(internal_run_death_test).empty();
    std::string root;
    if (!deathTestChild) {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelvan-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return 2;
        }
        root = pattern;
        ::setenv("ZELVAN_HOME", root.c_str(), 1);
        ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRootPerTest);
    }
    ::setenv("TZ", "UTC", 1);
    ::setenv("LANG", "en_US.UTF-8", 1);
    // The software GL renderer rasterises on the calling thread: no worker threads of its own are left
    // running when the leak checker stops the process at exit (its frames are the same either way).
    ::setenv("LP_NUM_THREADS", "0", 0);
    // Nor a shader disk cache, whose writer thread may still be busy when the leak checker walks the threads.
    ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    fnd::initMainThread();

    int rc = RUN_ALL_TESTS();

    if (!root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return rc;
}
