// Everyday operations on UTF-8 text: prefixes, splitting and joining, replacing, trimming, character
// sets, case mapping and comparison, and a stable 32-bit hash. (Named string_ops so it never shadows
// the C library's <strings.h>.)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/utf16.h"

namespace fnd {

// Whether s starts / ends with the given text (byte-exact; an empty prefix or suffix always matches).
bool hasPrefix(std::string_view s, std::string_view prefix);
bool hasSuffix(std::string_view s, std::string_view suffix);

// Whether x occurs in s; Options::CaseInsensitive folds per code point. An empty x is never found,
// as rangeOfString reports.
bool contains(std::string_view s, std::string_view x, Options options = Options::None);

// The pieces of s between occurrences of separator. An empty s gives one empty piece; an empty
// separator gives s whole.
std::vector<std::string> componentsSeparatedByString(std::string_view s, std::string_view separator);
std::string componentsJoinedByString(const std::vector<std::string>& parts, std::string_view separator);

// s with every non-overlapping occurrence of target (left to right) replaced; an empty target
// changes nothing.
std::string replaceOccurrences(std::string_view s, std::string_view target, std::string_view replacement);

// A set of code points for trimming, removing and allowed-character tests. Cheap to copy.
class CharSet {
public:
    // Space, tab and the other Unicode space separators (U+00A0, U+1680, U+2000-U+200A, U+202F,
    // U+205F, U+3000).
    static const CharSet Whitespace;
    // Whitespace plus U+000A-U+000D, U+0085, U+2028 and U+2029.
    static const CharSet WhitespaceAndNewline;

    // Exactly the code points of `characters` (UTF-8; ill-formed bytes add U+FFFD).
    static CharSet custom(std::string_view characters);

    bool contains(char32_t c) const;

private:
    enum class Kind { Whitespace, WhitespaceAndNewline, Custom };
    struct Custom;
    constexpr explicit CharSet(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::shared_ptr<const Custom> custom_;
};

inline const CharSet CharSet::Whitespace{CharSet::Kind::Whitespace};
inline const CharSet CharSet::WhitespaceAndNewline{CharSet::Kind::WhitespaceAndNewline};

// s without the leading and trailing code points that are in `set`; the rest is kept byte for byte.
std::string trim(std::string_view s, const CharSet& set);

// s without any code point in `set`. Ill-formed bytes read as U+FFFD (and are written as U+FFFD
// when kept).
std::string removeCharacters(std::string_view s, const CharSet& set);

// Lower- / upper-case per code point (glibc's C.UTF-8 mappings: "ÄÖÜ" <-> "äöü", Greek, Cyrillic).
// One code point maps to one, so "ß" stays "ß". Ill-formed bytes become U+FFFD.
std::string lowercase(std::string_view s);
std::string uppercase(std::string_view s);
// ASCII letters A-Z lower-cased, every other byte kept: for protocol tokens (schemes, header and
// attribute names, cookie fields) that must not follow the locale.
std::string lowerAscii(std::string_view s);

// -1, 0 or 1 as a sorts before, equal to or after b, ignoring case: each code point is folded to
// lower(upper(c)) and the folded texts compare by UTF-16 code unit.
int caseInsensitiveCompare(std::string_view a, std::string_view b);

// The folded UTF-16 units caseInsensitiveCompare orders by: comparing two keys by code unit gives its
// order, so a text compared often keeps its key instead of folding it again each time.
std::u16string caseInsensitiveKey(std::string_view s);

// A hash that never changes between runs or builds, for file names: FNV-1a 32-bit (offset basis
// 2166136261, prime 16777619) over the UTF-16 code units of s, each unit fed as two bytes, low
// byte first. Ill-formed UTF-8 hashes as its U+FFFD replacements.
uint32_t stableHash32(std::string_view s);

} // namespace fnd
