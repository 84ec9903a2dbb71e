// ui::Application: the shared application object - its windows and key window, URLs handed to the
// system (recorded for tests), the status bar, idle timer and activity flags, and the layout and
// display passes that run at the end of every main-loop pass (or on demand through flush()).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/responder.h"
#include "platform/ui/types.h"

namespace ui {

class Window;

inline constexpr std::string_view kApplicationWillTerminateNotification = "ApplicationWillTerminateNotification";
inline constexpr std::string_view kApplicationDidReceiveMemoryWarningNotification =
    "ApplicationDidReceiveMemoryWarningNotification";

enum class InterfaceOrientation { Portrait = 1, PortraitUpsideDown = 2, LandscapeLeft = 3, LandscapeRight = 4 };

enum class StatusBarStyle { Default = 0, BlackTranslucent = 1, BlackOpaque = 2 };

class Application : public Responder {
public:
    // The process-wide application (main thread). The first call installs the pass observer on the
    // main run loop.
    static Application& shared();

    std::string className() const override { return "Application"; }

    // --- Windows ---
    std::shared_ptr<Window> keyWindow() const { return keyWindow_.lock(); }
    // Live windows in creation order.
    std::vector<std::shared_ptr<Window>> windows() const;

    // Posts kApplicationDidReceiveMemoryWarningNotification.
    void simulateMemoryWarning();

    // --- URLs ---
    // Records the URL (tests read openedUrls()) and answers whether it could be opened: a URL that
    // parses and has a scheme.
    bool openURL(const std::string& url);
    bool canOpenURL(const std::string& url) const;
    const std::vector<std::string>& openedUrls() const { return openedUrls_; }
    void clearOpenedUrls() { openedUrls_.clear(); }
    // Whether dialling asks the user first; never on this platform.
    bool telConfirmsCalls() const { return false; }

    // --- Status bar and flags ---
    bool statusBarHidden() const { return statusBarHidden_; }
    void setStatusBarHidden(bool hidden, Animated animated = Animated::No);
    StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
    void setStatusBarStyle(StatusBarStyle style, Animated animated = Animated::No);
    // (0, 0, 320, 20), or empty while hidden.
    gfx::Rect statusBarFrame() const;
    InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
    void setStatusBarOrientation(InterfaceOrientation orientation, Animated animated = Animated::No);
    bool idleTimerDisabled() const { return idleTimerDisabled_; }
    void setIdleTimerDisabled(bool disabled) { idleTimerDisabled_ = disabled; }
    bool networkActivityIndicatorVisible() const { return networkActivityIndicatorVisible_; }
    void setNetworkActivityIndicatorVisible(bool visible) { networkActivityIndicatorVisible_ = visible; }

    // --- Rotation ---
    // Asks the key window's top controller (the root, or what it presents) whether it turns to
    // `orientation`. If it agrees: will-rotate, then the interface and status bar orientation change
    // and the root view (and a presented one) takes 480x320 in landscape or the application frame in
    // portrait, then did-rotate. Returns whether it turned.
    bool rotateTo(InterfaceOrientation orientation);
    // What every controller reports as its interfaceOrientation(); Portrait until a rotation.
    InterfaceOrientation interfaceOrientation() const { return interfaceOrientation_; }

    // --- Passes ---
    // Runs the layout pass and then the display pass over every window now.
    void flush();
    // Asks for a pass at the end of the next main-loop pass (wakes the main loop). Safe from any
    // thread; views call it when they need layout or display.
    void setNeedsPasses();

    // Posts kApplicationWillTerminateNotification.
    void terminate();

    // Writes every window as <folder>/window-<n>.png (n from 0, creation order), creating the
    // folder; returns how many were written.
    int dumpScreens(const std::string& folder);

    // --- Bookkeeping for windows (main thread) ---
    void registerWindow(const std::shared_ptr<Window>& window);
    void setKeyWindow(const std::shared_ptr<Window>& window) { keyWindow_ = window; }

private:
    Application();
    void runPasses();

    std::vector<std::weak_ptr<Window>> windows_;
    std::weak_ptr<Window> keyWindow_;
    std::vector<std::string> openedUrls_;
    bool statusBarHidden_ = false;
    StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
    InterfaceOrientation statusBarOrientation_ = InterfaceOrientation::Portrait;
    InterfaceOrientation interfaceOrientation_ = InterfaceOrientation::Portrait;
    bool idleTimerDisabled_ = false;
    bool networkActivityIndicatorVisible_ = false;
    std::atomic<bool> passesRequested_{false};
};

} // namespace ui
