// TallioAPI: the analytics client's entry points, all class operations on the installed context (defined
// in tallio_entry_points.cpp). The host starts the session at launch, logs its errors and asks for hook
// ads; the client answers nothing back. The guarded operations (startSession, endSession, both logEvent
// and both logError) never let an exception out: it goes to handleException, which drops it. Without a
// context, or before a start or after the end, the operations that reach the current session do nothing.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace ui {
class View;
class ViewController;
} // namespace ui

namespace zelvan::tallio {

class TallioAPI {
public:
    TallioAPI() = delete;

    // Creates the current session (the previous run's unfinished one is queued as crashed), observes the
    // application's termination notice to end it, and sends the stored sessions from the worker pool.
    static void startSession(const std::string& apiKey);
    static void endSession();
    static void logEvent(const std::string& name);
    // `parameters`: a dictionary; keys and values are kept as their texts.
    static void logEvent(const std::string& name, const fnd::Value& parameters);
    static void logError(const std::string& errorId, const std::string& message, std::exception_ptr exception);
    static void logError(const std::string& errorId, const std::string& message, const fnd::Error* error);
    static void countPageViews(const std::shared_ptr<ui::ViewController>& controller);
    static void setUserID(const std::string& userId);
    static void setEventLoggingEnabled(bool on);
    static void setSessionReportsOnCloseEnabled(bool on);
    static void setAppVersion(const std::string& version);

    static void setServerURL(const std::string& url);
    static void setCanvasURL(const std::string& url);
    static void setAppStoreURL(const std::string& url);
    static std::string serverURL();
    static std::string canvasURL();
    static std::string appStoreURL();

    // A hook-ad view (null while no factory is installed).
    static std::shared_ptr<ui::View> getHook(const std::string& hook, int x, int y,
                                             const std::shared_ptr<ui::ViewController>& viewController);
    static std::shared_ptr<ui::View> getHook(const std::string& hook, int x, int y,
                                             const std::shared_ptr<ui::ViewController>& viewController,
                                             bool attachToView, const std::string* orientation);

    // Drops the exception.
    static void handleException(std::exception_ptr exception);

    // Installs the host's error hooks: every traced ERROR goes to logError under "ERROR-LOG", and an
    // exception that ends the process is logged under "UNCAUGHT" before the previous terminate handler
    // runs. The terminate handler is installed once per process; the error recorder again on each call.
    static void installErrorHooks();
};

} // namespace zelvan::tallio
