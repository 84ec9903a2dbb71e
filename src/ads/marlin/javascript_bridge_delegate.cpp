// The script bridge's main command handler. Every text that reaches the page as a reply is written as an
// escaped string literal, callbacks from the script are rendered with the untrusted formatter, and file
// commands only reach paths inside Documents.
#include "ads/marlin/javascript_bridge_delegate.h"

#include <utility>

#include "ads/marlin/base64.h"
#include "ads/marlin/json.h"
#include "ads/marlin/marlin_content_host.h"
#include "ads/marlin/mn_database.h"
#include "ads/marlin/mn_log.h"
#include "platform/device/device.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/uuid.h"
#include "platform/foundation/zip_reader.h"
#include "reachability/reachability.h"

namespace zelvan::marlin {
namespace {

using Delegate = JavascriptBridgeDelegate;

#define MN_COMMAND(selector, function, arguments, method)                                                              \
    BridgeCommand {                                                                                                    \
        selector, function, arguments, "BridgeLib",                                                                    \
            [](JavascriptCommandHandler& h, const BridgeArguments& a) { return static_cast<Delegate&>(h).method(a); }  \
    }

const BridgeCommand kCommands[] = {
    MN_COMMAND("log:", "log", "q", log),
    MN_COMMAND("sqlExecute:", "sqlExecute", "q", sqlExecute),
    MN_COMMAND("sqlExecute:callback:", "sqlExecuteWithCallback", "qq", sqlExecuteCallback),
    MN_COMMAND("setSetting:base64Data:", "setSettingBase64String", "qq", setSettingBase64Data),
    MN_COMMAND("setSetting:string:", "setSettingString", "qq", setSettingString),
    MN_COMMAND("setSetting:value:", "setSettingValue", "qq", setSettingValue),
    MN_COMMAND("getSetting:callback:", "getSettingWithCallback", "qq", getSettingCallback),
    MN_COMMAND("getMetaData:callback:", "getMetaDataWithCallback", "qq", getMetaDataCallback),
    MN_COMMAND("setControllerProperty:value:", "setControllerProperty", "qq", setControllerPropertyValue),
    MN_COMMAND("getControllerProperty:callback:", "getControllerPropertyWithCallback", "qq",
               getControllerPropertyCallback),
    MN_COMMAND("setContentControllerProperty:value:", "setContentControllerProperty", "qq",
               setContentControllerPropertyValue),
    MN_COMMAND("getContentControllerProperty:callback:", "getContentControllerPropertyWithCallback", "qq",
               getContentControllerPropertyCallback),
    MN_COMMAND("getApplicationIDWithCallback:", "getApplicationIDWithCallback", "q", getApplicationIDWithCallback),
    MN_COMMAND("getHostVersionStringWithCallback:", "getHostVersionStringWithCallback", "q",
               getHostVersionStringWithCallback),
    MN_COMMAND("getClientVersionStringWithCallback:", "getClientVersionStringWithCallback", "q",
               getClientVersionStringWithCallback),
    MN_COMMAND("setClientVersionString:", "setClientVersionString", "q", setClientVersionString),
    MN_COMMAND("getSessionStartWithCallback:", "getSessionStartWithCallback", "q", getSessionStartWithCallback),
    MN_COMMAND("getNetworkReachabilityForURL:callback:", "getNetworkReachabilityWithCallback", "qq",
               getNetworkReachabilityForURLCallback),
    MN_COMMAND("getDeviceNameWithCallback:", "getDeviceNameWithCallback", "q", getDeviceNameWithCallback),
    MN_COMMAND("getDeviceUIDWithCallback:", "getDeviceUIDWithCallback", "q", getDeviceUIDWithCallback),
    MN_COMMAND("displayContent:", "displayContent", "b", displayContent),
    MN_COMMAND("displayLoadingIndicator:", "displayLoadingIndicator", "b", displayLoadingIndicator),
    MN_COMMAND("hideMenuButton", "hideMenuButton", "", hideMenuButton),
    MN_COMMAND("writeFile:withContentsOfURL:callback:", "writeFileWithContentsOfURLWithCallback", "qqq",
               writeFileWithContentsOfURLCallback),
    MN_COMMAND("unzipContentsOfURL:toFolder:callback:", "unzipContentsOfURLToFolderWithCallback", "qqq",
               unzipContentsOfURLToFolderCallback),
    MN_COMMAND("fileWrite:string:", "fileWriteString", "qq", fileWriteString),
    MN_COMMAND("fileWrite:base64String:", "fileWriteBase64String", "qq", fileWriteBase64String),
    MN_COMMAND("writeScript:scriptString:", "writeScriptString", "qq", writeScriptScriptString),
    MN_COMMAND("writeScript:scriptBase64String:", "writeScriptBase64String", "qq", writeScriptScriptBase64String),
    MN_COMMAND("unzipFile:toFolder:callback:", "unzipFileToFolderWithCallback", "qqq", unzipFileToFolderCallback),
    MN_COMMAND("installScript:fromURL:callback:timeout:timeoutCallback:", "installScriptFromURL", "qqqqq",
               installScriptFromURL),
    MN_COMMAND("loadStringFromFile:callback:", "loadStringFromFileWithCallback", "qq", loadStringFromFileCallback),
    MN_COMMAND("loadBase64StringFromFile:callback:", "loadBase64StringFromFileWithCallback", "qq",
               loadBase64StringFromFileCallback),
    MN_COMMAND("loadScript:execute:", "loadScript", "qq", loadScriptExecute),
    MN_COMMAND("loadScript:execute:baseURL:", "loadScriptWithBaseURL", "qqq", loadScriptExecuteBaseURL),
    MN_COMMAND("deleteFile:", "deleteFile", "q", deleteFile),
    MN_COMMAND("prepareActionSheet", "prepareActionButtons", "", prepareActionSheet),
    MN_COMMAND("addButtonToActionSheet:callback:", "addActionButtonWithCallback", "qq", addButtonToActionSheetCallback),
    MN_COMMAND("displayActionSheet", "displayActionButtons", "", displayActionSheetCommand),
    MN_COMMAND("setBrowserMode:", "setBrowserMode", "b", setBrowserMode),
    MN_COMMAND("getLogContentsWithCallback:", "getLogContentsWithCallback", "q", getLogContentsWithCallback),
    MN_COMMAND("resetLogContents", "resetLogContents", "", resetLogContents),
    MN_COMMAND("getOrientationWithCallback:", "getOrientationWithCallback", "q", getOrientationWithCallback),
    MN_COMMAND("getViewBoundsWithCallback:", "getViewBoundsWithCallback", "q", getViewBoundsWithCallback),
    MN_COMMAND("notifyDelegateConnectionFailed", "notifyDelegateConnectionFailed", "", notifyDelegateConnectionFailed),
    MN_COMMAND("enableJavascriptRequestPassthrough", "enableJavascriptRequestPassthrough", "",
               enableJavascriptRequestPassthrough),
    MN_COMMAND("disableJavascriptRequestPassthrough", "disableJavascriptRequestPassthrough", "",
               disableJavascriptRequestPassthrough),
    MN_COMMAND("enableJavascriptRequestPassthroughWithCallback:", "enableJavascriptRequestPassthroughWithCallback", "q",
               enableJavascriptRequestPassthroughWithCallback),
    MN_COMMAND("disableJavascriptRequestPassthroughWithCallback:", "disableJavascriptRequestPassthroughWithCallback",
               "q", disableJavascriptRequestPassthroughWithCallback),
    MN_COMMAND("requestURL:", "requestURL", "q", requestURL),
    MN_COMMAND("callback:", "callback", "q", callback),
};

#undef MN_COMMAND

std::string text(const BridgeArguments& a, size_t index) {
    return a[index].stringValue();
}

bool truth(const fnd::Value& value) {
    return value.isString() ? fnd::boolValue(value.stringValue()) : value.doubleValue() != 0;
}

// A text reply as the page reads it: an escaped string literal in double quotes.
std::string quoted(std::string_view value) {
    return "\"" + fnd::jsEscape(value) + "\"";
}

std::string flag(bool on) {
    return on ? "1" : "0";
}

std::string number(double value) {
    return fnd::Value(value).stringValue();
}

// The content controller's properties the script may read and set, by key.
struct Property {
    std::string_view key;
    std::string (*get)(IMarlinContentHost& host);
    void (*set)(IMarlinContentHost& host, const std::string& value);
};

const Property kContentProperties[] = {
    {"clientState", [](IMarlinContentHost& h) { return std::to_string(h.clientState()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setClientState(fnd::intValue(v)); }},
    {"isAdPrefetched", [](IMarlinContentHost& h) { return flag(h.isAdPrefetched()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setAdPrefetched(fnd::boolValue(v)); }},
    {"hasClientCheckedInOnPreRoll", [](IMarlinContentHost& h) { return flag(h.hasClientCheckedInOnPreRoll()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setHasClientCheckedInOnPreRoll(fnd::boolValue(v)); }},
    {"loadingMessage", [](IMarlinContentHost& h) { return h.loadingMessage(); },
     [](IMarlinContentHost& h, const std::string& v) { h.setLoadingMessage(v); }},
    {"webViewTitle", [](IMarlinContentHost& h) { return h.webViewTitle(); },
     [](IMarlinContentHost& h, const std::string& v) { h.setWebViewTitle(v); }},
    {"exitItemDisplayTime", [](IMarlinContentHost& h) { return number(h.exitItemDisplayTime()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setExitItemDisplayTime(fnd::doubleValue(v)); }},
    {"menuTimerValue", [](IMarlinContentHost& h) { return number(h.menuTimerValue()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setMenuTimerValue(fnd::doubleValue(v)); }},
    {"sdkAccelerometerUpdateInterval", [](IMarlinContentHost& h) { return number(h.sdkAccelerometerUpdateInterval()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setSdkAccelerometerUpdateInterval(fnd::doubleValue(v)); }},
    {"javascriptRequestPassthrough", [](IMarlinContentHost& h) { return flag(h.javascriptRequestPassthrough()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setJavascriptRequestPassthrough(fnd::boolValue(v)); }},
    {"isBrowserMode", [](IMarlinContentHost& h) { return flag(h.isBrowserMode()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setBrowserMode(fnd::boolValue(v)); }},
};

const Property kControllerProperties[] = {
    {"serverURL", [](IMarlinContentHost& h) { return h.serverURL(); },
     [](IMarlinContentHost& h, const std::string& v) { h.setServerURL(v); }},
    {"applicationID", [](IMarlinContentHost& h) { return std::to_string(h.applicationID()); },
     [](IMarlinContentHost& h, const std::string& v) { h.setApplicationID(fnd::longLongValue(v)); }},
};

const Property* findProperty(std::span<const Property> table, std::string_view key) {
    for (const Property& property : table) {
        if (property.key == key) {
            return &property;
        }
    }
    return nullptr;
}

CommandResult unknownKey(std::string_view key) {
    return CommandResult::fail("this class is not key value coding-compliant for the key " + fnd::logPreview(key));
}

CommandResult noHost() {
    return CommandResult::fail("the content controller is gone");
}

std::string deviceName() {
    auto& device = device::Device::current();
    return fnd::format("%@ - %@", device.model(), device.systemVersion());
}

bool writeCreatingFolder(const std::string& path, const fnd::Bytes& bytes) {
    fnd::FileManager::createDirectoryAtPath(fnd::deletingLastPathComponent(path));
    return fnd::writeFile(path, bytes);
}

fnd::Bytes bytesOf(std::string_view text) {
    return fnd::Bytes(text.begin(), text.end());
}

} // namespace

JavascriptBridgeDelegate::JavascriptBridgeDelegate(std::weak_ptr<IMarlinContentHost> host,
                                                   std::shared_ptr<Reachability> reachability)
    : host_(std::move(host)), reachability_(std::move(reachability)) {}

JavascriptBridgeDelegate::~JavascriptBridgeDelegate() {
    if (actionSheet_) {
        actionSheet_->setDelegate({});
    }
}

std::span<const BridgeCommand> JavascriptBridgeDelegate::commandTable() {
    return kCommands;
}

std::string JavascriptBridgeDelegate::bridgeScript() {
    auto h = host();
    std::string server = h ? h->serverURL() : std::string();
    std::string files = fnd::Url::fileUrl(fnd::AppFolders::documents()).absoluteString();
    return "var BridgeLib = {};\n"
           "BridgeLib.getServerURL = function() { return \"" +
           fnd::jsEscape(server) +
           "\"; };\n"
           "BridgeLib.getLocalFileBaseURL = function() { return \"" +
           fnd::jsEscape(files) + "\"; };\n" + libraryFunctions(kCommands, "BridgeLib");
}

void JavascriptBridgeDelegate::send(const std::string& expression) {
    if (bridge_) {
        bridge_->sendJavascriptCommand(expression);
    }
}

std::optional<std::string> JavascriptBridgeDelegate::documentsPath(const std::string& relative) {
    auto path = fnd::containedPath(fnd::AppFolders::documents(), relative);
    if (!path) {
        ZLOG_TO(kMarlinLog, Warn, "Marlin: refused the path %@ (outside Documents)", fnd::logPreview(relative));
    }
    return path;
}

bool JavascriptBridgeDelegate::isBootScriptCurrent() {
    auto h = host();
    return h && h->currentScript() == MNDatabase::kBootScriptFile;
}

std::shared_ptr<Reachability> JavascriptBridgeDelegate::reachability() {
    if (!reachability_) {
        reachability_ = Reachability::sharedReachability();
    }
    if (!reachability_) {
        reachability_ = std::make_shared<Reachability>();
    }
    return reachability_;
}

// --- Settings, SQL and metadata ---

CommandResult Delegate::log(const BridgeArguments& a) {
    MNLog("%@", fnd::logPreview(text(a, 0)));
    return CommandResult::ok();
}

CommandResult Delegate::sqlExecute(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->database().sqlExecute(text(a, 0));
    return CommandResult::ok();
}

CommandResult Delegate::sqlExecuteCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    fnd::Value rows = h->database().sqlExecute(text(a, 0));
    send(fnd::formatUntrusted(text(a, 1), quoted(JSON::stringWithObject(rows))));
    return CommandResult::ok();
}

CommandResult Delegate::setSettingBase64Data(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->database().setRecordIDTableData(text(a, 0), MNDatabase::kSettingsTable, B64Decode(text(a, 1)));
    return CommandResult::ok();
}

CommandResult Delegate::setSettingString(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->database().setRecordIDTableString(text(a, 0), MNDatabase::kSettingsTable, text(a, 1));
    return CommandResult::ok();
}

CommandResult Delegate::setSettingValue(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    int64_t value = a[1].isString() ? fnd::longLongValue(text(a, 1)) : fnd::saturatingInt64(a[1].doubleValue());
    h->database().setRecordIDTableValue(text(a, 0), MNDatabase::kSettingsTable, value);
    return CommandResult::ok();
}

CommandResult Delegate::getSettingCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    fnd::Value rows = h->database().sqlExecute("SELECT data FROM settings WHERE id=?", {fnd::Value(text(a, 0))});
    auto list = rows.asArray();
    if (!list || list->count() == 0) {
        return CommandResult::ok(); // no row, no reply
    }
    const fnd::Value& value = list->objectAtIndex(0).asArray()->objectAtIndex(0);
    if (value.isInt()) {
        send(fnd::formatUntrusted(text(a, 1), value.longLongValue()));
    } else if (value.isNumber()) {
        send(fnd::formatUntrusted(text(a, 1), fnd::saturatingInt64(value.doubleValue())));
    } else if (const fnd::Bytes* data = value.asData()) {
        send(fnd::formatUntrusted(text(a, 1), quoted(std::string(data->begin(), data->end()))));
    } else {
        send(fnd::formatUntrusted(text(a, 1), quoted(value.isNull() ? std::string() : value.stringValue())));
    }
    return CommandResult::ok();
}

CommandResult Delegate::getMetaDataCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    auto keys = JSON::objectWithString(text(a, 0));
    auto names = keys ? keys->asArray() : nullptr;
    if (!names) {
        ZLOG_TO(kMarlinLog, Warn, "Marlin: the metadata names are not a JSON array: %@", fnd::logPreview(text(a, 0)));
    }
    fnd::Value result = fnd::Value::dictionary();
    auto dictionary = result.asDictionary();
    for (const fnd::Value& name : names ? names->items() : std::vector<fnd::Value>()) {
        std::string key = name.stringValue();
        if (key == "applicationID") {
            dictionary->setObject(fnd::Value(h->applicationID()), key);
        } else if (key == "clientVersion") {
            dictionary->setObject(fnd::Value(h->clientVersion().value_or("")), key);
        } else if (key == "deviceName") {
            dictionary->setObject(fnd::Value(deviceName()), key);
        } else if (key == "deviceUID") {
            dictionary->setObject(fnd::Value(device::Device::current().uniqueIdentifier()), key);
        } else if (key == "hostVersion") {
            dictionary->setObject(fnd::Value(kHostVersion), key);
        } else if (key == "sessionStart") {
            dictionary->setObject(fnd::Value(h->sessionStart()), key);
        }
    }
    send(fnd::formatUntrusted(text(a, 1), quoted(JSON::stringWithObject(result))));
    return CommandResult::ok();
}

CommandResult Delegate::setControllerPropertyValue(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    const Property* property = findProperty(kControllerProperties, text(a, 0));
    if (!property) {
        return unknownKey(text(a, 0));
    }
    property->set(*h, text(a, 1));
    return CommandResult::ok();
}

CommandResult Delegate::controllerProperty(const std::string& key, const std::string& callback) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    const Property* property = findProperty(kControllerProperties, key);
    if (!property) {
        return unknownKey(key);
    }
    send(fnd::formatUntrusted(callback, quoted(property->get(*h))));
    return CommandResult::ok();
}

CommandResult Delegate::getControllerPropertyCallback(const BridgeArguments& a) {
    return controllerProperty(text(a, 0), text(a, 1));
}

CommandResult Delegate::setContentControllerPropertyValue(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    const Property* property = findProperty(kContentProperties, text(a, 0));
    if (!property) {
        return unknownKey(text(a, 0));
    }
    property->set(*h, text(a, 1));
    return CommandResult::ok();
}

CommandResult Delegate::getContentControllerPropertyCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    const Property* property = findProperty(kContentProperties, text(a, 0));
    if (!property) {
        return unknownKey(text(a, 0));
    }
    send(fnd::formatUntrusted(text(a, 1), quoted(property->get(*h))));
    return CommandResult::ok();
}

CommandResult Delegate::getApplicationIDWithCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    send(fnd::formatUntrusted(text(a, 0), h->applicationID()));
    return CommandResult::ok();
}

CommandResult Delegate::getHostVersionStringWithCallback(const BridgeArguments& a) {
    send(fnd::formatUntrusted(text(a, 0), quoted(kHostVersion)));
    return CommandResult::ok();
}

CommandResult Delegate::getClientVersionStringWithCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    send(fnd::formatUntrusted(text(a, 0), quoted(h->clientVersion().value_or(""))));
    return CommandResult::ok();
}

CommandResult Delegate::setClientVersionString(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->setClientVersion(text(a, 0));
    return CommandResult::ok();
}

CommandResult Delegate::getSessionStartWithCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    send(fnd::formatUntrusted(text(a, 0), h->sessionStart()));
    return CommandResult::ok();
}

CommandResult Delegate::getNetworkReachabilityForURLCallback(const BridgeArguments& a) {
    auto url = fnd::Url::parse(text(a, 0));
    auto monitor = reachability();
    monitor->setHostName(url ? std::optional<std::string>(url->host()) : std::nullopt);
    send(fnd::formatUntrusted(text(a, 1), monitor->internetConnectionStatus()));
    return CommandResult::ok();
}

CommandResult Delegate::getDeviceNameWithCallback(const BridgeArguments& a) {
    send(fnd::formatUntrusted(text(a, 0), quoted(deviceName())));
    return CommandResult::ok();
}

CommandResult Delegate::getDeviceUIDWithCallback(const BridgeArguments& a) {
    send(fnd::formatUntrusted(text(a, 0), quoted(device::Device::current().uniqueIdentifier())));
    return CommandResult::ok();
}

// --- Display ---

CommandResult Delegate::displayContent(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    if (truth(a[0])) {
        h->presentContent();
        return CommandResult::ok();
    }
    int before = h->clientState();
    h->dismissContent();
    int now = h->clientState();
    if (now == 1 || now == 3) {
        send("prefetchAd()");
    } else if (before == 4) {
        h->setClientState(0);
        h->bootClient();
    }
    return CommandResult::ok();
}

CommandResult Delegate::displayLoadingIndicator(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    if (truth(a[0])) {
        h->showLoadingScreen();
    } else {
        h->dismissLoadingScreen();
    }
    return CommandResult::ok();
}

CommandResult Delegate::hideMenuButton(const BridgeArguments&) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->hideMenuButton();
    return CommandResult::ok();
}

