// Reads the process's mappings from procfs and advises the kernel to drop the unmodified pages of the
// GL driver's files.
#include "platform/graphics/gles1_driver_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace gfx {
namespace {

// One mapping of /proc/self/maps or /proc/self/smaps, from its header line.
struct Mapping {
    uintptr_t start = 0;
    uintptr_t end = 0;
    std::string perms;
    std::string path;
};

// The header line of a mapping ("start-end perms offset device inode path"); false for the
// "Key: value" lines smaps puts under each header.
bool parseHeader(const std::string& line, Mapping& out) {
    const std::string_view first = std::string_view(line).substr(0, line.find(' '));
    if (first.empty() || first.back() == ':' || first.find('-') == std::string_view::npos) {
        return false;
    }
    std::istringstream fields(line);
    std::string range;
    std::string offset;
    std::string device;
    std::string inode;
    fields >> range >> out.perms >> offset >> device >> inode;
    std::getline(fields >> std::ws, out.path);
    const size_t dash = range.find('-');
    out.start = std::strtoull(range.substr(0, dash).c_str(), nullptr, 16);
    out.end = std::strtoull(range.substr(dash + 1).c_str(), nullptr, 16);
    return out.end > out.start && out.perms.size() == 4;
}

} // namespace

std::set<std::string> mappedFiles() {
    std::set<std::string> files;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    Mapping mapping;
    while (std::getline(maps, line)) {
        if (parseHeader(line, mapping) && mapping.path.starts_with('/')) {
            files.insert(mapping.path);
        }
    }
    return files;
}

size_t dropUnmodifiedPages(const std::set<std::string>& files) {
    if (files.empty()) {
        return 0;
    }
    // Chosen first and advised after the file is closed: advising changes what smaps reports.
    std::vector<Mapping> unmodified;
    {
        std::ifstream smaps("/proc/self/smaps");
        std::string line;
        Mapping current;
        bool candidate = false;
        while (std::getline(smaps, line)) {
            if (parseHeader(line, current)) {
                candidate = current.perms[1] != 'w' && current.perms[3] == 'p' && files.contains(current.path);
                continue;
            }
            constexpr std::string_view kAnonymous = "Anonymous:";
            if (candidate && line.starts_with(kAnonymous)) {
                if (std::strtoull(line.c_str() + kAnonymous.size(), nullptr, 10) == 0) {
                    unmodified.push_back(current);
                }
                candidate = false;
            }
        }
    }
    size_t dropped = 0;
    for (const Mapping& m : unmodified) {
        if (::madvise(reinterpret_cast<void*>(m.start), m.end - m.start, MADV_DONTNEED) == 0) {
            dropped += m.end - m.start;
        }
    }
    return dropped;
}

} // namespace gfx
