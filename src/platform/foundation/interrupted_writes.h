// The temporary files that atomic writes leave behind when the process is killed between creating
// them and renaming them into place (".<name>.tmp-XXXXXX" beside the target). They may hold whatever
// was being written (an account file holds a password), so they are removed rather than left.
#pragma once

#include <string>

namespace fnd {

// Whether `fileName` (a name, not a path) is such a temporary file.
bool isAtomicWriteTemporary(const std::string& fileName);

// Removes the temporary files of interrupted atomic writes of `path` lying beside it, whatever their
// age; for a file that is being deleted. Returns how many were removed.
int removeAtomicWriteTemporaries(const std::string& path);

// Removes, anywhere under `folder`, the temporary files of atomic writes that were last modified
// before this process started: a write of this process would be younger, so these were left by a
// process that died mid-write. Symbolic links are not followed. Returns how many were removed and
// logs one line when there were any.
int sweepInterruptedWrites(const std::string& folder);

} // namespace fnd