CommandResult Delegate::setBrowserMode(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->setBrowserMode(truth(a[0]));
    return CommandResult::ok();
}

CommandResult Delegate::getOrientationWithCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    send(fnd::formatUntrusted(text(a, 0), h->deviceOrientation()));
    return CommandResult::ok();
}

CommandResult Delegate::getViewBoundsWithCallback(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    gfx::Size size = h->transformationViewSize();
    send(fnd::formatUntrusted(text(a, 0), size.width, size.height));
    return CommandResult::ok();
}

CommandResult Delegate::notifyDelegateConnectionFailed(const BridgeArguments&) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->notifyConnectionFailed();
    return CommandResult::ok();
}

CommandResult Delegate::enableJavascriptRequestPassthrough(const BridgeArguments&) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->setJavascriptRequestPassthrough(true);
    return CommandResult::ok();
}

CommandResult Delegate::disableJavascriptRequestPassthrough(const BridgeArguments&) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->setJavascriptRequestPassthrough(false);
    return CommandResult::ok();
}

CommandResult Delegate::enableJavascriptRequestPassthroughWithCallback(const BridgeArguments& a) {
    send(text(a, 0));
    return enableJavascriptRequestPassthrough(a);
}

CommandResult Delegate::disableJavascriptRequestPassthroughWithCallback(const BridgeArguments& a) {
    send(text(a, 0));
    return disableJavascriptRequestPassthrough(a);
}

