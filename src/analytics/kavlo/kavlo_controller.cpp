// The Kavlo controller: settings, consent, the session and environment records, the connection thread
// and the event records.
#include "analytics/kavlo/kavlo_controller.h"

#include <errno.h>

#include <chrono>
#include <utility>

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_messenger.h"
#include "analytics/kavlo/kavlo_reachability.h"
#include "analytics/kavlo/kavlo_strings.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application.h"

namespace zelvan::kavlo {

namespace {

// How long termination waits for the connection thread at most (real time): it ends within one check.
constexpr auto kThreadEndBound = std::chrono::seconds(2);
// Steps of 0.1 s between two network samples.
constexpr int kSampleTicks = 600;

std::string processName() {
    return program_invocation_short_name ? program_invocation_short_name : "zelvan";
}

// The calling thread's identity as plain lowercase hexadecimal.
std::string threadIdentity() {
    std::string hex = fnd::Thread::current().identityHex();
    return hex.starts_with("0x") ? hex.substr(2) : hex;
}

} // namespace

KavloController::KavloController(Passkey, std::shared_ptr<KavloContext> context) : context_(context) {}

KavloController::~KavloController() {
    stopConnectionThread();
}

std::shared_ptr<KavloController> KavloController::instanceOf(const std::shared_ptr<KavloContext>& ctx) {
    if (!ctx) {
        return nullptr;
    }
    std::shared_ptr<KavloController> controller;
    bool made = false;
    {
        std::lock_guard lock(ctx->classLock());
        controller = ctx->controller();
        if (!controller) {
            if (ctx->misconfigured) {
                return nullptr;
            }
            const auto& bundle = fnd::Bundle::main();
            const fnd::Value id = bundle.objectForInfoDictionaryKey("MCApplicationId");
            if (!id.isString() || id.asString()->empty()) {
                ctx->misconfigured = true;
                ZLOG_TO(kKavloLog, Error, "Kavlo: Application Id not specified in Info.plist for application.");
                return nullptr;
            }
            const fnd::Value levelValue = bundle.objectForInfoDictionaryKey("MCLogLevel");
            int level = levelValue.isNull() ? 16 : levelValue.intValue();
            level = level <= 0 ? 1 : (level > 16 ? 16 : level);
            const bool location = bundle.objectForInfoDictionaryKey("MCUseCoreLocation").boolValue();
            const bool notify = bundle.objectForInfoDictionaryKey("MCNotifyUser").boolValue();
            controller = initWithApplicationId(ctx, *id.asString(), level, location, notify);
            ctx->setController(controller);
            controller->saveDictionary(eventRecord(kKavloLifecycleLevel, std::string(kKavloProcess),
                                                   std::string(kKavloEvent), fnd::format("%@ STARTED", processName()),
                                                   false),
                                       "q");
            controller->terminationObserver_ = fnd::NotificationCenter::defaultCenter().observe(
                std::string(ui::kApplicationWillTerminateNotification), std::weak_ptr<KavloController>(controller),
                &KavloController::willTerminate);
            made = true;
        }
    }
    if (made && controller->isKavloEnabledKnown() && controller->isKavloEnabled()) {
        controller->sync();
    }
    return controller;
}

std::shared_ptr<KavloController> KavloController::initWithApplicationId(const std::shared_ptr<KavloContext>& context,
                                                                        const std::string& applicationId, int logLevel,
                                                                        bool useCoreLocation, bool notifyUser) {
    auto controller = std::make_shared<KavloController>(Passkey{}, context);
    controller->initialise(applicationId, logLevel, useCoreLocation, notifyUser);
    return controller;
}

void KavloController::initialise(const std::string& applicationId, int logLevel, bool useCoreLocation,
                                 bool notifyUser) {
    auto ctx = context_.lock();
    recordingLocation_ = useCoreLocation;
    auto& device = device::Device::current();
    date_ = fnd::Clock::now();
    const std::string deviceId = device.uniqueIdentifier();
    {
        std::lock_guard lock(mutex_);
        timeStamp_ = fnd::format("%lf", date_.since1970() * 1000.0);
        sessionId_ = MCCreateSHA1String(fnd::format("%@%lf", deviceId, date_.since1970() * 1000.0));
        applicationId_ = applicationId;
        bundleVersion_ = fnd::Bundle::main().objectForInfoDictionaryKey("CFBundleVersion").stringValue();
    }
    logLevel_ = logLevel;
    database_ = std::make_shared<KavloDatabase>(applicationId);
    if (ctx) {
        ctx->setDatabase(database_);
    }

    if (notifyUser) {
        const fnd::Value stored = fnd::UserDefaults::standard().objectForKey(kKavloEnabledDefault);
        if (!stored.isNull()) {
            enabled_ = stored.boolValue();
            known_ = true;
        } else {
            const std::string name = fnd::Bundle::main().objectForInfoDictionaryKey("CFBundleName").stringValue();
            consentAlert_ = ui::AlertView::initWithTitle(
                "", fnd::format("\"%@\" would like to gather anonymous usage statistics", name), weak_from_this(),
                std::nullopt, {"Don't Allow", "OK"});
            consentAlert_->show();
        }
    } else {
        enabled_ = true;
        known_ = true;
    }

    {
        std::lock_guard lock(mutex_);
        deviceId_ = deviceId;
        deviceModel_ = fnd::format("%@ %@", device.model(), device.systemVersion());
        const auto languages = fnd::Locale::preferredLanguages();
        language_ = languages.empty() ? "null" : languages.front();
        locale_ = fnd::Locale::current().identifier();
        hasEnvironmentTail_ = true;
    }
    if (ctx) {
        ctx->reachability()->setHostName(ctx->serverHost());
    }

    connectionThreadRunning_ = true;
    std::weak_ptr<KavloController> weak = weak_from_this();
    connectionThread_.emplace([weak] {
        if (auto strong = weak.lock()) {
            strong->connectionThreadMainRoutine();
        }
    });
    connectionThread_->setName("kavlo-connection");
    connectionThread_->start();

    if (useCoreLocation) {
        locationManager_ = device::LocationManager::create();
        locationManager_->setDelegate(weak_from_this());
        locationManager_->startUpdatingLocation();
    }
    device.setBatteryMonitoringEnabled(true);
    if (device.isBatteryMonitoringEnabled()) {
        auto& center = fnd::NotificationCenter::defaultCenter();
        batteryLevelObserver_ = center.observe(std::string(device::kBatteryLevelDidChangeNotification), weak,
                                               &KavloController::updateBattery);
        batteryStateObserver_ = center.observe(std::string(device::kBatteryStateDidChangeNotification), weak,
                                               &KavloController::updateBattery);
        updateBattery();
    }
    writeApplicationEnvironmentData();
}

fnd::Value KavloController::sessionLocked() const {
    return fnd::Value::dictionary({{"b", sessionId_},
                                   {"c", timeStamp_},
                                   {"bl", batteryLevel_},
                                   {"bs", batteryState_},
                                   {"d", latitude_},
                                   {"e", longitude_},
                                   {"g", connectionType_}});
}

fnd::Value KavloController::environmentLocked() const {
    auto environment = fnd::Value::dictionary(
        {{"a", sessionLocked()}, {"i", std::string(kKavloSDKVersion)}, {"j", applicationId_}, {"7", bundleVersion_}});
    if (hasEnvironmentTail_) {
        auto& entries = *environment.asDictionary();
        entries.setObject(deviceId_, "p");
        entries.setObject(deviceModel_, "o");
        entries.setObject(language_, "aa");
        entries.setObject(locale_, "ab");
    }
    return environment;
}

fnd::Value KavloController::session() const {
    std::lock_guard lock(mutex_);
    return sessionLocked();
}

fnd::Value KavloController::infoDictionary() const {
    std::lock_guard lock(mutex_);
    auto info = fnd::Value::dictionary({{"a", sessionLocked()}, {"h", environmentLocked()}});
    if (!demographics_.isNull()) {
        info.asDictionary()->setObject(demographics_, "9");
    }
    return info;
}

void KavloController::setInfoDictionaryValue(const std::string& key, const fnd::Value& value) {
    std::lock_guard lock(mutex_);
    if (key == "9") {
        demographics_ = value;
    }
}

void KavloController::saveDictionary(const fnd::Value& dictionary, const std::string& key) {
    if (key == "q" && !isKavloEnabled()) {
        return;
    }
    auto entries = dictionary.asDictionary();
    if (!entries || !database_) {
        return;
    }
    updateSession();
    entries->setObject(session(), "a");
    auto ctx = context_.lock();
    if (!ctx) {
        return;
    }
    auto text = ctx->json().stringWithObject(fnd::Value::dictionary({{key, dictionary}}));
    if (!text.ok()) {
        ZLOG_TO(kKavloLog, Warn, "Kavlo: a record under \"%@\" could not be written as JSON", key);
        return;
    }
    database_->insertMessage(text.value());
}

void KavloController::updateSession() {
    std::lock_guard lock(mutex_);
    timeStamp_ = fnd::format("%lf", date_.since1970() * 1000.0);
}

void KavloController::writeApplicationEnvironmentData() {
    updateSession();
    auto ctx = context_.lock();
    if (!ctx || !database_) {
        return;
    }
    fnd::Value environment;
    {
        std::lock_guard lock(mutex_);
        environment = environmentLocked();
    }
    auto text = ctx->json().stringWithObject(fnd::Value::dictionary({{"h", environment}}));
    if (text.ok()) {
        database_->insertSession(text.value());
    }
}

void KavloController::setLocation(const std::string& latitude, const std::string& longitude) {
    std::lock_guard lock(mutex_);
    latitude_ = latitude;
    longitude_ = longitude;
}

void KavloController::updateLocation(const std::shared_ptr<device::Location>& location) {
    if (!isKavloEnabled()) {
        setLocation("null", "null");
        if (recordingLocation_ && locationManager_) {
            locationManager_->stopUpdatingLocation();
        }
        return;
    }
    if (!location || location->horizontalAccuracy < 0) {
        setLocation("null", "null");
        return;
    }
    setLocation(fnd::format("%lf", location->coordinate.latitude), fnd::format("%lf", location->coordinate.longitude));
}

void KavloController::updateBattery() {
    if (!isKavloEnabled()) {
        batteryLevelObserver_.reset();
        batteryStateObserver_.reset();
        return;
    }
    auto& device = device::Device::current();
    const std::string level = fnd::format("%f", device.batteryLevel());
    std::lock_guard lock(mutex_);
    batteryLevel_ = level;
    switch (device.batteryState()) {
    case device::BatteryState::Unknown:
        batteryState_ = "null";
        break;
    case device::BatteryState::Unplugged:
        batteryState_ = "u";
        break;
    case device::BatteryState::Charging:
        batteryState_ = "g";
        break;
    case device::BatteryState::Full:
        batteryState_ = "f";
        break;
    }
}

void KavloController::connectionThreadMainRoutine() {
    auto self = fnd::Thread::current();
    auto ctx = context_.lock();
    auto reachability = ctx ? ctx->reachability() : nullptr;
    ctx.reset();
    int ticks = kSampleTicks;
    while (!self.isCancelled() && isKavloEnabled()) {
        // The 0.1 s steps up to the next sample, slept at once; cancelling cuts the sleep short.
        if (ticks < kSampleTicks && connectionSleep_.sleepFor(0.1 * (kSampleTicks - ticks))) {
            ticks = kSampleTicks;
        }
        if (self.isCancelled()) {
            break;
        }
        const int status = reachability ? reachability->internetConnectionStatus() : 0;
        const char* type = status == 0 ? "None" : status == 1 ? "Carrier" : status == 2 ? "WiFi" : "null";
        {
            std::lock_guard lock(mutex_);
            connectionType_ = type;
        }
        ticks = 0;
    }
    {
        std::lock_guard lock(mutex_);
        connectionThreadRunning_ = false;
    }
    threadEnded_.notify_all();
}

void KavloController::stopConnectionThread() {
    if (!connectionThread_) {
        return;
    }
    connectionThread_->cancel();
    connectionSleep_.interrupt();
    {
        std::unique_lock lock(mutex_);
        if (!threadEnded_.wait_for(lock, kThreadEndBound, [&] { return !connectionThreadRunning_.load(); })) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo: the connection thread did not end in time");
            return;
        }
    }
    connectionThread_->join();
}

