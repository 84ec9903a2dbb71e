// File lookup under the site folder and content types by extension.
#include "tools/devserver/site_files.h"

#include <array>
#include <utility>

#include "platform/foundation/file_manager.h"
#include "platform/foundation/paths.h"

namespace zelvan::devserver {

std::optional<std::string> siteFilePath(const std::string& root, std::string_view urlPath) {
    if (root.empty()) {
        return std::nullopt;
    }
    std::string_view path = urlPath.substr(0, urlPath.find_first_of("?#"));
    while (!path.empty() && path.front() == '/') {
        path.remove_prefix(1);
    }
    if (path.empty() || path.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    auto file = fnd::containedPath(root, path);
    bool isDirectory = false;
    if (!file || !fnd::FileManager::fileExistsAtPath(*file, &isDirectory) || isDirectory) {
        return std::nullopt;
    }
    return file;
}

std::string siteContentType(std::string_view path) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kTypes = {{
        {".html", "text/html; charset=utf-8"},
        {".htm", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "application/javascript; charset=utf-8"},
        {".json", "application/json"},
        {".txt", "text/plain; charset=utf-8"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".gif", "image/gif"},
    }};
    for (const auto& [extension, type] : kTypes) {
        if (path.size() >= extension.size() && path.substr(path.size() - extension.size()) == extension) {
            return std::string(type);
        }
    }
    return "application/octet-stream";
}

} // namespace zelvan::devserver
