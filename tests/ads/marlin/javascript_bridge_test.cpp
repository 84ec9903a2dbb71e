// The script bridge and its main command handler with a real script engine, under the manual clock: the
// command grammar, polling, dispatch and failures, queued script calls, safe replies, the store and file
// commands, downloads and script installation against a loopback server, the built-in boot script, and
// the action sheet.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ads/marlin/base64.h"
#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/javascript_bridge_delegate.h"
#include "ads/marlin/json.h"
#include "ads/marlin/marlin_content_host.h"
#include "ads/marlin/mn_database.h"
#include "ads/marlin/mn_resources.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/zlib_codec.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"
#include "tests/platform/foundation/http_test_server.h"

namespace zelvan::marlin {
namespace {

// The content controller as the handler sees it, recording what it is asked to do.
class FakeHost : public IMarlinContentHost {
public:
    int clientState() const override { return state; }
    void setClientState(int s) override { state = s; }
    bool isAdPrefetched() const override { return prefetched; }
    void setAdPrefetched(bool p) override { prefetched = p; }
    bool hasClientCheckedInOnPreRoll() const override { return checkedIn; }
    void setHasClientCheckedInOnPreRoll(bool c) override { checkedIn = c; }
    std::string loadingMessage() const override { return message; }
    void setLoadingMessage(const std::string& m) override { message = m; }
    std::string webViewTitle() const override { return title; }
    void setWebViewTitle(const std::string& t) override { title = t; }
    double exitItemDisplayTime() const override { return exitTime; }
    void setExitItemDisplayTime(double s) override { exitTime = s; }
    double menuTimerValue() const override { return menuTimer; }
    void setMenuTimerValue(double s) override { menuTimer = s; }
    double sdkAccelerometerUpdateInterval() const override { return accelerometer; }
    void setSdkAccelerometerUpdateInterval(double s) override { accelerometer = s; }
    bool javascriptRequestPassthrough() const override { return passthrough; }
    void setJavascriptRequestPassthrough(bool on) override { passthrough = on; }
    void presentContent() override { ++presented; }
    void dismissContent() override { ++dismissed; }
    void bootClient() override { ++boots; }
    void showLoadingScreen() override { ++loadingShown; }
    void dismissLoadingScreen() override { ++loadingDismissed; }
    void hideMenuButton() override { ++menuHidden; }
    bool isBrowserMode() const override { return browser; }
    void setBrowserMode(bool on) override { browser = on; }
    void loadScript(const std::string& path, const std::string& expression,
                    const std::optional<std::string>& baseURL) override {
        loads.push_back({path, expression, baseURL.value_or("")});
        auto b = bridge.lock();
        if (!runScripts || !b) {
            return;
        }
        std::string name = fnd::lastPathComponent(path);
        fnd::Value rows = database().sqlExecute("SELECT script FROM javascript WHERE filename=?", {fnd::Value(name)});
        std::string script = rows.asArray()->count() > 0
                                 ? Base64::stringWithBase64String(
                                       rows.asArray()->objectAtIndex(0).asArray()->objectAtIndex(0).stringValue())
                                       .value_or("")
                                 : std::string();
        b->loadJavascriptString(script, expression, name, std::nullopt);
    }
    void requestPage(const std::string& url, bool browserMode) override { pages.emplace_back(url, browserMode); }
    std::string currentScript() override {
        auto b = bridge.lock();
        return b ? b->webView()->stringByEvaluatingJavaScriptFromString("MNScriptName();") : "";
    }
    gfx::Size transformationViewSize() const override { return {320, 480}; }
    int deviceOrientation() const override { return 1; }
    std::string serverURL() const override { return server; }
    void setServerURL(const std::string& url) override { server = url; }
    int64_t applicationID() const override { return appId; }
    void setApplicationID(int64_t id) override { appId = id; }
    std::optional<std::string> clientVersion() override {
        return database().stringForRecordID("clientVersion", MNDatabase::kSettingsTable);
    }
    void setClientVersion(const std::string& v) override {
        database().setRecordIDTableString("clientVersion", MNDatabase::kSettingsTable, v);
    }
    int64_t sessionStart() const override { return 1262304000000; }
    void notifyConnectionFailed() override { ++connectionFailed; }
    MNDatabase& database() override {
        if (!db) {
            db = std::make_unique<MNDatabase>();
        }
        return *db;
    }

