// ScopedAppRoot: a temporary $ZELVAN_HOME for one test, with the process state that reads the root
// (the resolved root and the standard user defaults) moved to it and back.
#include "platform/foundation/testing/scoped_app_root.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/user_defaults.h"

namespace fnd::testing {

namespace {

// Points every reader of the root at $ZELVAN_HOME as it is now.
void followEnvironment() {
    AppFolders::reset();
    UserDefaults::resetStandard();
}

} // namespace

ScopedAppRoot::ScopedAppRoot() {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zelvan-test-XXXXXX").string();
    if (ec || ::mkdtemp(pattern.data()) == nullptr) {
        ZLOG(Error, "ScopedAppRoot: cannot make a temporary application root; keeping %@", AppFolders::root());
        return;
    }
    root_ = pattern;
    if (const char* current = std::getenv("ZELVAN_HOME")) {
        previous_ = current;
    }
    ::setenv("ZELVAN_HOME", root_.c_str(), 1);
    followEnvironment();
}

ScopedAppRoot::~ScopedAppRoot() {
    if (root_.empty()) {
        return;
    }
    if (previous_) {
        ::setenv("ZELVAN_HOME", previous_->c_str(), 1);
    } else {
        ::unsetenv("ZELVAN_HOME");
    }
    followEnvironment();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
    if (ec) {
        ZLOG(Warn, "ScopedAppRoot: could not remove %@: %@", root_, ec.message());
    }
}

} // namespace fnd::testing
