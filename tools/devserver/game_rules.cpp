// Answers of the dev server's game resource services, read from the game folder.
#include "tools/devserver/game_rules.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"

namespace zelvan::devserver {

namespace {

std::string resourcesFolder(const std::string& root) {
    return fnd::appendingPathComponent(root, "resources");
}

std::string folderForType(const std::string& root, int64_t type) {
    return type == kWebResourceType ? fnd::appendingPathComponent(root, "web") : resourcesFolder(root);
}

std::optional<int64_t> fileBytes(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? std::nullopt : std::optional<int64_t>(static_cast<int64_t>(size));
}

} // namespace

std::optional<std::string> fileInside(const std::string& folder, const std::string& relative) {
    std::string_view trimmed = relative;
    while (!trimmed.empty() && trimmed.front() == '/') {
        trimmed.remove_prefix(1);
    }
    if (trimmed.empty() || trimmed.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const auto lexical = fnd::containedPath(folder, trimmed);
    if (!lexical) {
        return std::nullopt;
    }
    std::error_code ec;
    std::error_code baseError;
    const auto resolved = std::filesystem::canonical(*lexical, ec);
    const auto base = std::filesystem::canonical(folder, baseError);
    if (ec || baseError || !std::filesystem::is_regular_file(resolved, ec) || ec) {
        return std::nullopt;
    }
    const auto [baseEnd, childAt] = std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end());
    if (baseEnd != base.end() || childAt == resolved.end()) {
        return std::nullopt;
    }
    return resolved.string();
}

std::vector<fnd::Value> gameCacheRule(const std::string& gameRoot, const fnd::Value& packet) {
    const auto items = packet.asArray();
    if (!items || items->count() % 2 != 1) {
        ZLOG(Warn, "devserver: malformed resource question %@", fnd::logPreview(packet));
        return {};
    }
    std::vector<fnd::Value> replies;
    for (size_t i = 1; i + 1 < items->count(); i += 2) {
        const fnd::Value& key = items->objectAtIndex(i);
        if (!key.isString()) {
            continue;
        }
        const int64_t localSize = items->objectAtIndex(i + 1).asInt().value_or(-1);
        const auto file = fileInside(resourcesFolder(gameRoot), *key.asString());
        const auto bytes = file ? fnd::readFile(*file) : std::nullopt;
        if (!bytes || static_cast<int64_t>(bytes->size()) == localSize) {
            replies.push_back(fnd::Value::array({kGameCacheReplyCommand, key}));
        } else {
            replies.push_back(fnd::Value::array({kGameCacheReplyCommand, key, *bytes}));
        }
    }
    return replies;
}

std::vector<fnd::Value> gameListRule(const std::string& gameRoot, const fnd::Value& packet) {
    const auto items = packet.asArray();
    const auto gameId = items && items->count() == 4 ? items->objectAtIndex(1).asInt() : std::nullopt;
    const auto localVersion = items && items->count() == 4 ? items->objectAtIndex(3).asInt() : std::nullopt;
    if (!gameId || !localVersion || !items->objectAtIndex(2).isString()) {
        ZLOG(Warn, "devserver: malformed download question %@", fnd::logPreview(packet));
        return {};
    }
    const std::string& language = *items->objectAtIndex(2).asString();
    const auto listFile =
        fileInside(fnd::appendingPathComponent(gameRoot, "downloads"), std::to_string(*gameId) + "/" + language);
    const auto listText = listFile ? fnd::readFile(*listFile) : std::nullopt;
    int64_t version = *localVersion;
    auto files = fnd::Value::array();
    if (listText) {
        std::istringstream lines(std::string(listText->begin(), listText->end()));
        lines >> version;
        int64_t type = 0;
        std::string path;
        while (lines >> type >> path) {
            const auto file = fileInside(folderForType(gameRoot, type), path);
            const auto size = file ? fileBytes(*file) : std::nullopt;
            if (!size) {
                ZLOG(Warn, "devserver: download list %@ names a missing file %@", *listFile, path);
                continue;
            }
            files.asArray()->addObject(path);
            files.asArray()->addObject(type);
            files.asArray()->addObject(*size);
        }
    }
    return {fnd::Value::array({kGameListCommand, *gameId, language, version, files})};
}

std::vector<fnd::Value> gameFileRule(const std::string& gameRoot, const fnd::Value& packet) {
    const auto items = packet.asArray();
    if (!items || items->count() % 2 != 1) {
        ZLOG(Warn, "devserver: malformed file question %@", fnd::logPreview(packet));
        return {};
    }
    std::vector<fnd::Value> replies;
    for (size_t i = 1; i + 1 < items->count(); i += 2) {
        const fnd::Value& path = items->objectAtIndex(i);
        const auto type = items->objectAtIndex(i + 1).asInt();
        if (!path.isString() || !type) {
            continue;
        }
        const auto file = fileInside(folderForType(gameRoot, *type), *path.asString());
        const auto bytes = file ? fnd::readFile(*file) : std::nullopt;
        replies.push_back(
            fnd::Value::array({kGameFileCommand, path, *type, bytes ? fnd::Value(*bytes) : fnd::Value()}));
    }
    return replies;
}

void addGameRules(ReplyRules& rules, const std::string& gameRoot) {
    rules[kGameCacheAskCommand] = [gameRoot](const fnd::Value& packet) { return gameCacheRule(gameRoot, packet); };
    rules[kGameListCommand] = [gameRoot](const fnd::Value& packet) { return gameListRule(gameRoot, packet); };
    rules[kGameFileCommand] = [gameRoot](const fnd::Value& packet) { return gameFileRule(gameRoot, packet); };
}

} // namespace zelvan::devserver
