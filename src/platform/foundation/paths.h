// Text operations on '/'-separated file paths, and containedPath, which admits a relative path
// from outside (a script, a server, an archive entry) only if it stays inside a base folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fnd {

// "/tmp/a.txt" -> "a.txt"; "/tmp/" -> "tmp"; "/" -> "/"; "" -> "".
std::string lastPathComponent(std::string_view path);
// "/tmp" + "a.txt" -> "/tmp/a.txt"; repeated and trailing slashes are dropped.
std::string appendingPathComponent(std::string_view path, std::string_view component);
// "/tmp/a.txt" -> "/tmp"; "/tmp" -> "/"; "a.txt" -> "".
std::string deletingLastPathComponent(std::string_view path);
// "a.tar.gz" -> "gz"; no extension (or a leading-dot name such as ".profile") -> "".
std::string pathExtension(std::string_view path);
// "/tmp/a" -> {"/", "tmp", "a"}; a trailing slash adds a final "/" component.
std::vector<std::string> pathComponents(std::string_view path);
// Lexical clean-up: collapses repeated slashes, drops "." and trailing slashes, and resolves ".."
// against the preceding component ("/.." stays "/"; a relative path keeps leading ".."s).
std::string normalise(std::string_view path);

// Joins `relative` under `base` and returns the normalised result, or nullopt (with a log line)
// when `relative` is empty, absolute, contains NUL, names the base itself, or climbs out of `base`
// through "..". The check is lexical; symbolic links inside `base` are not followed.
std::optional<std::string> containedPath(std::string_view base, std::string_view relative);

} // namespace fnd
