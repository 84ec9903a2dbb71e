// Fuzz target: chat texts of arbitrary bytes (read as lossy UTF-8) cut into emoticon and text
// segments; the segments must lie in source order, each emoticon must match its source text, and
// the segments must rebuild the text exactly, with nothing repeated or lost.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "messaging/chat/chat_segment.h"
#include "messaging/chat/emoticon_texts.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/utf16.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fnd::decodeUtf8Lossy(fnd::Bytes(data, data + size));
    const auto segments = zelvan::ChatSegment::segmentsOfText(text);

    std::string rebuilt;
    size_t covered = 0;
    int32_t lastStart = -1;
    for (const zelvan::ChatSegment& segment : segments) {
        check(segment.start >= lastStart && segment.length > 0);
        lastStart = segment.start;
        const auto start = static_cast<size_t>(segment.start);
        const auto end = start + static_cast<size_t>(segment.length);
        if (segment.type == zelvan::ChatSegment::kTypeText) {
            check(start == covered);
            check(segment.text == fnd::utf16Substring(text, {start, end - start}));
            rebuilt += segment.text;
        } else {
            check(segment.type == zelvan::ChatSegment::kTypeEmoticon);
            const int index = std::stoi(segment.text.substr(1));
            check(index >= 0 && index < zelvan::kEmoticonCount && segment.text == zelvan::emoticonImageName(index));
            const std::string source = fnd::utf16Substring(text, {start, end - start});
            check(sameIgnoringAsciiCase(source, zelvan::emoticonTextList()[static_cast<size_t>(index)]));
            if (end > covered) {
                const size_t from = std::max(covered, start);
                rebuilt += fnd::utf16Substring(text, {from, end - from});
            }
        }
        covered = std::max(covered, end);
    }
    check(covered == fnd::utf16Length(text));
    check(rebuilt == text);
    return 0;
}
