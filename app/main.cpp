// The zelvan executable: the headless client. It reads its command line, prepares the application
// folders, hands control to the application delegate on the main run loop, and on the way out
// leaves screenshots and a summary of the session.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/services.h"
#include "core/launch_options.h"
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/im_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/signal_watcher.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/utf16.h"
#include "platform/media/backends.h"
#include "platform/media/wav_file_device.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"

namespace {

// The messenger's share of the summary: what its lists and open chats hold at the end.
void logMessengerSummary(zelvan::zelvanAppDelegate& delegate) {
    auto im = std::dynamic_pointer_cast<zelvan::IMController>(delegate.im());
    if (!im) {
        return;
    }
    long long unread = 0;
    const auto chats = im->chat()->chats();
    for (const auto& chat : chats) {
        unread += chat->unread();
    }
    ZLOG(Info, "messenger: friends %d, contacts %d, rooms %d, groups %d, open chats %d, unread lines %lld",
         static_cast<int>(im->zelvanFriends().size()), static_cast<int>(im->abContacts().size()),
         static_cast<int>(im->chatRooms().size()), static_cast<int>(im->chatGroups().size()),
         static_cast<int>(chats.size()), unread);
}

int runClient(const zelvan::LaunchOptions& options) {
    using zelvan::zelvanAppDelegate;
    const auto& bundle = fnd::Bundle::main();
    ZLOG(Info, "%@ %@ started (data in %s)", bundle.bundleIdentifier(),
         bundle.objectForInfoDictionaryKey("CFBundleVersion"), fnd::AppFolders::root());

    if (options.account) {
        // The account given on the command line becomes the stored one the start-up signs in with.
        zelvan::writefile(
            zelvanAppDelegate::kAccountFile,
            fnd::Value::dictionary({{"phone", options.account->phone}, {"password", options.account->password}}));
    }

    // Pages run in the JavaScript engine (tests keep the recording host unless they choose this one).
    ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());

    if (options.audioOut) {
        media::installAudioDevice(std::make_shared<media::WavFileDevice>(*options.audioOut));
        ZLOG(Info, "sound goes to %s", *options.audioOut);
    }

    auto delegate = zelvanAppDelegate::create(options.config, zelvan::app::makeRegistry());
    zelvanAppDelegate::setInstance(delegate);
    zelvan::app::connectServices(*delegate);

    auto& loop = fnd::RunLoop::main();
    fnd::SignalWatcher signals(loop, {SIGINT, SIGTERM}, [&loop](int) {
        ZLOG(Info, "interrupted; stopping");
        loop.stop();
    });
    if (options.runSeconds) {
        loop.performAfter(*options.runSeconds, [&loop] { loop.stop(); });
    }
    loop.post([delegate, tab = options.tab] {
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
    delegate->applicationWillTerminate();
    // What the user had in front of them at the end goes into the summary: the alerts still up.
    const auto panels = ui::AlertPanel::visiblePanels();
    for (const auto& panel : panels) {
        // A title can come from the server: only its start is shown.
        ZLOG(Info, "alert on screen: \"%s\"", fnd::utf16Substring(panel->title(), fnd::Range{0, 80}));
    }
    // Alerts still on screen keep themselves alive until dismissed; the run is over.
    for (const auto& panel : panels) {
        panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
    }
    ZLOG(Info, "session: %s; packets sent %lld, received %lld; alerts on screen: %d",
         delegate->loggedout() ? "not signed in" : "signed in",
         static_cast<long long>(delegate->networkLoop().packetsSent()),
         static_cast<long long>(delegate->networkLoop().packetsReceived()), static_cast<int>(panels.size()));
    logMessengerSummary(*delegate);
    zelvanAppDelegate::setInstance(nullptr);
    media::installAudioDevice(nullptr); // closes the WAV file with its final header
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
