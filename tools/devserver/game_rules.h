// The dev server's game resource services, answered from a game folder: the resource cache's
// questions (76, one 23 per key) and the download runs' file lists (406) and files (410). Keys and
// paths never reach outside the folder.
//
// Folder layout:
//   resources/<key>                 game resources (76, and 410 files of any type but 1)
//   web/<path>                      web resources (410 files of type 1)
//   downloads/<game id>/<language>  a download list: the version on the first line, then one
//                                   "<type> <path>" line per file
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/value.h"
#include "tools/devserver/dev_rules.h"

namespace zelvan::devserver {

inline constexpr int kGameCacheAskCommand = 76;
inline constexpr int kGameCacheReplyCommand = 23;
inline constexpr int kGameListCommand = 406;
inline constexpr int kGameFileCommand = 410;
inline constexpr int kWebResourceType = 1;

// Adds the rules for 76, 406 and 410 over `gameRoot`.
void addGameRules(ReplyRules& rules, const std::string& gameRoot);

// [76, key, size, ...] -> per key [23, key] when the folder's file has that size or there is no
// file, else [23, key, bytes]. A packet with an odd payload gets nothing.
std::vector<fnd::Value> gameCacheRule(const std::string& gameRoot, const fnd::Value& packet);
// [406, game id, language, local version] -> [406, game id, language, version, [path, type, size, ...]];
// a game and language without a list get their own version back and no files.
std::vector<fnd::Value> gameListRule(const std::string& gameRoot, const fnd::Value& packet);
// [410, path, type, ...] -> per file [410, path, type, bytes], or null bytes when there is no file.
std::vector<fnd::Value> gameFileRule(const std::string& gameRoot, const fnd::Value& packet);

// The regular file under `folder` that `relative` names; nullopt when it climbs out (through ".." or
// a symbolic link) or is not a regular file.
std::optional<std::string> fileInside(const std::string& folder, const std::string& relative);

} // namespace zelvan::devserver
