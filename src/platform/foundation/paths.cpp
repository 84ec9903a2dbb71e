// Path text helpers. They work on the characters alone and never touch the file system.
#include "platform/foundation/paths.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace fnd {
namespace {

// The non-empty pieces between slashes.
std::vector<std::string_view> splitComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t slash = path.find('/', i);
        if (slash == std::string_view::npos) {
            slash = path.size();
        }
        if (slash > i) {
            parts.push_back(path.substr(i, slash - i));
        }
        i = slash + 1;
    }
    return parts;
}

std::string joinComponents(bool absolute, const std::vector<std::string_view>& parts) {
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += '/';
        }
        out += parts[i];
    }
    return out;
}

bool isAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

} // namespace

std::string lastPathComponent(std::string_view path) {
    auto parts = splitComponents(path);
    if (parts.empty()) {
        return isAbsolute(path) ? "/" : "";
    }
    return std::string(parts.back());
}

std::string appendingPathComponent(std::string_view path, std::string_view component) {
    auto parts = splitComponents(path);
    for (auto piece : splitComponents(component)) {
        parts.push_back(piece);
    }
    bool absolute = isAbsolute(path) || (path.empty() && isAbsolute(component));
    return joinComponents(absolute, parts);
}

std::string deletingLastPathComponent(std::string_view path) {
    auto parts = splitComponents(path);
    if (!parts.empty()) {
        parts.pop_back();
    }
    return joinComponents(isAbsolute(path), parts);
}

std::string pathExtension(std::string_view path) {
    std::string last = lastPathComponent(path);
    size_t dot = last.rfind('.');
    if (dot == std::string::npos || dot == 0 || last == "/") {
        return "";
    }
    return last.substr(dot + 1);
}

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> out;
    if (isAbsolute(path)) {
        out.emplace_back("/");
    }
    auto parts = splitComponents(path);
    for (auto piece : parts) {
        out.emplace_back(piece);
    }
    if (!parts.empty() && path.back() == '/') {
        out.emplace_back("/");
    }
    return out;
}

std::string normalise(std::string_view path) {
    bool absolute = isAbsolute(path);
    std::vector<std::string_view> kept;
    for (auto piece : splitComponents(path)) {
        if (piece == ".") {
            continue;
        }
        if (piece == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
            } else if (!absolute) {
                kept.push_back(piece);
            }
            continue;
        }
        kept.push_back(piece);
    }
    std::string out = joinComponents(absolute, kept);
    if (out.empty() && !path.empty() && !absolute) {
        return ".";
    }
    return out;
}

std::optional<std::string> containedPath(std::string_view base, std::string_view relative) {
    const char* reason = nullptr;
    std::vector<std::string_view> kept;
    if (relative.find('\0') != std::string_view::npos || base.find('\0') != std::string_view::npos) {
        reason = "contains a NUL byte";
    } else if (isAbsolute(relative)) {
        reason = "is absolute";
    } else {
        for (auto piece : splitComponents(relative)) {
            if (piece == ".") {
                continue;
            }
            if (piece == "..") {
                if (kept.empty()) {
                    reason = "escapes its folder";
                    break;
                }
                kept.pop_back();
                continue;
            }
            kept.push_back(piece);
        }
        if (reason == nullptr && kept.empty()) {
            reason = "names no file inside its folder";
        }
    }
    if (reason != nullptr) {
        ZLOG(Warn, "containedPath: refused \"%@\": path %s", logPreview(relative), reason);
        return std::nullopt;
    }
    std::string out = normalise(base);
    for (auto piece : kept) {
        if (!out.empty() && out.back() != '/') {
            out += '/';
        }
        out += piece;
    }
    return out;
}

} // namespace fnd