void KavloController::willTerminate() {
    saveDictionary(eventRecord(kKavloLifecycleLevel, std::string(kKavloProcess), std::string(kKavloEvent),
                               fnd::format("%@ STOPPED", processName()), true),
                   "q");
    stopConnectionThread();
    if (auto messenger = this->messenger()) {
        messenger->stop();
    }
}

std::shared_ptr<KavloMessenger> KavloController::messenger() {
    auto ctx = context_.lock();
    if (!ctx) {
        return nullptr;
    }
    std::lock_guard lock(ctx->classLock());
    auto messenger = ctx->messenger();
    // A controller made beside the context's own (initWithApplicationId alone) makes none.
    if (!messenger && ctx->controller().get() == this) {
        std::weak_ptr<KavloController> weak = weak_from_this();
        messenger = std::make_shared<KavloMessenger>(ctx, infoDictionary(), [weak] {
            auto controller = weak.lock();
            return controller && controller->isKavloEnabledKnown();
        });
        ctx->setMessenger(messenger);
    }
    return messenger;
}

void KavloController::sync() {
    if (auto messenger = this->messenger()) {
        messenger->sync();
    }
}

fnd::Value KavloController::eventRecord(int level, const std::string& process, const std::string& event,
                                        const std::string& description, bool stop) {
    return fnd::Value::dictionary({{"t", fnd::format("%d", level)},
                                   {"r", process},
                                   {"8", event},
                                   {"s", description},
                                   {"u", threadIdentity()},
                                   {"w", stop ? "1" : "0"}});
}

void KavloController::locationManagerDidUpdateToLocation(device::LocationManager&,
                                                         const std::shared_ptr<device::Location>& newLocation,
                                                         const std::shared_ptr<device::Location>&) {
    updateLocation(newLocation);
}

void KavloController::locationManagerDidFailWithError(device::LocationManager& manager, const fnd::Error& error) {
    if (error.code() == device::LocationManager::kErrorDenied) {
        manager.stopUpdatingLocation();
    }
}

void KavloController::alertViewClickedButtonAtIndex(ui::AlertView&, int buttonIndex) {
    if (buttonIndex == 0) {
        enabled_ = false;
        if (database_) {
            database_->purge();
        }
        writeApplicationEnvironmentData();
    } else if (buttonIndex == 1) {
        enabled_ = true;
    }
    auto& defaults = fnd::UserDefaults::standard();
    defaults.setBool(isKavloEnabled(), kKavloEnabledDefault);
    defaults.synchronize();
    // Settled before the sync below: the messenger only runs once consent is known.
    known_ = true;
    consentAlert_.reset();
    if (buttonIndex == 1) {
        sync();
    }
}

} // namespace zelvan::kavlo
