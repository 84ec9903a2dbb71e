// The byte budget of a cache folder: its files in order of last use, and making room by removing the
// least recently used ones.
#include "core/folder_budget.h"

#include <algorithm>
#include <tuple>

#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"

namespace zelvan {

void FolderBudget::scan(const std::string& folder, const NameTest& ignore) {
    folder_ = folder;
    totalBytes_ = 0;
    order_.clear();
    entries_.clear();
    const auto names = fnd::FileManager::contentsOfDirectoryAtPath(folder_);
    if (!names) {
        return;
    }
    // (modification date, name, size) of each regular file, oldest first.
    std::vector<std::tuple<double, std::string, uint64_t>> files;
    for (const std::string& name : *names) {
        if (ignore && ignore(name)) {
            continue;
        }
        const std::string path = folder_ + name;
        const auto attributes = fnd::FileManager::attributesOfItemAtPath(path);
        if (attributes && !attributes->isDirectory && fnd::FileManager::isRegularFile(path)) {
            files.emplace_back(attributes->modificationDate.sinceReferenceDate(), name, attributes->size);
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& [date, name, bytes] : files) {
        stored(name, bytes);
    }
}

std::vector<std::string> FolderBudget::learn(const std::string& folder, const NameTest& ignore) {
    scan(folder, ignore);
    std::vector<std::string> removed;
    makeRoom("", 0, {}, &removed);
    return removed;
}

bool FolderBudget::makeRoom(const std::string& name, uint64_t bytes, const NameTest& pinned,
                            std::vector<std::string>* removed) {
    const auto own = entries_.find(name);
    const uint64_t others = totalBytes_ - (own != entries_.end() ? own->second->bytes : 0);
    if (bytes > maxBytes_) {
        return false;
    }
    if (others <= maxBytes_ - bytes) {
        return true;
    }
    // Choose first, so nothing is removed when even every removable file would not make room.
    const uint64_t excess = others - (maxBytes_ - bytes);
    std::vector<std::list<Entry>::iterator> victims;
    uint64_t freed = 0;
    for (auto it = order_.begin(); it != order_.end() && freed < excess; ++it) {
        if (it->name != name && !(pinned && pinned(it->name))) {
            victims.push_back(it);
            freed += it->bytes;
        }
    }
    if (freed < excess) {
        return false;
    }
    bool room = true;
    for (const auto& victim : victims) {
        const std::string path = folder_ + victim->name;
        if (!fnd::FileManager::removeItemAtPath(path) && fnd::FileManager::fileExistsAtPath(path)) {
            ZLOG(Warn, "failed to remove file %@", path);
            room = false;
            continue;
        }
        if (removed != nullptr) {
            removed->push_back(victim->name);
        }
        this->removed(victim->name);
    }
    return room;
}

void FolderBudget::stored(const std::string& name, uint64_t bytes) {
    removed(name);
    order_.push_back(Entry{name, bytes});
    entries_[name] = std::prev(order_.end());
    totalBytes_ += bytes;
}

void FolderBudget::used(const std::string& name) {
    if (const auto found = entries_.find(name); found != entries_.end()) {
        order_.splice(order_.end(), order_, found->second);
    }
}

void FolderBudget::removed(const std::string& name) {
    const auto found = entries_.find(name);
    if (found == entries_.end()) {
        return;
    }
    totalBytes_ -= found->second->bytes;
    order_.erase(found->second);
    entries_.erase(found);
}

} // namespace zelvan
