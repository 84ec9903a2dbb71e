// FolderBudget: the byte budget of one cache folder whose files servers fill. It knows each file's size
// and the order the files were last used, and makes room for a new file by removing the least recently
// used others, so the folder never holds more than its budget.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelvan {

// Files are named relative to the folder, without "/". Not locked: its owner guards it with its own
// lock (or uses it on one thread only).
class FolderBudget {
public:
    using NameTest = std::function<bool(const std::string& name)>;

    explicit FolderBudget(uint64_t maxBytes) : maxBytes_(maxBytes) {}

    // Forgets what it knew and learns the regular files directly in `folder` (ending in "/"), the least
    // recently modified first; names `ignore` accepts are left out.
    void scan(const std::string& folder, const NameTest& ignore = {});
    // Scans `folder` as above, then removes the least recently used files beyond the budget (a folder a
    // run with a larger budget, or no budget, filled); returns the names removed.
    std::vector<std::string> learn(const std::string& folder, const NameTest& ignore = {});
    // Removes files, least recently used first, until `bytes` more fit beside the others; the file
    // `name` itself (which the new bytes replace) and files `pinned` accepts are never removed. False
    // when the bytes cannot fit. The names removed are added to `removed` when given.
    bool makeRoom(const std::string& name, uint64_t bytes, const NameTest& pinned = {},
                  std::vector<std::string>* removed = nullptr);
    // `name` now holds `bytes` bytes and is the most recently used file.
    void stored(const std::string& name, uint64_t bytes);
    // `name` was read: it becomes the most recently used file (an unknown name is ignored).
    void used(const std::string& name);
    // `name` is gone from the folder.
    void removed(const std::string& name);

    uint64_t maxBytes() const { return maxBytes_; }
    uint64_t totalBytes() const { return totalBytes_; }

private:
    struct Entry {
        std::string name;
        uint64_t bytes = 0;
    };

    const uint64_t maxBytes_;
    std::string folder_;
    uint64_t totalBytes_ = 0;
    // Least recently used first.
    std::list<Entry> order_;
    std::unordered_map<std::string, std::list<Entry>::iterator> entries_;
};

} // namespace zelvan