CommandResult Delegate::requestURL(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    h->requestPage(text(a, 0), true);
    return CommandResult::ok();
}

CommandResult Delegate::callback(const BridgeArguments& a) {
    send(text(a, 0));
    return CommandResult::ok();
}

CommandResult Delegate::getLogContentsWithCallback(const BridgeArguments& a) {
    // No log list is kept, so its JSON is null.
    auto contents = MNLogContents();
    std::string json = contents ? JSON::stringWithObject(*contents) : std::string("null");
    send(fnd::formatUntrusted(text(a, 0), quoted(json)));
    return CommandResult::ok();
}

CommandResult Delegate::resetLogContents(const BridgeArguments&) {
    MNLogClear();
    return CommandResult::ok();
}

// --- Files and scripts ---

CommandResult Delegate::fileWriteString(const BridgeArguments& a) {
    if (auto path = documentsPath(text(a, 0))) {
        writeCreatingFolder(*path, bytesOf(text(a, 1)));
    }
    return CommandResult::ok();
}

CommandResult Delegate::fileWriteBase64String(const BridgeArguments& a) {
    if (auto path = documentsPath(text(a, 0))) {
        writeCreatingFolder(*path, B64Decode(text(a, 1)));
    }
    return CommandResult::ok();
}

void Delegate::writeScript(const std::string& name, const std::string& base64) {
    auto h = host();
    if (!h) {
        return;
    }
    MNDatabase& database = h->database();
    database.execute("DELETE FROM javascript WHERE filename=?", {fnd::Value(name)});
    database.execute("INSERT INTO javascript (filename, script) VALUES(?, ?)", {fnd::Value(name), fnd::Value(base64)});
}

