// The application's state files: tagged values kept under plain names in the core's documents folder
// (<Documents>/<bundle id>/), written atomically and readable only by the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

// The domain of readfile's errors other than contents that do not decode, and its codes.
inline constexpr std::string_view kStateFileErrorDomain = "zelvan.state";
enum StateFileErrorCode : int64_t {
    kStateFileRefusedName = 1, // not a plain file name (logged when refused)
    kStateFileMissing = 2,     // no such file: the normal case before the first write
    kStateFileUnreadable = 3,  // present but unreadable (logged by the file layer)
};
// User-info key of every readfile error that names a file: its full path.
inline constexpr std::string_view kStateFilePathKey = "FilePath";

// The decoded contents of the file. Contents that do not decode give the codec's parse error (see
// loads) with the path added under kStateFilePathKey, and the file is left as it is; other failures
// give a kStateFileErrorDomain error.
fnd::Result<fnd::Value> readfile(std::string_view name);

// What a caller that goes on without the file logs for a readfile error: for contents that do not
// decode, "WARN codec: <description>" and "WARN state files: <path> could not be decoded and is left
// as it is"; nothing for the other errors, which are either normal or logged where they arose.
void logReadfileError(const fnd::Error& error);

// Encodes the value and replaces the file atomically (mode 0600): a reader sees either the old
// contents or the new ones. False (logged) on failure or for a refused name.
bool writefile(std::string_view name, const fnd::Value& value);

// True when a file of that name exists.
bool existfile(std::string_view name);

// Removes the file if present; true when it is gone afterwards.
bool deletefile(std::string_view name);

} // namespace zelvan
