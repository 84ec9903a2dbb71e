// The application bundle: its location, resource lookup and Info.plist keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

TEST(BundleTest, MainBundleIsTheSourceResources) {
    const char* source = std::getenv("ZELVAN_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    auto& bundle = Bundle::main();
    EXPECT_EQ(bundle.bundlePath(), std::string(source) + "/resources");
    EXPECT_EQ(bundle.resourcePath(), bundle.bundlePath());
    EXPECT_EQ(bundle.bundleIdentifier(), "com.zelvan.client");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleShortVersionString").stringValue(), "1.0");
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey("NoSuchKey").isNull());
    EXPECT_EQ(bundle.pathForResource("Info", "plist"), bundle.bundlePath() + "/Info.plist");

    // Callers get copies; changing one does not change the bundle.
    auto info = bundle.infoDictionary();
    ASSERT_TRUE(info.isDictionary());
    info.asDictionary()->setObject("changed", "CFBundleIdentifier");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.zelvan.client");
}

TEST(BundleTest, ResourcesOfAnotherFolder) {
    std::string dir = std::string(std::getenv("ZELVAN_HOME")) + "/bundle";
    ASSERT_TRUE(FileManager::createDirectoryAtPath(dir + "/images"));
    ASSERT_TRUE(writeFile(dir + "/images/logo.png", Bytes{1}));
    ASSERT_TRUE(writeFile(dir + "/README", Bytes{1}));
    ASSERT_TRUE(writeFile(dir + "/Info.plist", Bytes{'x'}));

    testing::LogCapture log;
    Bundle bundle(dir + "/");
    EXPECT_EQ(bundle.bundlePath(), dir);
    EXPECT_EQ(bundle.pathForResource("images/logo", "png"), dir + "/images/logo.png");
    EXPECT_EQ(bundle.pathForResource("README", ""), dir + "/README");
    EXPECT_EQ(bundle.pathForResource("missing", "png"), std::nullopt);
    EXPECT_EQ(bundle.pathForResource("../bundle/README", ""), std::nullopt);
    EXPECT_EQ(bundle.pathForResource("/etc/passwd", ""), std::nullopt);
    // A broken Info.plist gives an empty dictionary, not a failure.
    EXPECT_EQ(bundle.bundleIdentifier(), "");
    EXPECT_EQ(bundle.infoDictionary().asDictionary()->count(), 0u);
    EXPECT_TRUE(log.contains("Info.plist"));
}

} // namespace
} // namespace fnd
