// Game files on disk: the rule by which game code may open a file: a path is admitted only when, with ".." and symbolic
// links resolved, it names a regular file inside one of the allowed folders (the game resource cache
// and the bundle's resources).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan {

// The resolved path of the absolute `path` when it is a regular file inside one of `roots` (each
// resolved too); nullopt for anything else: relative paths, missing files, folders, paths leading out
// through ".." or a link.
std::optional<std::string> gameFilePath(const std::string& path, const std::vector<std::string>& roots);

// The bytes of the regular file at `path`, or nullopt (no file, a folder, or unreadable).
std::optional<fnd::Bytes> newFileData(const std::string& path);

} // namespace zelvan
