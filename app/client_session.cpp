// The client session's start and end shared by the zelvan executable and the demo driver.
#include "app/client_session.h"

#include <algorithm>

#include "analytics/tallio/tallio_api.h"
#include "app/services.h"
#include "core/state_files.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "platform/foundation/utf16.h"
#include "platform/media/backends.h"
#include "platform/media/wav_file_device.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/window.h"
#include "toolkit/z_simple_alert_view.h"

namespace zelvan::app {

namespace {

// The application's key at the analytics data server.
constexpr const char* kTallioApiKey = "K7WDRXHN2TQ4VMBJ8LCA";

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

// The in-view alerts showing in the window or in any tab's screens (a tab not selected keeps its screens'
// views, and what shows over them).
std::vector<std::shared_ptr<ZSimpleAlertView>> inViewAlerts(zelvanAppDelegate& delegate) {
    std::vector<std::shared_ptr<ui::View>> roots{delegate.window()};
    if (auto tabs = delegate.tabBarController()) {
        for (const auto& tab : tabs->viewControllers()) {
            auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tab);
            for (const auto& screen : nav ? nav->viewControllers() : std::vector{tab}) {
                if (screen->isViewLoaded()) {
                    roots.push_back(screen->view());
                }
            }
        }
    }
    std::vector<std::shared_ptr<ZSimpleAlertView>> alerts;
    for (const auto& root : roots) {
        for (auto& alert : ZSimpleAlertView::alertsShowingIn(root)) {
            if (std::find(alerts.begin(), alerts.end(), alert) == alerts.end()) {
                alerts.push_back(std::move(alert));
            }
        }
    }
    return alerts;
}

} // namespace

std::shared_ptr<zelvanAppDelegate> startClient(const LaunchOptions& options) {
    if (options.logLevel) {
        fnd::setMinLogLevel(*options.logLevel);
    }
    for (const auto& [channel, level] : options.channelLogLevels) {
        fnd::setChannelLogLevel(channel, level);
    }
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

    auto delegate = zelvanAppDelegate::create(options.config, makeRegistry(options.config.adsBase));
    zelvanAppDelegate::setInstance(delegate);
    connectServices(*delegate);
    // The analytics session of this run: traced errors and an uncaught exception are recorded in it, the
    // previous run's sessions are reported, and the termination notice ends it.
    tallio::TallioAPI::installErrorHooks();
    tallio::TallioAPI::startSession(kTallioApiKey);
    return delegate;
}

void finishClient(zelvanAppDelegate& delegate) {
    // The termination notice: the analytics session ends and joins the stored sessions.
    ui::Application::shared().terminate();
    delegate.applicationWillTerminate();
    // The counts of lines the log still holds back, before the summary.
    fnd::flushLogRepeats();
    // What the user had in front of them at the end goes into the summary: the alerts still up.
    const auto panels = ui::AlertPanel::visiblePanels();
    for (const auto& panel : panels) {
        // A title can come from the server: only its start is shown.
        ZLOG(Info, "alert on screen: \"%s\"", fnd::utf16Substring(panel->title(), fnd::Range{0, 80}));
    }
    // Alerts still on screen keep themselves alive until dismissed; the run is over. An alert that
    // waited behind one of them comes up as it goes, and is dismissed in turn.
    for (auto up = panels; !up.empty(); up = ui::AlertPanel::visiblePanels()) {
        for (const auto& panel : up) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
    }
    // The kit's alerts over a screen count too; their host views hold them, and go with the window.
    const auto inView = inViewAlerts(delegate);
    for (const auto& alert : inView) {
        ZLOG(Info, "alert on screen: \"%s\"", fnd::utf16Substring(alert->label()->text(), fnd::Range{0, 80}));
    }
    ZLOG(Info, "session: %s; packets sent %lld, received %lld; alerts on screen: %d",
         delegate.loggedout() ? "not signed in" : "signed in",
         static_cast<long long>(delegate.networkLoop().packetsSent()),
         static_cast<long long>(delegate.networkLoop().packetsReceived()),
         static_cast<int>(panels.size() + inView.size()));
    logMessengerSummary(delegate);
    zelvanAppDelegate::setInstance(nullptr);
    media::installAudioDevice(nullptr); // closes the WAV file with its final header
}

} // namespace zelvan::app
