// Boot script of the interstitial client: fetches the ad client script from the ad server and starts it.
// Each attempt asks whether the server is reachable, then installs "client.js" from the request URL with a
// 10 s limit; once a client above version "0.00.000" is stored it is started with clientInit(...). A failed
// attempt is followed by the next one after a wait that doubles each time (1 s, 2 s, 4 s, ... at most 16 s),
// so a server that keeps failing is not asked again at once. After 10 attempts without a client, the
// content is hidden, the client is idle and the delegate hears of the failure.
var MN_CLIENT_STATE_INIT = 0;
var MN_CLIENT_STATE_IDLE = 1;
var MN_CLIENT_REQUEST_TIMEOUT = 10;
var MN_CLIENT_DOWNLOAD_ATTEMPTS = 10;
var MN_CLIENT_RETRY_FIRST_MS = 1000;
var MN_CLIENT_RETRY_MOST_MS = 16000;
var MN_NO_CLIENT_VERSION = "0.00.000";

var g_boot = {
    applicationID: 0,
    deviceName: "",
    deviceUID: "",
    hostVersion: "",
    clientVersion: "",
    attempts: 0,
    retryTimer: null
};

function bootRequestURL() {
    return BridgeLib.getServerURL() + "/req_js.htm" +
        "?pubappid=" + encodeURIComponent(g_boot.applicationID) +
        "&deviceid=" + encodeURIComponent(g_boot.deviceName) +
        "&userid=" + encodeURIComponent(g_boot.deviceUID) +
        "&hostversion=" + encodeURIComponent(g_boot.hostVersion) +
        "&clientversion=" + encodeURIComponent(g_boot.clientVersion);
}

function bootTestURL() {
    return BridgeLib.getServerURL() + "/test.htm";
}

function boot(applicationID, deviceName, deviceUID, hostVersion, clientVersion) {
    g_boot.applicationID = applicationID;
    g_boot.deviceName = deviceName;
    g_boot.deviceUID = deviceUID;
    g_boot.hostVersion = hostVersion;
    g_boot.clientVersion = String(clientVersion);
    g_boot.attempts = 0;
    if (g_boot.retryTimer !== null) {
        clearTimeout(g_boot.retryTimer);
        g_boot.retryTimer = null;
    }
    BridgeLib.getContentControllerPropertyWithCallback("clientState", "bootWithState(%s);");
}

function bootWithState(state) {
    if (Number(state) == MN_CLIENT_STATE_INIT) {
        bootAttempt();
    }
}

function bootAttempt() {
    g_boot.retryTimer = null;
    g_boot.attempts++;
    BridgeLib.getNetworkReachabilityWithCallback(bootTestURL(), "bootReachability(%d);");
}

function bootReachability(reach) {
    if (reach == 0) {
        bootHandOver();
        return;
    }
    BridgeLib.installScriptFromURL("client.js", bootRequestURL(), "bootInstalled(%d, %s);",
                                   String(MN_CLIENT_REQUEST_TIMEOUT), "bootTimedOut();");
}

function bootInstalled(status, clientVersion) {
    if (status == 1 && clientVersion) {
        g_boot.clientVersion = String(clientVersion);
    }
    bootHandOver();
}

function bootTimedOut() {
    bootHandOver();
}

function bootHandOver() {
    BridgeLib.getContentControllerPropertyWithCallback("clientState", "bootHandOverInState(%s);");
}

function bootHandOverInState(state) {
    if (Number(state) != MN_CLIENT_STATE_INIT) {
        return;
    }
    if (g_boot.clientVersion > MN_NO_CLIENT_VERSION) {
        BridgeLib.loadScript("client.js", "clientInit(" + Number(g_boot.applicationID) + ", " +
                             JSON.stringify(String(g_boot.deviceName)) + ", " +
                             JSON.stringify(String(g_boot.deviceUID)) + ", " +
                             JSON.stringify(String(g_boot.hostVersion)) + ", " +
                             JSON.stringify(g_boot.clientVersion) + ");");
    } else if (g_boot.attempts < MN_CLIENT_DOWNLOAD_ATTEMPTS) {
        var wait = Math.min(MN_CLIENT_RETRY_FIRST_MS * Math.pow(2, g_boot.attempts - 1), MN_CLIENT_RETRY_MOST_MS);
        g_boot.retryTimer = setTimeout(bootAttempt, wait);
    } else {
        setTimeout(bootGiveUp, 1000);
    }
}

function bootGiveUp() {
    BridgeLib.displayContent(false);
    BridgeLib.setContentControllerProperty("clientState", String(MN_CLIENT_STATE_IDLE));
    BridgeLib.notifyDelegateConnectionFailed();
}
