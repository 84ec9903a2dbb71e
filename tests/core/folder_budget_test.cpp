// A cache folder's byte budget over a temporary folder: the order of use learnt from modification dates
// and reads, files removed least recently used first, and what is never removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/folder_budget.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"

namespace zelvan {
namespace {

namespace fs = std::filesystem;

TEST(FolderBudgetTest, RemovesTheLeastRecentlyUsedFilesToMakeRoom) {
    ASSERT_TRUE(fnd::AppFolders::setUp());
    const std::string folder = fnd::AppFolders::root() + "/cache/";
    fs::create_directories(folder + "sub");
    auto put = [&](const std::string& name, size_t size, double modified) {
        ASSERT_TRUE(fnd::writeFile(folder + name, fnd::Bytes(size, 1)));
        ASSERT_TRUE(fnd::FileManager::setModificationDate(folder + name, fnd::Date(modified)));
    };
    put("a", 4, 20);
    put("b", 4, 30);
    put("c", 4, 10);
    put(".tmp", 4, 0);
    FolderBudget budget(12);
    budget.scan(folder, [](const std::string& name) { return name.front() == '.'; });
    EXPECT_EQ(budget.totalBytes(), 12u);

    // c was read last, so a is the least recently used; b's own bytes make room for its new ones.
    budget.used("c");
    std::vector<std::string> removed;
    EXPECT_TRUE(budget.makeRoom("b", 6, {}, &removed));
    EXPECT_EQ(removed, std::vector<std::string>{"a"});
    EXPECT_FALSE(fs::exists(folder + "a"));
    put("b", 6, 40);
    budget.stored("b", 6);

    // Nothing goes when even every file not pinned would not make room, nor for more than the budget.
    EXPECT_FALSE(budget.makeRoom(
        "d", 9, [](const std::string& name) { return name == "c"; }, &removed));
    EXPECT_FALSE(budget.makeRoom("d", 13, {}, &removed));
    EXPECT_TRUE(fs::exists(folder + "b") && fs::exists(folder + "c") && fs::exists(folder + ".tmp"));
    EXPECT_TRUE(budget.makeRoom("d", 5, {}, &removed));
    EXPECT_EQ(removed, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(budget.totalBytes(), 6u);
}

} // namespace
} // namespace zelvan
