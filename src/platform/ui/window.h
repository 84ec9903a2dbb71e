// ui::Window: the root view of a displayed tree. Windows register with the application in creation
// order, stack by level, take part in hit testing across windows, deliver touch events to the
// views their touches began on, and keep the last frame composed for off-main snapshots.
#pragma once

#include <memory>
#include <mutex>

#include "platform/graphics/image.h"
#include "platform/ui/touch.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

inline constexpr double kWindowLevelNormal = 0;
inline constexpr double kWindowLevelStatusBar = 1000;
inline constexpr double kWindowLevelAlert = 2000;

class ViewController;

class Window : public View {
public:
    Window();
    ~Window() override;

    std::string className() const override { return "Window"; }
    bool isWindow() const override { return true; }

    // Registers the window with the application. Windows start hidden.
    void initWithFrame(gfx::Rect frame) override;

    // Shows the window and makes it the key window.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;

    double windowLevel() const { return windowLevel_; }
    void setWindowLevel(double level) { windowLevel_ = level; }

    // Resigns the first responder when it is this window or a view inside it. With Force::Yes the
    // responder is not asked whether it may resign. Returns whether nothing inside holds it now.
    bool endEditing(Force force);

    // Delivers each touch of `event` that belongs to this window to the view it began on, grouped
    // by phase: began, moved, ended, then cancelled.
    void sendEvent(const Event& event);

    // The visible window, highest level first and the later of equal levels first, whose hit test
    // takes `screenPoint`, with the view it hits; both null when none does.
    struct Hit {
        std::shared_ptr<Window> window;
        std::shared_ptr<View> view;
    };
    static Hit hitTestWindows(gfx::Point screenPoint, const Event* event);

    // The last frame the main thread composed for this window (null before the first). Safe from
    // any thread and never waits for main: when the frame is stale, a recomposition is posted to
    // the main loop so the next call sees a fresh one.
    gfx::ImagePtr lastComposedFrame();
    // Composes the window now (main thread).
    void composeFrame();

    // The application.
    Responder* nextResponder() const override;

    // The controller whose view fills the window below the status bar (all of it when the
    // controller wants full-screen layout). Setting one adds its view with the appearance calls,
    // and takes the previous one's view away with the disappear calls (window_root_controller.cpp).
    const std::shared_ptr<ViewController>& rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<ViewController> controller);

private:
    friend class Application;
    void markFrameStale();

    double windowLevel_ = kWindowLevelNormal;
    std::shared_ptr<ViewController> rootViewController_;

    std::mutex frameMutex_;
    gfx::ImagePtr composed_;
    bool frameStale_ = true;
    bool recomposePosted_ = false;
};

} // namespace ui
