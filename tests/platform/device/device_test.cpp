// Device information: the fixed texts, and the installation identifier that stays the same across
// calls and restarts because it is kept in its file.
#include <gtest/gtest.h>

#include <string>

#include "platform/device/device.h"
#include "platform/foundation/file_io.h"

namespace device {
namespace {

std::string kept() {
    const auto bytes = fnd::readFile(Device::identifierPath());
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TEST(DeviceTest, DescribesTheMachine) {
    Device& device = Device::current();
    EXPECT_EQ(device.model(), "LinuxDevice");
    EXPECT_EQ(device.systemName(), "Linux");
    EXPECT_EQ(device.systemVersion(), "3.1");
    EXPECT_FALSE(device.name().empty());
    EXPECT_FALSE(device.machine().empty());
    EXPECT_FALSE(device.supportsCamera());
    device.setSupportsCamera(true);
    EXPECT_TRUE(device.supportsCamera());
    device.setSupportsCamera(false);
}

TEST(DeviceTest, IdentifierIsStableAndKept) {
    Device& device = Device::current();
    device.setUniqueIdentifier(std::nullopt);
    const std::string id = device.uniqueIdentifier();
    ASSERT_EQ(id.size(), 40u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(device.uniqueIdentifier(), id);
    EXPECT_EQ(kept(), id);

    // A restart reads the kept file rather than making a new one.
    device.setUniqueIdentifier(std::nullopt);
    EXPECT_EQ(device.uniqueIdentifier(), id);

    // A damaged file is replaced by a fresh, well-formed identifier.
    ASSERT_TRUE(fnd::writeFile(Device::identifierPath(), fnd::Bytes{'x', 'y'}));
    device.setUniqueIdentifier(std::nullopt);
    const std::string fresh = device.uniqueIdentifier();
    EXPECT_EQ(fresh.size(), 40u);
    EXPECT_NE(fresh, id);
    EXPECT_EQ(kept(), fresh);

    const std::string given(40, 'a');
    device.setUniqueIdentifier(given);
    EXPECT_EQ(device.uniqueIdentifier(), given);
    EXPECT_EQ(kept(), given);
}

} // namespace
} // namespace device
