// ZelvanPacket: element order, counts, the log-in mark and independence of arrays already taken.
#include <gtest/gtest.h>

#include "protocol/zelvan_packet.h"

namespace zelvan {
namespace {

TEST(ZelvanPacketTest, BuildsCommandArray) {
    ZelvanPacket packet(18);
    EXPECT_EQ(packet.cmd(), 18);
    EXPECT_EQ(packet.count(), 1u);
    EXPECT_FALSE(packet.requiresLogin());

    packet.addInt(-7);
    packet.addObject(fnd::Value("name"));
    packet.addObject(fnd::Value::dictionary({{1, "x"}}));
    EXPECT_EQ(packet.count(), 4u);
    EXPECT_EQ(packet.array(), fnd::Value::array({18, -7, "name", fnd::Value::dictionary({{1, "x"}})}));

    packet.requireLogin();
    EXPECT_TRUE(packet.requiresLogin());
}

TEST(ZelvanPacketTest, TakenArrayDoesNotChangeWithLaterAdditions) {
    ZelvanPacket packet(3);
    fnd::Value first = packet.array();
    packet.addInt(1);
    EXPECT_EQ(first.asArray()->count(), 1u);
    EXPECT_EQ(packet.array().asArray()->count(), 2u);
}

} // namespace
} // namespace zelvan
