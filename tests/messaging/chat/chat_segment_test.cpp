// Cutting chat texts into emoticon and text segments: emoticon matching in either case, overlapping
// emoticons, surrogate pairs and long texts, with every piece of source text kept exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "messaging/chat/chat_segment.h"
#include "messaging/chat/emoticon_texts.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

// "T:<text>" for a text segment, "E:<image>" for an emoticon.
std::vector<std::string> describe(const std::vector<ChatSegment>& segments) {
    std::vector<std::string> out;
    for (const ChatSegment& s : segments) {
        out.push_back((s.type == ChatSegment::kTypeText ? "T:" : "E:") + s.text);
    }
    return out;
}

// The source text put back together from the segments, each overlap taken once.
std::string rebuild(const std::string& source, const std::vector<ChatSegment>& segments) {
    std::string out;
    size_t covered = 0;
    for (const ChatSegment& s : segments) {
        const size_t start = static_cast<size_t>(s.start);
        const size_t end = start + static_cast<size_t>(s.length);
        if (s.type == ChatSegment::kTypeText) {
            EXPECT_EQ(start, covered) << "text run does not start where the previous segment ended";
            out += s.text;
        } else if (end > covered) {
            const size_t from = std::max(covered, start);
            out += fnd::utf16Substring(source, {from, end - from});
        }
        covered = std::max(covered, end);
    }
    return out;
}

TEST(ChatSegmentTest, CutsTextsIntoEmoticonsAndRuns) {
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"ab :) :D", {"T:ab ", "E:e0", "T: ", "E:e1"}},
        {":d:P:S:O", {"E:e1", "E:e2", "E:e7", "E:e8"}},
        {"(Y)(n)8O|", {"E:e10", "E:e11", "E:e13"}},
        {"[~1~][~10~]", {"E:e16", "E:e25"}},
        {":(l)", {"E:e3", "E:e14"}},
        {"x:'(y", {"T:x", "E:e4", "T:y"}},
        {"plain text", {"T:plain text"}},
        {"", {}},
        {"[~27~] :", {"T:[~27~] :"}},
        {"😀:)😀", {"T:😀", "E:e0", "T:😀"}},
    };
    for (const Case& c : cases) {
        const auto segments = ChatSegment::segmentsOfText(c.text);
        EXPECT_EQ(describe(segments), c.expected) << c.text;
        EXPECT_EQ(rebuild(c.text, segments), c.text) << c.text;
    }

    // Positions count UTF-16 units: the emoji before the emoticon takes two.
    const auto segments = ChatSegment::segmentsOfText("😀:)😀");
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[1].start, 2);
    EXPECT_EQ(segments[1].length, 2);
    EXPECT_EQ(segments[2].start, 4);
    EXPECT_EQ(segments[2].length, 2);
}

TEST(ChatSegmentTest, LongTextsKeepEveryCharacterOnce) {
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "é" + emoticonTextList()[static_cast<size_t>(i % kEmoticonCount)] + "𝄞 ";
    }
    text += ":(l):(l)";
    const auto segments = ChatSegment::segmentsOfText(text);
    EXPECT_EQ(rebuild(text, segments), text);
    EXPECT_EQ(std::count_if(segments.begin(), segments.end(),
                            [](const ChatSegment& s) { return s.type == ChatSegment::kTypeEmoticon; }),
              3000 + 4);
}

} // namespace
} // namespace zelvan