CommandResult Delegate::writeScriptScriptString(const BridgeArguments& a) {
    writeScript(text(a, 0), Base64::base64StringWithString(text(a, 1)));
    return CommandResult::ok();
}

CommandResult Delegate::writeScriptScriptBase64String(const BridgeArguments& a) {
    writeScript(text(a, 0), text(a, 1));
    return CommandResult::ok();
}

CommandResult Delegate::unzipFileToFolderCallback(const BridgeArguments& a) {
    auto path = documentsPath(text(a, 0));
    auto folder = documentsPath(text(a, 1));
    if (path && folder) {
        if (auto extracted = fnd::ZipReader::extractAll(*path, *folder); !extracted) {
            ZLOG_TO(kMarlinLog, Warn, "Marlin: could not unzip %@: %@", fnd::logPreview(text(a, 0)),
                    extracted.error().description());
        }
    }
    send(text(a, 2));
    return CommandResult::ok();
}

CommandResult Delegate::loadStringFromFileCallback(const BridgeArguments& a) {
    auto path = documentsPath(text(a, 0));
    auto bytes = path ? fnd::readFile(*path) : std::nullopt;
    if (!bytes) {
        send(fnd::formatUntrusted(text(a, 1), 0));
        return CommandResult::ok();
    }
    send(fnd::formatUntrusted(text(a, 1), quoted(std::string(bytes->begin(), bytes->end()))));
    return CommandResult::ok();
}

