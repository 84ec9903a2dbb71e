// JavascriptBridgeDelegate: the script bridge's main command handler - settings, SQL, files, downloads,
// script installation, metadata, display control, the action sheet and the log - over the store and the
// content controller it is handed. Its page library is the object `BridgeLib`, one function per command.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ads/marlin/download_connection.h"
#include "ads/marlin/javascript_bridge.h"
#include "platform/ui/action_sheet.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::marlin {

class IMarlinContentHost;

class JavascriptBridgeDelegate : public JavascriptCommandHandler,
                                 public DownloadConnectionDelegate,
                                 public ui::ActionSheetDelegate,
                                 public std::enable_shared_from_this<JavascriptBridgeDelegate> {
public:
    // The SDK version the host reports.
    static constexpr std::string_view kHostVersion = "2.3.1";

    // `reachability` answers the reachability command; without one the registry's monitor (or a monitor
    // of the handler's own) is asked.
    explicit JavascriptBridgeDelegate(std::weak_ptr<IMarlinContentHost> host,
                                      std::shared_ptr<Reachability> reachability = nullptr);
    ~JavascriptBridgeDelegate() override;
    JavascriptBridgeDelegate(const JavascriptBridgeDelegate&) = delete;
    JavascriptBridgeDelegate& operator=(const JavascriptBridgeDelegate&) = delete;

    // The handler's command table, in the order of its library.
    static std::span<const BridgeCommand> commandTable();
    std::span<const BridgeCommand> commands() const override { return commandTable(); }
    void setBridge(JavascriptBridge* bridge) override { bridge_ = bridge; }
    JavascriptBridge* bridge() const { return bridge_; }
    // `BridgeLib` with the server and local file addresses and one function per command.
    std::string bridgeScript() override;

    // The action sheet of the buttons the script prepared, with a last "Skip" (outside browser mode).
    void displayActionSheet();
    const std::shared_ptr<ui::ActionSheet>& actionSheet() const { return actionSheet_; }
    // After an interface rotation: tells the script and shows an open sheet again.
    void didRotateFromInterfaceOrientation();
    // Downloads still running.
    size_t activeDownloadCount() const { return downloads_.size(); }

    // --- Commands (the rows of the table) ---
    CommandResult log(const BridgeArguments& a);
    CommandResult sqlExecute(const BridgeArguments& a);
    CommandResult sqlExecuteCallback(const BridgeArguments& a);
    CommandResult setSettingBase64Data(const BridgeArguments& a);
    CommandResult setSettingString(const BridgeArguments& a);
    CommandResult setSettingValue(const BridgeArguments& a);
    CommandResult getSettingCallback(const BridgeArguments& a);
    CommandResult getMetaDataCallback(const BridgeArguments& a);
    CommandResult setControllerPropertyValue(const BridgeArguments& a);
    CommandResult getControllerPropertyCallback(const BridgeArguments& a);
    CommandResult setContentControllerPropertyValue(const BridgeArguments& a);
    CommandResult getContentControllerPropertyCallback(const BridgeArguments& a);
    CommandResult getApplicationIDWithCallback(const BridgeArguments& a);
    CommandResult getHostVersionStringWithCallback(const BridgeArguments& a);
    CommandResult getClientVersionStringWithCallback(const BridgeArguments& a);
    CommandResult setClientVersionString(const BridgeArguments& a);
    CommandResult getSessionStartWithCallback(const BridgeArguments& a);
    CommandResult getNetworkReachabilityForURLCallback(const BridgeArguments& a);
    CommandResult getDeviceNameWithCallback(const BridgeArguments& a);
    CommandResult getDeviceUIDWithCallback(const BridgeArguments& a);
    CommandResult displayContent(const BridgeArguments& a);
    CommandResult displayLoadingIndicator(const BridgeArguments& a);
    CommandResult hideMenuButton(const BridgeArguments& a);
    CommandResult writeFileWithContentsOfURLCallback(const BridgeArguments& a);
    CommandResult unzipContentsOfURLToFolderCallback(const BridgeArguments& a);
    CommandResult fileWriteString(const BridgeArguments& a);
    CommandResult fileWriteBase64String(const BridgeArguments& a);
    CommandResult writeScriptScriptString(const BridgeArguments& a);
    CommandResult writeScriptScriptBase64String(const BridgeArguments& a);
    CommandResult unzipFileToFolderCallback(const BridgeArguments& a);
    CommandResult installScriptFromURL(const BridgeArguments& a);
    CommandResult loadStringFromFileCallback(const BridgeArguments& a);
    CommandResult loadBase64StringFromFileCallback(const BridgeArguments& a);
    CommandResult loadScriptExecute(const BridgeArguments& a);
    CommandResult loadScriptExecuteBaseURL(const BridgeArguments& a);
    CommandResult deleteFile(const BridgeArguments& a);
    CommandResult prepareActionSheet(const BridgeArguments& a);
    CommandResult addButtonToActionSheetCallback(const BridgeArguments& a);
    CommandResult displayActionSheetCommand(const BridgeArguments& a);
    CommandResult setBrowserMode(const BridgeArguments& a);
    CommandResult getLogContentsWithCallback(const BridgeArguments& a);
    CommandResult resetLogContents(const BridgeArguments& a);
    CommandResult getOrientationWithCallback(const BridgeArguments& a);
    CommandResult getViewBoundsWithCallback(const BridgeArguments& a);
    CommandResult notifyDelegateConnectionFailed(const BridgeArguments& a);
    CommandResult enableJavascriptRequestPassthrough(const BridgeArguments& a);
    CommandResult disableJavascriptRequestPassthrough(const BridgeArguments& a);
    CommandResult enableJavascriptRequestPassthroughWithCallback(const BridgeArguments& a);
    CommandResult disableJavascriptRequestPassthroughWithCallback(const BridgeArguments& a);
    CommandResult requestURL(const BridgeArguments& a);
    CommandResult callback(const BridgeArguments& a);

    // --- Downloads ---
    void downloadFinished(DownloadConnection& download) override;
    void downloadFailed(DownloadConnection& download) override;
    void downloadTimedOut(DownloadConnection& download) override;

    // --- The action sheet ---
    void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;

private:
    enum class DownloadKind { File, Zip, Script };
    struct PendingDownload {
        DownloadKind kind = DownloadKind::File;
        std::string path;    // File: the target file; Zip: the target folder
        std::string zipPath; // Zip: where the archive is kept while it is unpacked
        std::string name;    // Script: the script's name
        std::string callback;
        std::string timeoutCallback;
    };
    struct ActionButton {
        std::string title;
        std::string callback;
    };

    std::shared_ptr<IMarlinContentHost> host() const { return host_.lock(); }
    // Sends `expression` to the page through the bridge.
    void send(const std::string& expression);
    // A file path under Documents, or none (logged) when `relative` is absolute or leaves it.
    static std::optional<std::string> documentsPath(const std::string& relative);
    bool isBootScriptCurrent();
    void startDownload(const std::string& url, PendingDownload pending, double timeout, bool gzip);
    void finishScriptInstall(const PendingDownload& pending, const fnd::Bytes& body);
    void writeScript(const std::string& name, const std::string& base64);
    CommandResult controllerProperty(const std::string& key, const std::string& callback);
    std::shared_ptr<Reachability> reachability();

    std::weak_ptr<IMarlinContentHost> host_;
    std::shared_ptr<Reachability> reachability_;
    JavascriptBridge* bridge_ = nullptr;
    std::shared_ptr<ui::ActionSheet> actionSheet_;
    std::vector<ActionButton> actionSheetButtons_;
    std::map<DownloadConnection*, std::pair<std::shared_ptr<DownloadConnection>, PendingDownload>> downloads_;
};

} // namespace zelvan::marlin
