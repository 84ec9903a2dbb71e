// Client stub of the interstitial client: stored as "client.js" until the ad server sends a real client.
function clientInit() {
    BridgeLib.log("Stub client, no initialization.");
}

function displayAd() {
    BridgeLib.log("Stub client, no ads displayed.");
    BridgeLib.displayContent(false);
}