CommandResult Delegate::loadBase64StringFromFileCallback(const BridgeArguments& a) {
    auto path = documentsPath(text(a, 0));
    auto bytes = path ? fnd::readFile(*path) : std::nullopt;
    if (!bytes) {
        send(fnd::formatUntrusted(text(a, 1), 0));
        return CommandResult::ok();
    }
    send(fnd::formatUntrusted(text(a, 1), quoted(B64Encode(*bytes))));
    return CommandResult::ok();
}

CommandResult Delegate::loadScriptExecute(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    if (auto path = documentsPath(text(a, 0))) {
        h->loadScript(*path, text(a, 1), std::nullopt);
    }
    return CommandResult::ok();
}

CommandResult Delegate::loadScriptExecuteBaseURL(const BridgeArguments& a) {
    auto h = host();
    if (!h) {
        return noHost();
    }
    if (auto path = documentsPath(text(a, 0))) {
        h->loadScript(*path, text(a, 1), text(a, 2));
    }
    return CommandResult::ok();
}

CommandResult Delegate::deleteFile(const BridgeArguments& a) {
    if (auto path = documentsPath(text(a, 0))) {
        fnd::FileManager::removeItemAtPath(*path);
    }
    return CommandResult::ok();
}

// --- Downloads ---

void Delegate::startDownload(const std::string& url, PendingDownload pending, double timeout, bool gzip) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed || (parsed->scheme() != "http" && parsed->scheme() != "https")) {
        // Only web addresses: a file or other URL would copy local files into reach of the script.
        ZLOG_TO(kMarlinLog, Warn, "Marlin: refused the download of %@ (not an http or https URL)",
                fnd::logPreview(url));
        if (pending.kind == DownloadKind::Script) {
            send(fnd::formatUntrusted(pending.callback, 0, quoted("")));
        } else {
            send(fnd::formatUntrusted(pending.callback, 0));
        }
        return;
    }
    fnd::UrlRequest request(*parsed);
    if (gzip) {
        request.setValue("gzip", "Accept-Encoding");
    }
    std::weak_ptr<DownloadConnectionDelegate> self = weak_from_this();
    auto download = timeout > 0 ? DownloadConnection::timedConnectionWithURLRequest(request, self, {}, timeout)
                                : DownloadConnection::connectionWithURLRequest(request, self, {});
    if (download) {
        DownloadConnection* key = download.get();
        downloads_[key] = {std::move(download), std::move(pending)};
    }
}

