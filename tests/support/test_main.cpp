// Shared main of every test binary: gives each test process a fresh temporary application root
// ($ZELVAN_HOME) so no test touches a user's files, marks the main thread (creating the main run
// loop), then runs GoogleTest.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/thread.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleMock(&argc, argv);

    std::string pattern = (std::filesystem::temp_directory_path() / "zelvan-test-XXXXXX").string();
    char* root = ::mkdtemp(pattern.data());
    if (root == nullptr) {
        return 2;
    }
    ::setenv("ZELVAN_HOME", root, 1);
    ::setenv("TZ", "UTC", 1);
    fnd::initMainThread();

    int rc = RUN_ALL_TESTS();

    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return rc;
}
