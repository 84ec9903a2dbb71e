// The zelvan executable: the headless client. It reads its command line, prepares the application
// folders, hands control to the application delegate on the main run loop, and on the way out
// leaves screenshots and a summary of the session.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/client_session.h"
#include "core/launch_options.h"
#include "core/main_thread.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/signal_watcher.h"
#include "platform/foundation/thread.h"
#include "platform/ui/application.h"

namespace {

int runClient(const zelvan::LaunchOptions& options) {
    auto delegate = zelvan::app::startClient(options);

    auto& loop = fnd::RunLoop::main();
    fnd::SignalWatcher signals(loop, {SIGINT, SIGTERM}, [&loop](int) {
        ZLOG(Info, "interrupted; stopping");
        loop.stop();
    });
    if (options.runSeconds) {
        loop.performAfter(*options.runSeconds, [&loop] { loop.stop(); });
    }
    zelvan::onMain([delegate, tab = options.tab] {
        delegate->applicationDidFinishLaunching();
        if (tab) {
            delegate->switchTab(*tab, ui::Animated::No);
        }
    });
    loop.run();
    signals.cancel();

    if (options.screenshotFolder) {
        ui::Application::shared().flush();
        int written = ui::Application::shared().dumpScreens(*options.screenshotFolder);
        ZLOG(Info, "wrote %d screenshot(s) to %s", written, *options.screenshotFolder);
    }
    zelvan::app::finishClient(*delegate);
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = zelvan::LaunchOptions::parse(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zelvan: %s\n%s", parsed.error().localizedDescription().c_str(),
                     zelvan::LaunchOptions::usage().c_str());
        return 2;
    }
    const zelvan::LaunchOptions& options = parsed.value();
    if (options.help) {
        std::fputs(zelvan::LaunchOptions::usage().c_str(), stdout);
        return EXIT_SUCCESS;
    }
    if (options.home) {
        setenv("ZELVAN_HOME", options.home->c_str(), 1);
    }

    fnd::initMainThread();
    if (!fnd::AppFolders::setUp()) {
        ZLOG(Error, "zelvan: cannot prepare the application folders under %s", fnd::AppFolders::root());
        return EXIT_FAILURE;
    }
    return runClient(options);
}
