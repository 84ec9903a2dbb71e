// Diagnostic page of the interstitial client: a menu that shows the stored settings, the log and the
// view bounds. Nothing loads it unless a developer does by hand.
var g_debugMenu = [
    ["Settings", "debugShowSettings();"],
    ["Log", "debugShowLog();"],
    ["View bounds", "debugShowBounds();"],
    ["Clear log", "BridgeLib.resetLogContents();"]
];

function debugShow(title, text) {
    document.body.innerHTML = "<h3>" + title + "</h3><pre>" + String(text) + "</pre>";
}

function debugShowSettings() {
    BridgeLib.sqlExecuteWithCallback("SELECT id, data FROM settings", "debugShow('Settings', %s);");
}

function debugShowLog() {
    BridgeLib.getLogContentsWithCallback("debugShow('Log', %s);");
}

function debugShowBounds() {
    BridgeLib.getViewBoundsWithCallback("debugShow('View bounds', '%f x %f');");
}

function debugMenu() {
    BridgeLib.prepareActionButtons();
    for (var i = 0; i < g_debugMenu.length; i++) {
        BridgeLib.addActionButtonWithCallback(g_debugMenu[i][0], g_debugMenu[i][1]);
    }
    BridgeLib.displayActionButtons();
}