CommandResult Delegate::writeFileWithContentsOfURLCallback(const BridgeArguments& a) {
    auto path = documentsPath(text(a, 0));
    if (!path) {
        send(fnd::formatUntrusted(text(a, 2), 0));
        return CommandResult::ok();
    }
    PendingDownload pending;
    pending.kind = DownloadKind::File;
    pending.path = *path;
    pending.callback = text(a, 2);
    startDownload(text(a, 1), std::move(pending), 0, false);
    return CommandResult::ok();
}

CommandResult Delegate::unzipContentsOfURLToFolderCallback(const BridgeArguments& a) {
    auto folder = documentsPath(text(a, 1));
    if (!folder) {
        send(fnd::formatUntrusted(text(a, 2), 0));
        return CommandResult::ok();
    }
    PendingDownload pending;
    pending.kind = DownloadKind::Zip;
    pending.path = *folder;
    // Each download keeps its archive under a name of its own, so two never overwrite each other.
    pending.zipPath = fnd::appendingPathComponent(fnd::AppFolders::temporary(), "marlin-" + fnd::uuidString() + ".zip");
    pending.callback = text(a, 2);
    startDownload(text(a, 0), std::move(pending), 0, false);
    return CommandResult::ok();
}

CommandResult Delegate::installScriptFromURL(const BridgeArguments& a) {
    PendingDownload pending;
    pending.kind = DownloadKind::Script;
    pending.name = text(a, 0);
    pending.callback = text(a, 2);
    pending.timeoutCallback = text(a, 4);
    double seconds = a[3].isString() ? fnd::doubleValue(text(a, 3)) : a[3].doubleValue();
    startDownload(text(a, 1), std::move(pending), seconds, true);
    return CommandResult::ok();
}

