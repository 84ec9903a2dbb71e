// Cutting a chat text into emoticon and text segments: one pass per emoticon over the text's UTF-16
// units, then the gaps between the sorted emoticons become text segments.
#include "messaging/chat/chat_segment.h"

#include <algorithm>
#include <limits>

#include "messaging/chat/emoticon_texts.h"
#include "platform/foundation/log.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Whether the emoticon (ASCII) occurs in `units` at `at`, letters matching in either case.
bool matchesAt(std::u16string_view units, size_t at, std::string_view emoticon) {
    if (units.size() - at < emoticon.size()) {
        return false;
    }
    for (size_t k = 0; k < emoticon.size(); ++k) {
        const auto want = static_cast<char16_t>(static_cast<unsigned char>(emoticon[k]));
        if (asciiLower(units[at + k]) != asciiLower(want)) {
            return false;
        }
    }
    return true;
}

ChatSegment textSegment(std::u16string_view units, size_t from, size_t to) {
    ChatSegment segment;
    segment.type = ChatSegment::kTypeText;
    segment.text = fnd::fromUtf16(units.substr(from, to - from));
    segment.start = static_cast<int32_t>(from);
    segment.length = static_cast<int32_t>(to - from);
    return segment;
}

} // namespace

std::vector<ChatSegment> ChatSegment::segmentsOfText(std::string_view text) {
    const std::u16string units = fnd::toUtf16(text);
    if (units.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        ZLOG(Warn, "ChatSegment: text of %lld UTF-16 units is too long to cut", static_cast<long long>(units.size()));
        return {};
    }

    std::vector<ChatSegment> emoticons;
    const auto& list = emoticonTextList();
    for (size_t index = 0; index < list.size(); ++index) {
        const std::string& emoticon = list[index];
        const std::string imageName = emoticonImageName(static_cast<int>(index));
        size_t at = 0;
        while (at < units.size()) {
            if (!matchesAt(units, at, emoticon)) {
                ++at;
                continue;
            }
            ChatSegment segment;
            segment.type = kTypeEmoticon;
            segment.text = imageName;
            segment.start = static_cast<int32_t>(at);
            segment.length = static_cast<int32_t>(emoticon.size());
            emoticons.push_back(std::move(segment));
            at += emoticon.size();
        }
    }
    std::stable_sort(emoticons.begin(), emoticons.end(),
                     [](const ChatSegment& a, const ChatSegment& b) { return a.compareStart(b) < 0; });

    // Text runs fill what no emoticon covers. `covered` is the furthest end reached so far, so an
    // emoticon lying inside or across an earlier one never brings back text already covered.
    std::vector<ChatSegment> segments;
    segments.reserve(emoticons.size() * 2 + 1);
    size_t covered = 0;
    for (ChatSegment& emoticon : emoticons) {
        const auto start = static_cast<size_t>(emoticon.start);
        if (covered < start) {
            segments.push_back(textSegment(units, covered, start));
        }
        covered = std::max(covered, start + static_cast<size_t>(emoticon.length));
        segments.push_back(std::move(emoticon));
    }
    if (covered < units.size()) {
        segments.push_back(textSegment(units, covered, units.size()));
    }
    return segments;
}

} // namespace zelvan
