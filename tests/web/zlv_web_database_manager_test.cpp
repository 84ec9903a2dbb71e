// Databases by scope: in-memory page, controller and connection scopes (the last emptied when the
// connection is lost), session files deleted at the next start while user and application files
// stay, name checks, and the feature switches kept in the application scope.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/foundation/app_folders.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan {
namespace {

using Scope = ZLVDatabaseScope;

class ZLVWebDatabaseManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fnd::AppFolders::temporary() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        manager_ = std::make_shared<ZLVWebDatabaseManager>(root_);
    }
    // A new process start: the old manager goes, a fresh one takes the same folder.
    void restart() {
        manager_.reset();
        manager_ = std::make_shared<ZLVWebDatabaseManager>(root_);
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(root_ + "/" + relative); }

    std::string root_;
    std::shared_ptr<ZLVWebDatabaseManager> manager_;
};

TEST_F(ZLVWebDatabaseManagerTest, ScopesLiveAsLongAsTheirOwners) {
    auto page = manager_->openDatabase(Scope::Page, "state");
    auto otherPage = manager_->openDatabase(Scope::Page, "state");
    auto controller = manager_->openDatabase(Scope::Controller, "state");
    ASSERT_TRUE(page && otherPage && controller);
    EXPECT_NE(page, otherPage);
    page->kvSaveInt("n", 1, -1);
    EXPECT_EQ(otherPage->kvInt("n", 0), 0);
    EXPECT_EQ(controller->kvInt("n", 0), 0);
    EXPECT_EQ(page->path(), "");

    auto connection = manager_->connectionDB();
    ASSERT_TRUE(connection);
    EXPECT_EQ(manager_->connectionDB(), connection);
    EXPECT_EQ(manager_->openDatabase(Scope::Connection, ZLVWebDatabaseManager::kDefaultName), connection);
    connection->kvSaveInt("unread", 3, -1);
    manager_->connectionListener()->connectionLost();
    ASSERT_TRUE(manager_->connectionDB());
    EXPECT_NE(manager_->connectionDB(), connection);
    EXPECT_EQ(manager_->connectionDB()->kvInt("unread", 0), 0);

    // Names come from pages: nothing that could leave the folder, nothing empty or overlong.
    for (const std::string& name :
         std::vector<std::string>{"", "../app/default", "a/b", ".hidden", "x y", std::string(65, 'a')}) {
        EXPECT_EQ(manager_->openDatabase(Scope::Application, name), nullptr) << name;
        EXPECT_EQ(manager_->openDatabase(Scope::Page, name), nullptr) << name;
    }
    EXPECT_TRUE(manager_->openDatabase(Scope::Application, std::string(64, 'a')));
}

TEST_F(ZLVWebDatabaseManagerTest, SessionFilesGoAtStartWhilePersistentOnesStay) {
    EXPECT_EQ(manager_->openDatabase(Scope::User, "prefs"), nullptr); // nobody signed in
    manager_->setUserId(42);
    manager_->openDatabase(Scope::Session, "tabs")->kvSaveInt("open", 1, -1);
    manager_->openDatabase(Scope::Application, "prefs")->kvSaveInt("volume", 7, -1);
    manager_->openDatabase(Scope::User, "prefs")->kvSaveInt("theme", 2, -1);
    EXPECT_EQ(manager_->openDatabase(Scope::Session, "tabs")->kvInt("open", 0), 1);
    EXPECT_TRUE(exists("session/tabs.db"));
    EXPECT_TRUE(exists("app/prefs.db"));
    EXPECT_TRUE(exists("user/42/prefs.db"));

    restart();
    EXPECT_FALSE(exists("session/tabs.db"));
    EXPECT_EQ(manager_->openDatabase(Scope::Session, "tabs")->kvInt("open", 0), 0);
    EXPECT_EQ(manager_->openDatabase(Scope::Application, "prefs")->kvInt("volume", 0), 7);
    manager_->setUserId(43);
    EXPECT_EQ(manager_->openDatabase(Scope::User, "prefs")->kvInt("theme", 0), 0);
    manager_->setUserId(42);
    EXPECT_EQ(manager_->openDatabase(Scope::User, "prefs")->kvInt("theme", 0), 2);
}

TEST_F(ZLVWebDatabaseManagerTest, FeatureSwitchesComeFromTheApplicationScope) {
    // A damaged file where the switches live is replaced rather than left unusable.
    std::filesystem::create_directories(root_ + "/app");
    std::ofstream(root_ + "/app/default.db") << std::string(2048, '#');

    EXPECT_EQ(manager_->featureVisible("chatads"), 0);
    EXPECT_TRUE(manager_->setFeatures(fnd::Value::dictionary({{"chatads", 1}, {"imads", 0}})));
    EXPECT_NE(manager_->featureVisible("chatads"), 0);
    EXPECT_EQ(manager_->featureVisible("imads"), 0);
    EXPECT_EQ(manager_->featureVisible("unknown"), 0);

    EXPECT_FALSE(manager_->setFeatures(fnd::Value("chatads")));
    restart();
    EXPECT_NE(manager_->featureVisible("chatads"), 0);
    EXPECT_TRUE(manager_->setFeatures(fnd::Value()));
    EXPECT_EQ(manager_->featureVisible("chatads"), 0);
}

} // namespace
} // namespace zelvan
