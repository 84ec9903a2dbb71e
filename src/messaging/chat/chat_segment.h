// ChatSegment: one piece of a chat text while it is cut into drawing tokens - a run of plain text or
// one emoticon - and the cutting itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class ChatSegment {
public:
    static constexpr int32_t kTypeText = 1;
    static constexpr int32_t kTypeEmoticon = 2;

    // The segments of `text` in source order: every occurrence of every emoticon (matched literally,
    // ASCII letters in either case) and the runs of text between them. Occurrences of different
    // emoticons may overlap; then both are kept and no text run covers the overlap, so no source text
    // is repeated or lost. Positions count UTF-16 units; since every emoticon is ASCII, a cut never
    // falls inside a surrogate pair.
    static std::vector<ChatSegment> segmentsOfText(std::string_view text);

    // The sort order of segments: this segment's start minus the other's.
    int32_t compareStart(const ChatSegment& other) const { return start - other.start; }

    // For a text segment the text piece; for an emoticon its image resource name ("e<index>").
    std::string text;
    int32_t type = kTypeText;
    // Position and length in the source text, in UTF-16 units.
    int32_t start = 0;
    int32_t length = 0;
};

} // namespace zelvan