    struct Load {
        std::string path, expression, baseURL;
    };
    int state = 0;
    bool prefetched = false, checkedIn = false, passthrough = false, browser = false, runScripts = false;
    std::string message = "Loading...", title, server = "http://ads.test/AdBridgeServer";
    double exitTime = 0, menuTimer = 10, accelerometer = 1000;
    int64_t appId = 5;
    int presented = 0, dismissed = 0, boots = 0, loadingShown = 0, loadingDismissed = 0, menuHidden = 0;
    int connectionFailed = 0;
    std::vector<Load> loads;
    std::vector<std::pair<std::string, bool>> pages;
    std::weak_ptr<JavascriptBridge> bridge;
    std::unique_ptr<MNDatabase> db;
};

class FlagRecorder : public JavascriptBridgeFlagListener {
public:
    void jsBridgeDidChangeStateForFlag(JavascriptBridge& bridge, const std::string& flag) override {
        heard.push_back(flag + (bridge.hasFlag(flag) ? "+" : "-"));
    }
    std::vector<std::string> heard;
};

std::string documents(const std::string& relative) {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), relative);
}

std::string fileText(const std::string& path) {
    auto bytes = fnd::readFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
}

// An archive of `entries` (name, contents) made with minizip's writer, as bytes.
std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string path = fnd::appendingPathComponent(fnd::AppFolders::root(), "made.zip");
    zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, data] : entries) {
        zip_fileinfo info{};
        zipOpenNewFileInZip(zf, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION);
        zipWriteInFileInZip(zf, data.data(), static_cast<unsigned>(data.size()));
        zipCloseFileInZip(zf);
    }
    zipClose(zf, nullptr);
    std::string bytes = fileText(path);
    fnd::FileManager::removeItemAtPath(path);
    return bytes;
}

class MarlinBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        reachability_ = fnd::testing::FakeReachability::install();
        ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
        fnd::setMinLogLevel(fnd::LogLevel::Debug);
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        webView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 320, 480));
        window_->addSubview(webView_);
        host_ = std::make_shared<FakeHost>();
        handler_ = std::make_shared<JavascriptBridgeDelegate>(host_);
        bridge_ = JavascriptBridge::javascriptBridgeWithPollingInterval(0.1, webView_, handler_);
        bridge_->setContentHost(host_);
        host_->bridge = bridge_;
    }
    void TearDown() override {
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        bridge_->halt();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::setMinLogLevel(fnd::LogLevel::Info);
        ui::installScriptHostFactory(nullptr);
        fnd::installReachabilityProvider(nullptr);
        fnd::Clock::install(nullptr);
    }

    void load(const std::string& script, const std::string& execute = "", const std::string& name = "test.js") {
        bridge_->loadJavascriptString(script, execute, name, std::nullopt);
        ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    }
    std::string eval(const std::string& js) { return webView_->stringByEvaluatingJavaScriptFromString(js); }
    // Runs `js` in the page, then the commands it queued.
    int run(const std::string& js) {
        eval(js);
        return bridge_->poll();
    }
    // Pumps the loop in real time (the clock stays) until the page's `expression` is defined.
    bool waitFor(const std::string& expression) {
        return fnd::RunLoop::main().pumpUntil([&] { return eval("typeof (" + expression + ")") != "undefined"; }, 20.0);
    }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<FakeHost> host_;
    std::shared_ptr<JavascriptBridgeDelegate> handler_;
    std::shared_ptr<JavascriptBridge> bridge_;
};

TEST(JavascriptBridgeGrammarTest, CommandTexts) {
    auto two = JavascriptBridge::parseCommand("setSetting:\"a\" value:\"5\";");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->selector, "setSetting:value:");
    EXPECT_EQ(two->arguments, (BridgeArguments{fnd::Value("a"), fnd::Value("5")}));
    EXPECT_EQ(JavascriptBridge::parseCommand("displayContent:true")->arguments[0], fnd::Value(1.0));
    EXPECT_EQ(JavascriptBridge::parseCommand("displayContent:NO")->arguments[0], fnd::Value(0.0));
    EXPECT_EQ(JavascriptBridge::parseCommand("setPollingInterval:0.25")->arguments[0], fnd::Value(0.25));
    EXPECT_EQ(JavascriptBridge::parseCommand("  hideMenuButton")->selector, "hideMenuButton");
    EXPECT_TRUE(JavascriptBridge::parseCommand("hideMenuButton")->arguments.empty());
    // Quoted texts keep blanks, colons and inner quotes; a lone quote is empty.
    EXPECT_EQ(JavascriptBridge::parseCommand("log:\"a b: c\"")->arguments[0], fnd::Value("a b: c"));
    EXPECT_EQ(JavascriptBridge::parseCommand("log:\"say \"hi\" now\"")->arguments[0], fnd::Value("say \"hi\" now"));
    EXPECT_EQ(JavascriptBridge::parseCommand("log:\"")->arguments[0], fnd::Value(""));
    EXPECT_EQ(JavascriptBridge::parseCommand("log:")->arguments[0], fnd::Value(0.0));
    EXPECT_FALSE(JavascriptBridge::parseCommand(""));
    EXPECT_FALSE(JavascriptBridge::parseCommand(";"));
}

