// The dev server's web site folder: which file a URL path names (never one outside the folder) and
// the content type it is served with. Shared by the web server and the game server's command 400.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvan::devserver {

// The regular file under `root` that `urlPath` names ("/iphone/home.html" -> <root>/iphone/home.html),
// ignoring a query or fragment. nullopt when the path is empty, climbs out of the folder, or names
// no regular file.
std::optional<std::string> siteFilePath(const std::string& root, std::string_view urlPath);

// The content type for a file name's extension ("text/html; charset=utf-8", "image/png", ...);
// "application/octet-stream" for anything unknown.
std::string siteContentType(std::string_view path);

} // namespace zelvan::devserver
