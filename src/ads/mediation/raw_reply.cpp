// The raw reply readers of the plain-HTTP banner networks.
#include "ads/mediation/raw_reply.h"

#include <cmath>
#include <cstdlib>

#include "ads/mediation/med_log.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::mediation {
namespace {

constexpr double kLargestSize = 100000;

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

size_t findMarker(std::string_view source, std::string_view marker, bool caseSensitive, size_t from) {
    if (caseSensitive) {
        return source.find(marker, from);
    }
    if (marker.size() > source.size()) {
        return std::string_view::npos;
    }
    for (size_t i = from; i + marker.size() <= source.size(); ++i) {
        size_t k = 0;
        while (k < marker.size() && foldAscii(source[i + k]) == foldAscii(marker[k])) {
            ++k;
        }
        if (k == marker.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The float an NSString-style reading gives: leading blanks, then the longest number prefix; 0 when none.
float leadingFloat(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

std::optional<int> sizeValue(std::string_view text, const char* start, const char* end) {
    auto between = substringBetween(start, end, false, text);
    if (!between || between->empty()) {
        return std::nullopt;
    }
    const float value = leadingFloat(*between);
    if (!std::isfinite(value) || value < 0 || value > kLargestSize) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

std::string asciiText(const fnd::Bytes& body) {
    return fnd::decodeLatin1(body);
}

std::optional<std::string> substringBetween(const char* start, const char* end, bool caseSensitive,
                                            std::string_view source) {
    if (!start) {
        MED_LOG_FAILURE(3, "Invalid argument. startString == nil");
        return std::nullopt;
    }
    if (!end) {
        MED_LOG_FAILURE(3, "Invalid argument. endString == nil");
        return std::nullopt;
    }
    const std::string_view startMarker(start), endMarker(end);
    const size_t at = findMarker(source, startMarker, caseSensitive, 0);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t from = at + startMarker.size();
    const size_t to = findMarker(source, endMarker, caseSensitive, from);
    if (to == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(source.substr(from, to - from));
}

fnd::Result<std::string> readKavloReply(std::string_view text) {
    if (findMarker(text, "<a href=", false, 0) == std::string_view::npos) {
        return fnd::parseError(fnd::kParseMalformed, text.size(), "no \"<a href=\" in the reply");
    }
    return std::string(text);
}

fnd::Result<SelvoReply> readSelvoReply(std::string_view text) {
    const struct {
        const char* start;
        const char* end;
    } markers[] = {{"<clickUrl>", "</clickUrl>"}, {"<url>", "</url>"}};
    std::string found[2];
    for (int i = 0; i < 2; ++i) {
        auto between = substringBetween(markers[i].start, markers[i].end, false, text);
        if (!between) {
            const size_t at = findMarker(text, markers[i].start, false, 0);
            const bool startMissing = at == std::string_view::npos;
            return fnd::parseError(fnd::kParseMalformed, startMissing ? text.size() : at,
                                   std::string("no \"") + (startMissing ? markers[i].start : markers[i].end) +
                                       "\" in the reply");
        }
        found[i] = std::move(*between);
    }
    return SelvoReply{std::move(found[0]), std::move(found[1])};
}

SelvoSize readSelvoSize(std::string_view text) {
    return SelvoSize{sizeValue(text, "<width>", "</width>"), sizeValue(text, "<height>", "</height>")};
}

} // namespace zelvan::mediation