class EventRecorder : public ui::WebViewDelegate {
public:
    bool webViewShouldStartLoadWithRequest(ui::WebView&, fnd::UrlRequest&, ui::NavigationType) override {
        events.push_back("should");
        return true;
    }
    void webViewDidStartLoad(ui::WebView&) override { events.push_back("start"); }
    void webViewDidFinishLoad(ui::WebView&) override { events.push_back("finish"); }
    std::vector<std::string> events;
};

TEST_F(MarlinBridgeTest, WebViewEventsReachThePreviousDelegate) {
    auto view = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 320, 480));
    auto recorder = std::make_shared<EventRecorder>();
    view->setDelegate(recorder);
    auto bridge = JavascriptBridge::javascriptBridgeWithPollingInterval(1, view);
    bridge->loadJavascriptString("var x = 1;", "", "page.js", std::nullopt);
    EXPECT_TRUE(bridge->isWebViewLoading());
    ASSERT_TRUE(ui::testing::WebViewDriver(view).finishLoad());
    EXPECT_FALSE(bridge->isWebViewLoading());
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"should", "start", "finish"}));
    EXPECT_EQ(view->stringByEvaluatingJavaScriptFromString("MNScriptName() + x"), "page.js1");
    bridge->halt();
}

TEST_F(MarlinBridgeTest, PolledCommandsRunInOrderAndAFailureEndsItsPoll) {
    fnd::testing::LogCapture log;
    auto flags = std::make_shared<FlagRecorder>();
    bridge_->setFlagListener("prefetch", flags);
    load("function start() {\n"
         "  sendCommand('hideMenuButton;');\n"
         "  BridgeLib.log('a b: c');\n"
         "  sendCommand('noSuchCommand:\"x\";');\n"
         "  BridgeLib.setSettingString('k', 'v');\n"
         "  Bridge.setFlag('prefetch');\n"
         "  Bridge.resetFlag('prefetch');\n"
         "  Bridge.setPollingInterval(0);\n"
         "}",
         "start();");
    EXPECT_EQ(host_->menuHidden, 0);
    fnd::RunLoop::main().advance(0.11); // the polling timer
    EXPECT_EQ(host_->menuHidden, 1);
    EXPECT_TRUE(log.contains("a b: c"));
    EXPECT_TRUE(log.contains("Neither bridge nor command handlers know how to handle:\n  noSuchCommand:\"x\""));
    EXPECT_EQ(host_->database().stringForRecordID("k", "settings"), "v");
    EXPECT_EQ(flags->heard, (std::vector<std::string>{"prefetch+", "prefetch-"}));
    EXPECT_DOUBLE_EQ(bridge_->pollingInterval(), 1.0 / 30.0);
    EXPECT_TRUE(log.contains("capping interval"));

    // An unknown property key fails its command and drops the rest of that poll only.
    EXPECT_EQ(run("BridgeLib.setContentControllerProperty('nope', '1'); BridgeLib.setSettingString('after', 'x');"), 0);
    EXPECT_TRUE(log.contains("An exception occured: "));
    EXPECT_FALSE(host_->database().stringForRecordID("after", "settings"));
    EXPECT_EQ(run("BridgeLib.setContentControllerProperty('clientState', '3');"), 1);
    EXPECT_EQ(host_->state, 3);

    // Script calls wait for the page to load, in order; a load cancelled with -999 keeps them.
    bridge_->loadJavascriptString("", "", "two.js", std::nullopt);
    bridge_->sendJavascriptCommand("window.r = (window.r || '') + 'a'");
    bridge_->sendJavascriptCommand("window.r += 'b'");
    EXPECT_EQ(bridge_->pendingJavascriptCommandCount(), 2U);
    ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    EXPECT_EQ(eval("window.r"), "ab");
    ui::testing::WebViewDriver(webView_).failNextLoad(-999);
    bridge_->loadJavascriptString("", "", "three.js", std::nullopt);
    bridge_->sendJavascriptCommand("window.q = 1");
    ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    EXPECT_EQ(bridge_->pendingJavascriptCommandCount(), 1U);
    EXPECT_TRUE(log.contains("Ignoring load failure as it resulted from code -999."));

    // During a pre-roll display the boot and client start expressions are refused.
    load("", "", "client.js");
    host_->state = 4;
    bridge_->loadJavascriptString("", "boot(1);", "boot.js", std::nullopt);
    bridge_->loadJavascriptString("", "clientInit(1);", "client.js", std::nullopt);
    EXPECT_FALSE(webView_->isLoading());
    EXPECT_EQ(eval("MNScriptName()"), "client.js");
    EXPECT_TRUE(log.contains("Preventing call into boot() during pre-roll display."));
    EXPECT_TRUE(log.contains("Preventing calling into clientInit() during pre-roll display."));
}

