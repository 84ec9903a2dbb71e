// File-system queries and changes in the style product code expects: existence checks, folders,
// listing, recursive removal, attributes and stamped file creation. Safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"

namespace fnd {

enum class Intermediates { No, Yes };

struct FileAttributes {
    uint64_t size = 0;
    Date modificationDate;
    bool isDirectory = false;
};

// Stateless; every function is static, and defaultManager() exists for call sites written as
// `FileManager::defaultManager().fileExistsAtPath(p)`.
class FileManager {
public:
    static FileManager& defaultManager();

    // True when something exists at `path` (following symbolic links); `isDir` receives whether it
    // is a folder.
    static bool fileExistsAtPath(const std::string& path, bool* isDir = nullptr);
    static bool isRegularFile(const std::string& path);
    // Creates a folder. With Intermediates::Yes missing parents are created too and an existing
    // folder counts as success; with Intermediates::No the parent must exist and the folder not.
    static bool createDirectoryAtPath(const std::string& path, Intermediates intermediates = Intermediates::Yes);
    // Names of the entries of a folder, sorted; nullopt when it is not a readable folder.
    static std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& path);
    // Removes a file or a whole folder tree (symbolic links are removed, not followed). False when
    // nothing was there or something could not be removed.
    static bool removeItemAtPath(const std::string& path);
    static std::optional<FileAttributes> attributesOfItemAtPath(const std::string& path);
    // Writes `bytes` atomically (owner-only permissions), stamped with Clock::now().
    static bool createFileAtPath(const std::string& path, const Bytes& bytes);
    static bool setModificationDate(const std::string& path, Date date);
};

} // namespace fnd
