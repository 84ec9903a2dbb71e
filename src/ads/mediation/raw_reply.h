// Reading the raw replies of the plain-HTTP banner networks: bodies as ASCII text (bytes above 0x7F taken
// as Latin-1), the text between two markers, and the fields of a Kavlo or Selvo reply. The readers log
// nothing; their callers do.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/graphics/geometry.h"

namespace zelvan::mediation {

// The body as text: ASCII, with any byte above 0x7F read as the Latin-1 character of that code.
std::string asciiText(const fnd::Bytes& body);

// The text after the first `start` marker up to the first `end` marker after it; nullopt when either is
// missing (an end marker only before the start is missing too). Case-insensitive (ASCII letters) unless
// `caseSensitive`. A null marker is a caller's fault: logged, nullopt.
std::optional<std::string> substringBetween(const char* start, const char* end, bool caseSensitive,
                                            std::string_view source);

// A Kavlo banner: the body itself when it holds "<a href=" in any case, else a parse error at the end of
// the text.
fnd::Result<std::string> readKavloReply(std::string_view text);

// What a Selvo reply names: the click and banner URLs (either may be empty).
struct SelvoReply {
    std::string clickURL, bannerURL;
};
// The URLs between "<clickUrl>"/"</clickUrl>" and "<url>"/"</url>" (markers in any case); a parse error
// at the offset the search reached names the first marker missing.
fnd::Result<SelvoReply> readSelvoReply(std::string_view text);
// The size between "<width>"/"</width>" and "<height>"/"</height>": each non-empty one read as a float
// and truncated; a value that is not finite or not within 0...100000 is left out (nullopt).
struct SelvoSize {
    std::optional<int> width, height;
};
SelvoSize readSelvoSize(std::string_view text);

} // namespace zelvan::mediation
