// Application folders under $ZELVAN_HOME, re-read after reset().
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"

namespace fnd {
namespace {

TEST(AppFoldersTest, FoldersLiveUnderTheHomeRootAndAreCreated) {
    const std::string original = std::getenv("ZELVAN_HOME");
    const std::string home = original + "/app-folders";
    ::setenv("ZELVAN_HOME", (home + "/").c_str(), 1);
    AppFolders::reset();

    EXPECT_EQ(AppFolders::root(), home);
    EXPECT_EQ(AppFolders::documents(), home + "/Documents");
    EXPECT_EQ(AppFolders::appDocuments(), home + "/Documents/com.zelvan.client");
    EXPECT_EQ(AppFolders::library(), home + "/Library");
    EXPECT_EQ(AppFolders::caches(), home + "/Library/Caches");
    EXPECT_EQ(AppFolders::preferences(), home + "/Library/Preferences");
    EXPECT_EQ(AppFolders::temporary(), home + "/tmp");
    EXPECT_EQ(AppFolders::searchPath(Directory::Documents), AppFolders::documents());
    EXPECT_EQ(AppFolders::searchPath(Directory::Caches), AppFolders::caches());
    EXPECT_EQ(AppFolders::searchPath(Directory::Library), AppFolders::library());
    EXPECT_EQ(AppFolders::searchPath(Directory::Temporary), AppFolders::temporary());

    EXPECT_FALSE(FileManager::fileExistsAtPath(home));
    ASSERT_TRUE(AppFolders::setUp());
    for (const auto& folder :
         {AppFolders::appDocuments(), AppFolders::caches(), AppFolders::preferences(), AppFolders::temporary()}) {
        bool isDir = false;
        EXPECT_TRUE(FileManager::fileExistsAtPath(folder, &isDir) && isDir) << folder;
    }
    EXPECT_TRUE(AppFolders::setUp()); // idempotent

    // The root is cached until reset().
    ::setenv("ZELVAN_HOME", (original + "/elsewhere").c_str(), 1);
    EXPECT_EQ(AppFolders::root(), home);
    AppFolders::reset();
    EXPECT_EQ(AppFolders::root(), original + "/elsewhere");

    // Without ZELVAN_HOME the root is under the user's home folder.
    const char* userHome = std::getenv("HOME");
    const std::string savedHome = userHome != nullptr ? userHome : "";
    ::unsetenv("ZELVAN_HOME");
    ::setenv("HOME", "/home/someone", 1);
    AppFolders::reset();
    EXPECT_EQ(AppFolders::root(), "/home/someone/.local/share/zelvan");

    ::setenv("HOME", savedHome.c_str(), 1);
    ::setenv("ZELVAN_HOME", original.c_str(), 1);
    AppFolders::reset();
}

} // namespace
} // namespace fnd