TEST_F(MarlinBridgeTest, RepliesReachTheScriptAsTheSameTextsAndCallbacksAreNoFormats) {
    load("function got(v) { window.got = v; }");
    host_->message = "say \"hi\" \\ it's\nnew \xE2\x80\xA8 line </script>";
    run("BridgeLib.getContentControllerPropertyWithCallback('loadingMessage', 'got(%s);');");
    EXPECT_EQ(eval("window.got"), host_->message);
    run("BridgeLib.setContentControllerProperty('menuTimerValue', '2.5');"
        "BridgeLib.setContentControllerProperty('javascriptRequestPassthrough', 'true');"
        "BridgeLib.getContentControllerPropertyWithCallback('isAdPrefetched', 'window.pre = %s;');"
        "BridgeLib.getControllerPropertyWithCallback('applicationID', 'window.app = %s;');"
        "BridgeLib.setControllerProperty('serverURL', 'http://other.test');");
    EXPECT_DOUBLE_EQ(host_->menuTimer, 2.5);
    EXPECT_TRUE(host_->passthrough);
    EXPECT_EQ(eval("window.pre"), "0");
    EXPECT_EQ(eval("window.app"), "5");
    EXPECT_EQ(host_->server, "http://other.test");

    // Callbacks are rendered with only %d %lld %f %s %%: %n stays text, missing arguments stay literal.
    run("BridgeLib.getHostVersionStringWithCallback(\"window.v = '%n %s %s %s';\");"
        "BridgeLib.getApplicationIDWithCallback('window.id = %lld;');"
        "BridgeLib.getViewBoundsWithCallback('window.size = [%f, %f];');"
        "BridgeLib.getOrientationWithCallback('window.o = %d;');"
        "BridgeLib.getSessionStartWithCallback('window.t = %lld;');"
        "BridgeLib.getLogContentsWithCallback('window.logs = %s;');"
        "BridgeLib.callback('window.cb = 1;');");
    EXPECT_EQ(eval("window.v"), "%n \"2.3.1\" %s %s");
    EXPECT_EQ(eval("window.id"), "5");
    EXPECT_EQ(eval("window.size.join(',')"), "320,480");
    EXPECT_EQ(eval("window.o"), "1");
    EXPECT_EQ(eval("window.t"), "1262304000000");
    EXPECT_EQ(eval("window.logs"), "null");
    EXPECT_EQ(eval("window.cb"), "1");

    run("BridgeLib.getDeviceNameWithCallback('window.dn = %s;'); BridgeLib.getDeviceUIDWithCallback('window.uid = "
        "%s;');"
        "BridgeLib.disableJavascriptRequestPassthroughWithCallback('window.off = 1;'); BridgeLib.resetLogContents();"
        "BridgeLib.loadScript('client.js', 'go();'); BridgeLib.loadScriptWithBaseURL('../x.js', 'no();', 'file:/x');"
        "BridgeLib.loadScriptWithBaseURL('a.js', 'go(\"a\");', 'file:/a');");
    EXPECT_EQ(eval("window.dn"), "LinuxDevice - 3.1");
    EXPECT_EQ(eval("window.uid.length"), "40");
    EXPECT_EQ(eval("window.off"), "1");
    EXPECT_FALSE(host_->passthrough);
    ASSERT_EQ(host_->loads.size(), 2U);
    EXPECT_EQ(host_->loads[0].path, documents("client.js"));
    EXPECT_EQ(host_->loads[0].expression, "go();");
    EXPECT_EQ(host_->loads[1].expression, "go(\"a\");");
    EXPECT_EQ(host_->loads[1].baseURL, "file:/a");

    // Display control.
    run("BridgeLib.displayContent(true); BridgeLib.displayLoadingIndicator(true); BridgeLib.setBrowserMode(true);"
        "BridgeLib.requestURL('http://x.test/p'); BridgeLib.notifyDelegateConnectionFailed();");
    EXPECT_EQ(host_->presented, 1);
    EXPECT_EQ(host_->loadingShown, 1);
    EXPECT_TRUE(host_->browser);
    EXPECT_EQ(host_->pages, (std::vector<std::pair<std::string, bool>>{{"http://x.test/p", true}}));
    EXPECT_EQ(host_->connectionFailed, 1);
    host_->state = 4;
    run("BridgeLib.displayContent(false);");
    EXPECT_EQ(host_->dismissed, 1);
    EXPECT_EQ(host_->state, 0);
    EXPECT_EQ(host_->boots, 1);
}

