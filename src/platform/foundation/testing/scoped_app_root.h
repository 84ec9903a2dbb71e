// ScopedAppRoot: points the application folders at a fresh temporary root for its span, so a test
// writes its caches, databases and preferences where no other test looks, then puts the old root back.
#pragma once

#include <optional>
#include <string>

namespace fnd::testing {

class ScopedAppRoot {
public:
    // Makes an empty folder under the system's temporary folder, sets $ZELVAN_HOME to it, forgets the
    // resolved root (AppFolders::reset) and reloads the standard user defaults from the new root.
    // root() is empty when the folder could not be made; the process root then stays in use.
    ScopedAppRoot();
    // Restores $ZELVAN_HOME (or its absence), resolves the root and the user defaults again, and
    // removes the temporary folder with everything in it.
    ~ScopedAppRoot();
    ScopedAppRoot(const ScopedAppRoot&) = delete;
    ScopedAppRoot& operator=(const ScopedAppRoot&) = delete;

    const std::string& root() const { return root_; }

private:
    std::string root_;
    std::optional<std::string> previous_;
};

} // namespace fnd::testing
