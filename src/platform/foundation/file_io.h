// Whole-file reads and writes. Atomic writes go through a temporary file in the same folder that is
// synced and renamed over the target, so a reader sees either the old contents or the new ones.
#pragma once

#include <optional>
#include <string>

#include "platform/foundation/bytes.h"

namespace fnd {

enum class Atomic { No, Yes };

// Permission bits for a newly written file.
struct Mode {
    unsigned bits = 0600;
};

// The whole contents of a regular file, or nullopt when it is missing or unreadable (logged unless
// it is simply missing).
std::optional<Bytes> readFile(const std::string& path);

// Replaces the file's contents and stamps its modification time from Clock::now(). With
// Atomic::Yes the data goes to a temporary file in the same folder, is fsynced and renamed over
// `path`; on any failure the temporary file is removed, the old file stays as it was, a line is
// logged and the result is false. The folder must already exist.
bool writeFile(const std::string& path, const Bytes& bytes, Atomic atomic = Atomic::Yes, Mode mode = Mode{});

} // namespace fnd