TEST_F(MarlinBridgeTest, StoreAndFileCommandsStayInsideDocuments) {
    load("");
    run("BridgeLib.setSettingString('s', 'text');"
        "BridgeLib.setSettingValue('n', '42');"
        "BridgeLib.setSettingBase64String('b', 'aGk=');"
        "BridgeLib.getSettingWithCallback('n', 'window.n = %lld;');"
        "BridgeLib.getSettingWithCallback('s', 'window.s = %s;');"
        "BridgeLib.getSettingWithCallback(\"x' OR '1'='1\", 'window.m = 1;');"
        "BridgeLib.sqlExecute('CREATE TABLE t (a, b)');"
        "BridgeLib.sqlExecute(\"INSERT INTO t VALUES (1, 'x')\");"
        "BridgeLib.sqlExecuteWithCallback('SELECT a, b FROM t', 'window.rows = %s;');"
        "BridgeLib.getMetaDataWithCallback('[\"applicationID\",\"hostVersion\",\"nope\"]', 'window.meta = %s;');"
        "BridgeLib.setClientVersionString('1.0.1');"
        "BridgeLib.getClientVersionStringWithCallback('window.cv = %s;');");
    EXPECT_EQ(eval("window.n"), "42");
    EXPECT_EQ(eval("window.s"), "text");
    EXPECT_EQ(eval("typeof window.m"), "undefined");
    EXPECT_EQ(host_->database().dataForRecordID("b", "settings"), fnd::Bytes({'h', 'i'}));
    EXPECT_EQ(eval("JSON.stringify(JSON.parse(window.rows))"), "[[1,\"x\"]]");
    EXPECT_EQ(eval("JSON.parse(window.meta).hostVersion + JSON.parse(window.meta).applicationID"), "2.3.15");
    EXPECT_EQ(eval("'nope' in JSON.parse(window.meta)"), "false");
    EXPECT_EQ(eval("window.cv"), "1.0.1");

    const std::string outside = fnd::appendingPathComponent(fnd::AppFolders::root(), "outside.txt");
    run("BridgeLib.fileWriteString('dir/a.txt', 'hello');"
        "BridgeLib.fileWriteBase64String('b.bin', 'AAEC');"
        "BridgeLib.loadStringFromFileWithCallback('dir/a.txt', 'window.a = %s;');"
        "BridgeLib.loadBase64StringFromFileWithCallback('b.bin', 'window.b = %s;');"
        "BridgeLib.fileWriteString('../x', 'no');"
        "BridgeLib.fileWriteString('" +
        outside +
        "', 'no');"
        "BridgeLib.loadStringFromFileWithCallback('../x', 'window.refused = %d;');"
        "BridgeLib.writeFileWithContentsOfURLWithCallback('/etc/x', 'http://127.0.0.1:1/', 'window.w = %d;');"
        "BridgeLib.writeScriptString('s.js', 'var x = 1;');"
        "BridgeLib.writeScriptBase64String('t.js', 'dmFyIHk7');"
        "BridgeLib.deleteFile('b.bin');");
    EXPECT_EQ(eval("window.a"), "hello");
    EXPECT_EQ(eval("window.b"), "AAEC");
    EXPECT_EQ(eval("window.refused"), "0");
    EXPECT_EQ(eval("window.w"), "0");
    // Downloads fetch web addresses only: a file URL would copy local files into the script's reach.
    const std::string secret = fnd::appendingPathComponent(fnd::AppFolders::root(), "secret.txt");
    fnd::writeFile(secret, fnd::Bytes({'s'}));
    run("BridgeLib.writeFileWithContentsOfURLWithCallback('copy.txt', 'file://" + secret + "', 'window.fc = %d;');");
    EXPECT_EQ(eval("window.fc"), "0");
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("copy.txt")));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(fnd::appendingPathComponent(fnd::AppFolders::root(), "x")));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(outside));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("b.bin")));
    fnd::Value scripts = host_->database().sqlExecute("SELECT filename, script FROM javascript ORDER BY filename");
    EXPECT_EQ(JSON::stringWithObject(scripts), "[[\"s.js\",\"dmFyIHggPSAxOw==\"],[\"t.js\",\"dmFyIHk7\"]]");
}

