// KavloController: the Kavlo client's heart. It reads its settings from Info.plist, keeps the session and
// environment records every stored event carries, asks the user once for consent, samples the network type
// on a connection thread and turns events into queued messages. `Kavlo` is the front the application calls.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/device/location.h"
#include "platform/foundation/clock_sleep.h"
#include "platform/foundation/date.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/value.h"
#include "platform/ui/alert_view.h"

namespace zelvan::kavlo {

class KavloContext;
class KavloDatabase;
class KavloMessenger;

inline constexpr std::string_view kKavloProcess = "KAVLO_APPLICATION_PROCESS";
inline constexpr std::string_view kKavloEvent = "KAVLO_APPLICATION_EVENT";
inline constexpr int kKavloLifecycleLevel = 32;
inline constexpr std::string_view kKavloEnabledDefault = "isKavloEnabled";

class KavloController : public device::LocationManagerDelegate,
                        public ui::AlertViewDelegate,
                        public std::enable_shared_from_this<KavloController> {
public:
    // The controller of the installed registry's Kavlo context (instanceOf); null without a context. An
    // entry point (kavlo_entry_points.cpp), as is initInstanceWithApplicationId.
    static std::shared_ptr<KavloController> getInstance();
    // Makes the controller from the given values and stores it in the installed context, without
    // Info.plist, the start event or the termination observer.
    static std::shared_ptr<KavloController> initInstanceWithApplicationId(const std::string& applicationId,
                                                                          int logLevel, bool useCoreLocation,
                                                                          bool notifyUser);
    // The controller of `context`, made on first use from Info.plist with the start event and the
    // termination observer; a sync follows when consent is settled and given. Null when Info.plist names
    // no application id (one ERROR line).
    static std::shared_ptr<KavloController> instanceOf(const std::shared_ptr<KavloContext>& context);
    // A controller over `context` (its queue is opened for the application), initialised in full.
    static std::shared_ptr<KavloController> initWithApplicationId(const std::shared_ptr<KavloContext>& context,
                                                                  const std::string& applicationId, int logLevel,
                                                                  bool useCoreLocation, bool notifyUser);
    ~KavloController() override;
    KavloController(const KavloController&) = delete;
    KavloController& operator=(const KavloController&) = delete;

    bool isKavloEnabled() const { return enabled_.load(); }
    bool isKavloEnabledKnown() const { return known_.load(); }
    int logLevel() const { return logLevel_; }
    // A snapshot of {"a": session, "h": environment} plus "9" when demographics were given.
    fnd::Value infoDictionary() const;
    // A snapshot of the session record.
    fnd::Value session() const;
    void setInfoDictionaryValue(const std::string& key, const fnd::Value& value);

    // Queues {key: dictionary} with the current session record under "a"; "q" events only with consent.
    void saveDictionary(const fnd::Value& dictionary, const std::string& key);
    void updateSession();
    // Queues the environment record as a new session row.
    void writeApplicationEnvironmentData();
    void updateLocation(const std::shared_ptr<device::Location>& location);
    void updateBattery();
    // The connection thread's body: a network sample at once, then every 600 steps of 0.1 s.
    void connectionThreadMainRoutine();
    // Saves the stop event, ends the connection thread and stops the messenger.
    void willTerminate();
    // The context's messenger, made on first use over this controller when it is the context's; null
    // once the context is gone.
    std::shared_ptr<KavloMessenger> messenger();
    // Cancels the connection thread and waits (bounded) until it has ended.
    void stopConnectionThread();
    bool isConnectionThreadRunning() const { return connectionThreadRunning_.load(); }

    // The record of one event (level, process, event, description, stop).
    static fnd::Value eventRecord(int level, const std::string& process, const std::string& event,
                                  const std::string& description, bool stop);

    void locationManagerDidUpdateToLocation(device::LocationManager&,
                                            const std::shared_ptr<device::Location>& newLocation,
                                            const std::shared_ptr<device::Location>& oldLocation) override;
    void locationManagerDidFailWithError(device::LocationManager& manager, const fnd::Error& error) override;
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    struct Passkey {};

public:
    KavloController(Passkey, std::shared_ptr<KavloContext> context);

private:
    void initialise(const std::string& applicationId, int logLevel, bool useCoreLocation, bool notifyUser);
    void sync();
    fnd::Value sessionLocked() const;
    fnd::Value environmentLocked() const;
    void setLocation(const std::string& latitude, const std::string& longitude);

    std::weak_ptr<KavloContext> context_;
    std::shared_ptr<KavloDatabase> database_;
    std::shared_ptr<device::LocationManager> locationManager_;
    fnd::Date date_;
    std::atomic<bool> enabled_{true};
    std::atomic<bool> known_{false};
    std::atomic<bool> connectionThreadRunning_{false};
    bool recordingLocation_ = false;
    int logLevel_ = 16;
    std::optional<fnd::Thread> connectionThread_;
    fnd::ClockSleep connectionSleep_;
    std::shared_ptr<ui::AlertView> consentAlert_;
    fnd::ObserverToken batteryLevelObserver_;
    fnd::ObserverToken batteryStateObserver_;
    fnd::ObserverToken terminationObserver_;

    // The session and environment values: written by the main, connection and caller threads, read when
    // any record is serialised.
    mutable std::mutex mutex_;
    std::condition_variable threadEnded_;
    std::string timeStamp_, connectionType_ = "null", latitude_ = "null", longitude_ = "null";
    std::string batteryLevel_ = "null", batteryState_ = "null", sessionId_;
    std::string applicationId_, bundleVersion_, deviceId_, deviceModel_, language_ = "null", locale_;
    fnd::Value demographics_;
    bool hasEnvironmentTail_ = false;
};

// The public front: class operations only, reaching the controller of the installed registry (entry
// points, in kavlo_entry_points.cpp).
class Kavlo {
public:
    static void start();
    static void sync();
    static void updateLocation(const std::shared_ptr<device::Location>& location);
    // Stored when the controller's log level is at most `level` (unsigned), with one INFO log line.
    static void logEventWithLevel(int level, const std::string& processName, const std::string& eventName,
                                  const std::string& description, bool stop);
};

} // namespace zelvan::kavlo
