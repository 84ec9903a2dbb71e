// The zelvan executable: the headless client. It prepares the application folders, starts the
// main run loop and reports what it is; the application core takes over from here.
#include <cstdlib>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

int main() {
    fnd::initMainThread();
    if (!fnd::AppFolders::setUp()) {
        fnd::log("zelvan: cannot prepare the application folders under %s", fnd::AppFolders::root());
        return EXIT_FAILURE;
    }

    const auto& bundle = fnd::Bundle::main();
    auto version = bundle.objectForInfoDictionaryKey("CFBundleVersion");
    auto& loop = fnd::RunLoop::main();
    loop.post([&] {
        fnd::log("%@ %@ started (data in %s)", bundle.bundleIdentifier(), version, fnd::AppFolders::root());
        loop.stop();
    });
    loop.run();
    return EXIT_SUCCESS;
}
