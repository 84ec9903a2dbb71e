// The application's state files: tagged values kept under plain names in the core's documents folder
// (<Documents>/<bundle id>/), written atomically and readable only by the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan {

// The decoded contents of the file, or nullopt when it is missing, unreadable or undecodable. An
// undecodable file is logged and left as it is.
std::optional<fnd::Value> readfile(std::string_view name);

// Encodes the value and replaces the file atomically (mode 0600): a reader sees either the old
// contents or the new ones. False (logged) on failure or for a refused name.
bool writefile(std::string_view name, const fnd::Value& value);

// True when a file of that name exists.
bool existfile(std::string_view name);

// Removes the file if present; true when it is gone afterwards.
bool deletefile(std::string_view name);

} // namespace zelvan
