// PacketReader: reads by kind, the reason of each failure names the element, the three failure forms
// agree, and the WARN line carries the reason and the packet's preview on one line, at the caller's site.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/log_preview.h"
#include "platform/foundation/testing/log_capture.h"
#include "protocol/packet_reader.h"

namespace zelvan {
namespace {

using fnd::Value;

std::string reason(const auto& result) {
    return result ? std::string("no failure") : PacketReader::reasonOf(result.error());
}

std::string thrown(auto read) {
    try {
        read();
    } catch (const BadPacket& e) {
        return e.what();
    }
    return "nothing thrown";
}

TEST(PacketReader, ReadsByKindAndNamesTheElementThatFails) {
    const PacketReader p(Value::array({41, "seven", Value::array({1, 2}), 2.5}));
    EXPECT_EQ(p.number(3), 2);
    EXPECT_EQ(p.text(1), std::string("seven"));
    EXPECT_EQ(p.textOrNumber(0), std::string("41"));
    EXPECT_EQ(p.list(2, 2)->intAt(1), 2);

    EXPECT_EQ(reason(p.element(4)), "element 4 missing");
    EXPECT_EQ(reason(p.number(1)), "element 1 is not a number");
    EXPECT_EQ(reason(p.text(0)), "element 0 is not text");
    EXPECT_EQ(reason(p.textOrNumber(2)), "element 2 is not text");
    EXPECT_EQ(reason(p.list(2, 3)), "element 2 is not a list of 3");
    EXPECT_EQ(reason(p.list(1)), "element 1 is not a list of 0");

    EXPECT_EQ(thrown([&] { p.stringAt(0); }), "element 0 is not text");
    EXPECT_EQ(thrown([&] { p.arrayAt(2).intAt(5); }), "element 5 missing");

    EXPECT_EQ(p.optionalText(9), nullptr);
    EXPECT_FALSE(p.optionalList(1).has_value());
    EXPECT_FALSE(p.optionalNumber(1).has_value());
    EXPECT_EQ(p.intValue(4), PacketReader::kPastEnd);
    EXPECT_EQ(p.intValue(1), 0);

    const PacketReader notAPacket(Value("text"));
    EXPECT_EQ(notAPacket.count(), 0u);
    EXPECT_EQ(reason(notAPacket.element(0)), "element 0 missing");
}

TEST(PacketReader, WarnLineCarriesTheReasonAndThePacketPreview) {
    fnd::testing::LogCapture log;
    const Value packet = Value::array({22, "x", Value::array({"a long enough name", 3})});
    const PacketReader p(packet);
    PacketReader::warn("room command failed:", reason(p.number(1)), packet);
    int matching = 0;
    for (const std::string& line : log.lines()) {
        if (line.find("room command failed: element 1 is not a number") != std::string::npos) {
            ++matching;
            EXPECT_NE(line.find(fnd::logPreview(packet)), std::string::npos) << line;
            EXPECT_NE(line.find("packet_reader_test.cpp"), std::string::npos) << "logged at the caller: " << line;
        }
    }
    EXPECT_EQ(matching, 1);
}

} // namespace
} // namespace zelvan