void Delegate::finishScriptInstall(const PendingDownload& pending, const fnd::Bytes& body) {
    std::string reply(body.begin(), body.end());
    reply.resize(std::min(reply.size(), reply.find('\0'))); // read as a terminated text
    auto parsed = JSON::objectWithString(reply);
    auto top = parsed ? parsed->asDictionary() : nullptr;
    if (!top) {
        ZLOG_TO(kMarlinLog, Warn, "Marlin: the install reply for %@ is not a JSON object; the stored client stays: %@",
                fnd::logPreview(pending.name), fnd::logPreview(body));
        send(fnd::formatUntrusted(pending.callback, 0, quoted("")));
        return;
    }
    bool okay = top->objectForKey("status").stringValue() == "AllOkay";
    std::string source;
    std::string version;
    if (auto content = top->objectForKey("content").asDictionary()) {
        if (auto response = content->objectForKey("clientResponse").asDictionary()) {
            const fnd::Value& sourceValue = response->objectForKey("source");
            source = sourceValue.isString() ? sourceValue.stringValue() : std::string();
            const fnd::Value& versionValue = response->objectForKey("clientVersion");
            version = versionValue.isNull() ? std::string() : versionValue.stringValue();
        }
    }
    if (!source.empty()) {
        writeScript(pending.name, Base64::base64StringWithString(source));
    }
    send(fnd::formatUntrusted(pending.callback, okay ? 1 : 0, quoted(version)));
}

