// The resident memory of the GL driver's files: which files the process has mapped, and dropping the
// pages of some of them that are plain copies of the file. Private to gfx's GL context.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace gfx {

// The paths of the files mapped into this process (/proc/self/maps); empty when it cannot be read.
std::set<std::string> mappedFiles();

// Drops from the resident set the mappings of `files` that only hold copies of their file: private, not
// writable, and without a page of their own (no copy-on-write page, such as relocated data). The
// kernel reads such pages again from the page cache when they are next used, so nothing changes but
// the process's resident size. Returns the bytes of the mappings dropped.
size_t dropUnmodifiedPages(const std::set<std::string>& files);

} // namespace gfx