// The bridge's web server on 127.0.0.1. Its handlers run on the server's threads while the test reads
// what they recorded and sets the next reply, so that state is kept under one lock.
class Server {
public:
    Server() {
        auto client = [this](const httplib::Request& req, httplib::Response& res) {
            std::string body;
            {
                std::lock_guard lock(mutex_);
                encodings_.push_back(req.get_header_value("Accept-Encoding"));
                queries_.push_back(req.params.size());
                body = reply_;
            }
            if (req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos) {
                fnd::Bytes packed = fnd::deflate(fnd::Bytes(body.begin(), body.end()), -1, fnd::ZlibFraming::Gzip);
                body.assign(packed.begin(), packed.end());
                res.set_header("Content-Encoding", "gzip");
            }
            res.set_content(body, "application/json");
        };
        http.server().Get("/client", client);
        http.server().Get("/AdBridgeServer/req_js.htm", client);
        http.server().Get("/bytes", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(mutex_);
            res.set_content(bytes_, "application/octet-stream");
        });
    }
    std::string url(const std::string& path) { return http.url(path).absoluteString(); }

    void setReply(std::string reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }
    void setBytes(std::string bytes) {
        std::lock_guard lock(mutex_);
        bytes_ = std::move(bytes);
    }
    std::string bytes() const {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    std::string lastEncoding() const {
        std::lock_guard lock(mutex_);
        return encodings_.empty() ? std::string() : encodings_.back();
    }
    // The number of query parameters of each request for the client, in order.
    std::vector<size_t> queries() const {
        std::lock_guard lock(mutex_);
        return queries_;
    }
    void clearQueries() {
        std::lock_guard lock(mutex_);
        queries_.clear();
    }

    fnd::testing::HttpTestServer http;

private:
    mutable std::mutex mutex_;
    std::string reply_;
    std::string bytes_;
    std::vector<std::string> encodings_;
    std::vector<size_t> queries_;
};

const char* const kGoodReply =
    R"({"status":"AllOkay","content":{"clientResponse":)"
    R"({"source":"function clientInit(a, b) { window.inited = b; }","clientVersion":"1.2.3"}}})";