void Delegate::downloadFinished(DownloadConnection& download) {
    auto it = downloads_.find(&download);
    if (it == downloads_.end()) {
        return;
    }
    auto held = std::move(it->second.first);
    PendingDownload pending = std::move(it->second.second);
    downloads_.erase(it);
    fnd::Bytes body = download.receivedData().value_or(fnd::Bytes());
    switch (pending.kind) {
    case DownloadKind::Script:
        if (isBootScriptCurrent()) {
            finishScriptInstall(pending, body);
        } else {
            MNLog("Dropping the download of script %@: boot.js is no longer current.", fnd::logPreview(pending.name));
        }
        break;
    case DownloadKind::File:
        send(fnd::formatUntrusted(pending.callback, writeCreatingFolder(pending.path, body) ? 1 : 0));
        break;
    case DownloadKind::Zip: {
        bool ok = fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::temporary()) &&
                  fnd::writeFile(pending.zipPath, body) && fnd::FileManager::createDirectoryAtPath(pending.path);
        if (ok) {
            auto extracted = fnd::ZipReader::extractAll(pending.zipPath, pending.path);
            if (!extracted) {
                ZLOG_TO(kMarlinLog, Warn, "Marlin: could not unzip the download into %@: %@",
                        fnd::logPreview(pending.path), extracted.error().description());
            }
            ok = bool(extracted);
        }
        fnd::FileManager::removeItemAtPath(pending.zipPath);
        send(fnd::formatUntrusted(pending.callback, ok ? 1 : 0));
        break;
    }
    }
}

void Delegate::downloadFailed(DownloadConnection& download) {
    auto it = downloads_.find(&download);
    if (it == downloads_.end()) {
        return;
    }
    auto held = std::move(it->second.first);
    PendingDownload pending = std::move(it->second.second);
    downloads_.erase(it);
    if (pending.kind == DownloadKind::Script) {
        if (isBootScriptCurrent()) {
            send(fnd::formatUntrusted(pending.callback, 0, quoted("")));
        }
    } else {
        send(fnd::formatUntrusted(pending.callback, 0));
    }
}

void Delegate::downloadTimedOut(DownloadConnection& download) {
    auto it = downloads_.find(&download);
    if (it == downloads_.end()) {
        return;
    }
    auto held = std::move(it->second.first);
    PendingDownload pending = std::move(it->second.second);
    downloads_.erase(it);
    if (pending.kind == DownloadKind::Script && isBootScriptCurrent()) {
        send(pending.timeoutCallback);
    }
}

// --- The action sheet ---

CommandResult Delegate::prepareActionSheet(const BridgeArguments&) {
    actionSheetButtons_.clear();
    return CommandResult::ok();
}

CommandResult Delegate::addButtonToActionSheetCallback(const BridgeArguments& a) {
    actionSheetButtons_.push_back({text(a, 0), text(a, 1)});
    return CommandResult::ok();
}

CommandResult Delegate::displayActionSheetCommand(const BridgeArguments&) {
    displayActionSheet();
    return CommandResult::ok();
}

void Delegate::displayActionSheet() {
    auto h = host();
    if (!h || h->isBrowserMode()) {
        return;
    }
    if (actionSheet_) {
        actionSheet_->setDelegate({});
        if (actionSheet_->isVisible()) {
            actionSheet_->dismissWithClickedButtonIndex(actionSheet_->numberOfButtons() - 1, ui::Animated::No);
        }
    }
    std::vector<std::string> titles;
    for (const ActionButton& button : actionSheetButtons_) {
        titles.push_back(button.title);
    }
    titles.push_back("Skip");
    actionSheet_ = ui::ActionSheet::initWithTitle("", weak_from_this(), std::nullopt, std::nullopt, titles);
    if (bridge_ && bridge_->webView()) {
        actionSheet_->showInView(bridge_->webView());
    }
}

void Delegate::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) {
    if (&sheet != actionSheet_.get() || buttonIndex < 0) {
        return;
    }
    auto self = shared_from_this();
    if (static_cast<size_t>(buttonIndex) < actionSheetButtons_.size()) {
        send(actionSheetButtons_[static_cast<size_t>(buttonIndex)].callback);
        return;
    }
    if (bridge_ && bridge_->webView() &&
        bridge_->webView()->stringByEvaluatingJavaScriptFromString("handleSkip();") == "true") {
        displayContent({fnd::Value(false)});
    }
}

void Delegate::didRotateFromInterfaceOrientation() {
    auto h = host();
    if (!h) {
        return;
    }
    gfx::Size size = h->transformationViewSize();
    send(fnd::format("orientationChange(%d, %f, %f);", h->deviceOrientation(), size.width, size.height));
    if (actionSheet_ && actionSheet_->isVisible() && bridge_ && bridge_->webView()) {
        // Taken away without a click and shown again, laid out for the new bounds.
        actionSheet_->dismissWithClickedButtonIndex(actionSheet_->numberOfButtons() - 1, ui::Animated::No);
        actionSheet_->showInView(bridge_->webView());
    }
}

} // namespace zelvan::marlin
