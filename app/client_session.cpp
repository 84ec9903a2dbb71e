// The client session's start and end shared by the zelvan executable and the demo driver.
#include "app/client_session.h"

#include "app/services.h"
#include "core/state_files.h"
#include "messaging/im_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "platform/foundation/utf16.h"
#include "platform/media/backends.h"
#include "platform/media/wav_file_device.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"

namespace zelvan::app {

namespace {

// The messenger's share of the summary: what its lists and open chats hold at the end.
void logMessengerSummary(zelvanAppDelegate& delegate) {
    auto im = std::dynamic_pointer_cast<IMController>(delegate.im());
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

} // namespace

std::shared_ptr<zelvanAppDelegate> startClient(const LaunchOptions& options) {
    const auto& bundle = fnd::Bundle::main();
    ZLOG(Info, "%@ %@ started (data in %s)", bundle.bundleIdentifier(),
         bundle.objectForInfoDictionaryKey("CFBundleVersion"), fnd::AppFolders::root());

    if (options.account) {
        // The account given on the command line becomes the stored one the start-up signs in with.
        writefile(zelvanAppDelegate::kAccountFile,
                  fnd::Value::dictionary({{"phone", options.account->phone}, {"password", options.account->password}}));
    }

    // Pages run in the JavaScript engine (tests keep the recording host unless they choose this one).
    ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());

    if (options.audioOut) {
        media::installAudioDevice(std::make_shared<media::WavFileDevice>(*options.audioOut));
        ZLOG(Info, "sound goes to %s", *options.audioOut);
    }

    auto delegate = zelvanAppDelegate::create(options.config, makeRegistry());
    zelvanAppDelegate::setInstance(delegate);
    connectServices(*delegate);
    return delegate;
}

void finishClient(zelvanAppDelegate& delegate) {
    delegate.applicationWillTerminate();
    // The counts of lines the log still holds back, before the summary.
    fnd::flushLogRepeats();
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
         delegate.loggedout() ? "not signed in" : "signed in",
         static_cast<long long>(delegate.networkLoop().packetsSent()),
         static_cast<long long>(delegate.networkLoop().packetsReceived()), static_cast<int>(panels.size()));
    logMessengerSummary(delegate);
    zelvanAppDelegate::setInstance(nullptr);
    media::installAudioDevice(nullptr); // closes the WAV file with its final header
}

} // namespace zelvan::app