TEST_F(MarlinBridgeTest, DownloadsInstallsAndArchives) {
    Server server;
    server.setReply(kGoodReply);
    load("", "", "boot.js");
    auto install = [&](const std::string& url, const std::string& seconds) {
        run("BridgeLib.installScriptFromURL('client.js', '" + url + "', 'window.inst = [%d, %s];', '" + seconds +
            "', 'window.to = 1;');");
    };
    install(server.url("/client"), "10");
    ASSERT_TRUE(waitFor("window.inst"));
    EXPECT_EQ(eval("window.inst.join()"), "1,1.2.3");
    EXPECT_EQ(server.lastEncoding(), "gzip");
    fnd::Value row = host_->database().sqlExecute("SELECT script FROM javascript WHERE filename='client.js'");
    EXPECT_EQ(Base64::stringWithBase64String(row.asArray()->objectAtIndex(0).asArray()->objectAtIndex(0).stringValue()),
              "function clientInit(a, b) { window.inited = b; }");

    // Without "AllOkay" the source is still stored, the status is 0; a reply that does not parse keeps it.
    server.setReply(R"({"status":"Later","content":{"clientResponse":{"source":"var v2;","clientVersion":"2"}}})");
    eval("delete window.inst");
    install(server.url("/client"), "10");
    ASSERT_TRUE(waitFor("window.inst"));
    EXPECT_EQ(eval("window.inst.join()"), "0,2");
    server.setReply("<<garbage");
    eval("delete window.inst");
    install(server.url("/client"), "10");
    ASSERT_TRUE(waitFor("window.inst"));
    EXPECT_EQ(eval("window.inst.join()"), "0,");
    row = host_->database().sqlExecute("SELECT script FROM javascript WHERE filename='client.js'");
    EXPECT_EQ(Base64::stringWithBase64String(row.asArray()->objectAtIndex(0).asArray()->objectAtIndex(0).stringValue()),
              "var v2;");

    // The time limit: its callback only while boot.js is current; elsewhere the download ends silently.
    install(server.http.url("/stall").absoluteString(), "2");
    clock_->advance(2.1);
    fnd::RunLoop::main().advance(0);
    EXPECT_EQ(eval("window.to"), "1");
    load("", "", "other.js");
    install(server.http.url("/stall").absoluteString(), "2");
    install(server.url("/client"), "10");
    fnd::RunLoop::main().advance(2.1);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return handler_->activeDownloadCount() == 0; }, 20.0));
    EXPECT_EQ(eval("typeof window.to + typeof window.inst"), "undefinedundefined");

    // A file, a good archive and one with an entry that climbs out of its folder.
    server.setBytes("file body");
    run("BridgeLib.writeFileWithContentsOfURLWithCallback('sub/f.txt', '" + server.url("/bytes") +
        "', 'window.f = %d;');");
    ASSERT_TRUE(waitFor("window.f"));
    EXPECT_EQ(eval("window.f"), "1");
    EXPECT_EQ(fileText(documents("sub/f.txt")), "file body");
    server.setBytes(zipBytes({{"a/b.txt", "inside"}, {"c.txt", "too"}}));
    run("BridgeLib.unzipContentsOfURLToFolderWithCallback('" + server.url("/bytes") + "', 'pkg', 'window.z = %d;');");
    ASSERT_TRUE(waitFor("window.z"));
    EXPECT_EQ(eval("window.z"), "1");
    EXPECT_EQ(fileText(documents("pkg/a/b.txt")), "inside");
    server.setBytes(zipBytes({{"ok.txt", "fine"}, {"../evil.txt", "outside"}}));
    run("BridgeLib.unzipContentsOfURLToFolderWithCallback('" + server.url("/bytes") + "', 'pkg2', 'window.z2 = %d;');");
    ASSERT_TRUE(waitFor("window.z2"));
    EXPECT_EQ(eval("window.z2"), "0");
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("evil.txt")));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("pkg2/ok.txt")));
    auto left = fnd::FileManager::contentsOfDirectoryAtPath(fnd::AppFolders::temporary());
    for (const std::string& name : left.value_or(std::vector<std::string>())) {
        EXPECT_NE(name.rfind("marlin-", 0), 0U) << name; // no archive is left behind
    }
    // A file already in Documents unzips through the same reader.
    const std::string zip = server.bytes();
    fnd::writeFile(documents("local.zip"), fnd::Bytes(zip.begin(), zip.end()));
    run("BridgeLib.unzipFileToFolderWithCallback('local.zip', 'pkg3', 'window.u = 1;');");
    EXPECT_EQ(eval("window.u"), "1");
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(documents("evil.txt")));
}

TEST_F(MarlinBridgeTest, AnInstallReplyInflatingPastTheCapFailsWithOneWarning) {
    Server server;
    server.setReply(std::string(fnd::UrlRequest::kDefaultMaxBodyBytes + 1, ' ')); // a few KiB on the wire
    load("", "", "boot.js");
    fnd::testing::LogCapture log;
    run("BridgeLib.installScriptFromURL('client.js', '" + server.url("/client") +
        "', 'window.inst = [%d, %s];', '10', 'window.to = 1;');");
    ASSERT_TRUE(waitFor("window.inst"));
    EXPECT_EQ(eval("window.inst.join()"), "0,");
    EXPECT_EQ(server.lastEncoding(), "gzip");
    // One warning of the client's own (an earlier case's ended thread may still be told of by the run loop).
    EXPECT_EQ(log.count("WARN ") - log.count("WARN run_loop.cpp"), 1U);
    EXPECT_EQ(log.count("Marlin: refused the download of " + server.url("/client") + ": resource exceeds maximum size"),
              1U);
}

