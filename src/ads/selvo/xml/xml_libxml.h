// Internals shared by the Selvo XML model's files: libxml2's headers, its one-time set-up, and text
// conversions. Not for use outside the model.
#pragma once

#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <optional>
#include <string>

namespace zelvan::selvo::xmldetail {

// Initialises libxml2 once per process (parses run on operation threads).
void initParser();

inline std::optional<std::string> text(const xmlChar* value) {
    return value != nullptr ? std::optional<std::string>(reinterpret_cast<const char*>(value)) : std::nullopt;
}

inline const xmlChar* chars(const std::string& value) {
    return reinterpret_cast<const xmlChar*>(value.c_str());
}

} // namespace zelvan::selvo::xmldetail
