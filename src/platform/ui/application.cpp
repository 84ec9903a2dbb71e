// The shared application: window registry, recorded URL opening, status bar state, and the layout
// and display passes run from the main run loop's pass observer.
#include "platform/ui/application.h"

#include <filesystem>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url.h"
#include "platform/foundation/verify.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"

namespace ui {

Application& Application::shared() {
    // Held in a shared pointer so the responder chain may take shared_from_this().
    static std::shared_ptr<Application> holder;
    static Application* app = [] {
        holder.reset(new Application());
        Application* raw = holder.get();
        fnd::RunLoop::main().addPassObserver([raw] {
            if (raw->passesRequested_.load()) {
                raw->runPasses();
            }
        });
        return raw;
    }();
    return *app;
}

Application::Application() = default;

std::vector<std::shared_ptr<Window>> Application::windows() const {
    std::vector<std::shared_ptr<Window>> live;
    for (const auto& weak : windows_) {
        if (auto window = weak.lock()) {
            live.push_back(std::move(window));
        }
    }
    return live;
}

void Application::registerWindow(const std::shared_ptr<Window>& window) {
    VERIFY(fnd::isMainThread());
    std::erase_if(windows_, [](const std::weak_ptr<Window>& weak) { return weak.expired(); });
    windows_.push_back(window);
}

void Application::simulateMemoryWarning() {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kApplicationDidReceiveMemoryWarningNotification);
}

bool Application::canOpenURL(const std::string& url) const {
    auto parsed = fnd::Url::parse(url);
    return parsed.has_value() && !parsed->scheme().empty();
}

bool Application::openURL(const std::string& url) {
    VERIFY(fnd::isMainThread());
    if (!canOpenURL(url)) {
        ZLOG(Warn, "Application::openURL: cannot open \"%s\"", fnd::logPreview(url));
        return false;
    }
    openedUrls_.push_back(url);
    return true;
}

void Application::setStatusBarHidden(bool hidden, Animated /*animated*/) {
    statusBarHidden_ = hidden;
}

void Application::setStatusBarStyle(StatusBarStyle style, Animated /*animated*/) {
    statusBarStyle_ = style;
}

void Application::setStatusBarOrientation(InterfaceOrientation orientation, Animated /*animated*/) {
    statusBarOrientation_ = orientation;
}

gfx::Rect Application::statusBarFrame() const {
    return statusBarHidden_ ? gfx::Rect() : gfx::Rect(0, 0, 320, 20);
}

void Application::flush() {
    VERIFY(fnd::isMainThread());
    runPasses();
}

void Application::setNeedsPasses() {
    if (!passesRequested_.exchange(true)) {
        // An empty task makes the main loop run a pass, whose observer runs the passes.
        fnd::RunLoop::main().post([] {});
    }
}

void Application::runPasses() {
    passesRequested_.store(false);
    const auto all = windows();
    for (const auto& window : all) {
        window->layoutIfNeeded();
    }
    for (const auto& window : all) {
        window->displayIfNeeded();
        window->markFrameStale();
    }
}

int Application::dumpScreens(const std::string& folder) {
    VERIFY(fnd::isMainThread());
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    int written = 0;
    int n = 0;
    for (const auto& window : windows()) {
        const std::string path = folder + "/window-" + std::to_string(n++) + ".png";
        if (Snapshot::saveViewAsPng(*window, path)) {
            ++written;
        }
    }
    return written;
}

void Application::terminate() {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kApplicationWillTerminateNotification);
}

} // namespace ui