TEST_F(MarlinBridgeTest, BuiltInBootScriptInstallsTheClientOrGivesUp) {
    Server server;
    server.setReply(kGoodReply);
    host_->server = server.url("/AdBridgeServer");
    host_->runScripts = true;
    MNDatabase& db = host_->database();
    db.execute("INSERT INTO javascript (filename, script) VALUES(?, ?)",
               {fnd::Value("boot.js"), fnd::Value(Base64::base64StringWithString(MNResources::bootJS()))});
    auto boot = [&] {
        host_->loads.clear();
        host_->loadScript(documents("boot.js"), "boot(5, 'LinuxDevice-3.1', 'uid', '2.3.1', '0.0');", std::nullopt);
        ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    };
    boot();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            bridge_->poll();
            return host_->loads.size() == 2;
        },
        20.0));
    EXPECT_EQ(host_->loads[1].path, documents("client.js"));
    EXPECT_EQ(host_->loads[1].expression, "clientInit(5, \"LinuxDevice-3.1\", \"uid\", \"2.3.1\", \"1.2.3\");");
    EXPECT_EQ(server.lastEncoding(), "gzip");
    EXPECT_EQ(server.queries().back(), 5U);
    // The start expression, quotes and all, reaches the installed client's page unchanged.
    ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    EXPECT_EQ(eval("MNScriptName() + ' ' + window.inited"), "client.js LinuxDevice-3.1");

    // Garbage every time: ten attempts, each after a wait twice the one before (at most 16 s), then a
    // second later the client is idle and the failure relayed.
    server.setReply("not json");
    server.clearQueries();
    ASSERT_TRUE(ui::testing::WebViewDriver(webView_).finishLoad());
    boot();
    for (size_t attempt = 1; attempt <= 10; ++attempt) {
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] {
                bridge_->poll();
                return server.queries().size() == attempt && handler_->activeDownloadCount() == 0 &&
                       bridge_->poll() == 0;
            },
            20.0))
            << attempt;
        if (attempt < 10) {
            const double wait = std::min(1 << (attempt - 1), 16);
            fnd::RunLoop::main().advance(wait - 0.2);
            bridge_->poll();
            EXPECT_EQ(handler_->activeDownloadCount(), 0U) << attempt; // not yet asked again
            fnd::RunLoop::main().advance(0.2);
        }
    }
    EXPECT_EQ(host_->state, 0);
    EXPECT_EQ(host_->connectionFailed, 0);
    fnd::RunLoop::main().advance(0.9);
    EXPECT_EQ(host_->connectionFailed, 0);
    fnd::RunLoop::main().advance(0.2);
    bridge_->poll();
    EXPECT_EQ(host_->state, 1);
    EXPECT_EQ(host_->connectionFailed, 1);
    EXPECT_EQ(host_->dismissed, 1);
    EXPECT_EQ(server.queries().size(), 10U);
}

TEST_F(MarlinBridgeTest, ActionSheetButtonsSkipAndRotation) {
    load("function handleSkip() { return window.allowSkip === true; }\n"
         "function orientationChange(o, w, h) { window.rot = [o, w, h].join(); }");
    run("BridgeLib.prepareActionButtons(); BridgeLib.addActionButtonWithCallback('Replay', 'window.replayed = 1;');"
        "BridgeLib.displayActionButtons();");
    auto sheet = ui::testing::AlertDriver::visibleSheet();
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->numberOfButtons(), 2);
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Skip");
    handler_->didRotateFromInterfaceOrientation();
    EXPECT_EQ(eval("window.rot"), "1,320,480");
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Replay"));
    EXPECT_EQ(eval("window.replayed"), "1");

    handler_->displayActionSheet();
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Skip"));
    EXPECT_EQ(host_->dismissed, 0); // handleSkip() said no
    eval("window.allowSkip = true");
    handler_->displayActionSheet();
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Skip"));
    EXPECT_EQ(host_->dismissed, 1);

    // Not in browser mode.
    host_->browser = true;
    handler_->displayActionSheet();
    EXPECT_FALSE(ui::testing::AlertDriver::visibleSheet());
}

} // namespace
} // namespace zelvan::marlin
