// The Marlin interstitial network's routes on the ad host, with the demo client script and the demo ad
// (a stored zip made here: an animation library as a property list and a checkered pattern image).
#include "tools/devserver/dev_ads_marlin.h"

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "platform/foundation/zlib_codec.h"
#include "tools/devserver/dev_ads_server.h"
#include "tools/devserver/dev_zip.h"

namespace zelvan::devserver {

namespace {

// The demo client: prefetches the ad into Documents/MNContent, shows it through BridgeGraphics with a
// badge that slides across a patterned stage, and asks for the next ad after each display.
constexpr std::string_view kDemoClient = R"JS(// Demo interstitial client of the dev server.
var g_demo = { frame: 0, timer: null };

function clientInit(applicationID, deviceName, deviceUID, hostVersion, clientVersion) {
    BridgeLib.log("Demo client " + clientVersion + " for application " + applicationID);
    BridgeLib.setClientVersionString(clientVersion);
    prefetchAd();
}

function prefetchAd() {
    BridgeLib.unzipContentsOfURLToFolderWithCallback(BridgeLib.getServerURL() + "/ads/demo.zip", "MNContent",
                                                     "adPrefetched(%d);");
}

function adPrefetched(ok) {
    if (ok != 1) {
        BridgeLib.log("Demo ad could not be fetched");
        return;
    }
    BridgeLib.setSettingValue("isAdPrefetched", "1");
    BridgeLib.setContentControllerProperty("isAdPrefetched", "1");
    BridgeLib.setContentControllerProperty("clientState", "1");
    Bridge.setFlag("prefetch");
}

function displayAd(reach, preRoll) {
    if (preRoll == 1) {
        BridgeLib.setContentControllerProperty("hasClientCheckedInOnPreRoll", "1");
    }
    BridgeLib.setContentControllerProperty("menuTimerValue", "1");
    BridgeLib.displayContent(true);
    BridgeGraphics.initializeAnimation();
    BridgeGraphics.loadPropertyListFromFile("demo/library.plist");
    BridgeGraphics.newSprite("stage");
    BridgeGraphics.newShapeFromLibraryShape("backdrop", "backdrop");
    BridgeGraphics.newShapeFromLibraryShape("badge", "badge");
    BridgeGraphics.placeObjectInSpriteLayerTransform("stage", "root", "1", "null");
    BridgeGraphics.placeObjectInSpriteLayerTransform("backdrop", "stage", "1", "null");
    BridgeGraphics.placeObjectInSpriteLayerTransform("badge", "stage", "2", "1,0,0,1,20,170");
    BridgeGraphics.showFrame();
    g_demo.frame = 0;
    g_demo.timer = setInterval(demoStep, 50);
}

function demoStep() {
    g_demo.frame++;
    var x = 20 + (g_demo.frame * 4) % 120;
    BridgeGraphics.moveObjectInSpriteLayerTransform("stage", "2", "1,0,0,1," + x + ",170");
    BridgeGraphics.showFrame();
}

function handleSkip() {
    if (g_demo.timer !== null) {
        clearInterval(g_demo.timer);
        g_demo.timer = null;
    }
    BridgeGraphics.finalizeAnimation();
    BridgeLib.setSettingValue("isAdPrefetched", "0");
    BridgeLib.setContentControllerProperty("isAdPrefetched", "0");
    BridgeLib.setContentControllerProperty("clientState", "1");
    return true;
}

function shutdown() {
    if (g_demo.timer !== null) {
        clearInterval(g_demo.timer);
        g_demo.timer = null;
    }
}
)JS";

// A w x h rectangle path (relative segments) filled with `fill`, at the origin.
std::string rectangleShape(const char* name, int w, int h, const char* fill) {
    auto seg = [](const char* action, int x, int y) {
        return "<dict><key>action</key><string>" + std::string(action) + "</string><key>x</key><integer>" +
               std::to_string(x) + "</integer><key>y</key><integer>" + std::to_string(y) + "</integer></dict>";
    };
    return "<key>" + std::string(name) +
           "</key><dict><key>x</key><integer>0</integer><key>y</key><integer>0</integer>" + "<key>w</key><integer>" +
           std::to_string(w) + "</integer><key>h</key><integer>" + std::to_string(h) +
           "</integer><key>paths</key><array><dict><key>fillId</key><string>" + fill +
           "</string><key>path</key><array>" + seg("m", 0, 0) + seg("l", w, 0) + seg("l", 0, h) + seg("l", -w, 0) +
           seg("z", 0, 0) + "</array></dict></array></dict>";
}

std::string libraryPlist() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict><key>patterns</key><dict>"
           "<key>tiles</key><dict><key>type</key><string>image</string><key>path</key><string>demo/pattern.png</string>"
           "</dict><key>gold</key><dict><key>type</key><string>solid</string><key>color</key><string>#F2B705FF</string>"
           "</dict></dict><key>shapes</key><dict>" +
           rectangleShape("backdrop", 320, 460, "tiles") + rectangleShape("badge", 160, 100, "gold") +
           "</dict></dict></plist>\n";
}

void putBE32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

uint32_t crcOf(const std::string& data) {
    return fnd::crc32(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

// A 32 x 32 RGB checker of shaded blues.
std::string patternPng() {
    constexpr int kSide = 32;
    std::string raw;
    for (int y = 0; y < kSide; ++y) {
        raw.push_back(0);
        for (int x = 0; x < kSide; ++x) {
            const int shade = ((x / 8) + (y / 8)) % 2 == 0 ? 40 : 0;
            raw.push_back(static_cast<char>(20 + shade + x * 2));
            raw.push_back(static_cast<char>(50 + shade + y * 3));
            raw.push_back(static_cast<char>(230 - shade - x - y));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string header;
    putBE32(header, kSide);
    putBE32(header, kSide);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    for (const auto& [type, data] :
         {std::pair<std::string, std::string>{"IHDR", header}, {"IDAT", packed}, {"IEND", ""}}) {
        putBE32(png, static_cast<uint32_t>(data.size()));
        png += type + data;
        putBE32(png, crcOf(type + data));
    }
    return png;
}

std::string gzipped(const std::string& data) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return {};
    }
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

void DevMarlinService::setMode(MarlinReplyMode mode) {
    std::lock_guard guard(mutex_);
    mode_ = mode;
}

MarlinReplyMode DevMarlinService::mode() const {
    std::lock_guard guard(mutex_);
    return mode_;
}

void DevMarlinService::releaseStalls() {
    std::lock_guard guard(mutex_);
    releasing_ = true;
    released_.notify_all();
}

void DevMarlinService::stall() {
    std::unique_lock lock(mutex_);
    released_.wait_for(lock, std::chrono::seconds(kStallSeconds), [this] { return releasing_; });
}

std::string marlinDemoClientSource() {
    return std::string(kDemoClient);
}

std::string marlinDemoAdArchive() {
    return storedZip({{"demo/library.plist", libraryPlist()}, {"demo/pattern.png", patternPng()}});
}

void addMarlinRoutes(DevAdsServer& server, std::shared_ptr<DevMarlinService> service) {
    if (!service) {
        service = std::make_shared<DevMarlinService>();
    }
    server.addNetwork("/marlin", [service](const DevAdsRequest& request, DevAdsResponse& response) {
        if (request.path == "/marlin/AdBridgeServer/test.htm") {
            response.status = 200;
            response.body = "OK";
            return true;
        }
        if (request.path == "/marlin/AdBridgeServer/ads/demo.zip") {
            response.status = 200;
            response.contentType = "application/zip";
            response.body = marlinDemoAdArchive();
            return true;
        }
        if (request.path != "/marlin/AdBridgeServer/req_js.htm") {
            return false;
        }
        response.status = 200;
        response.contentType = "application/json";
        switch (service->mode()) {
        case MarlinReplyMode::Good:
            response.body =
                std::string("{\"status\":\"AllOkay\",\"content\":{\"clientResponse\":{\"clientVersion\":\"") +
                DevMarlinService::kClientVersion + "\",\"source\":" + jsonString(kDemoClient) + "}}}";
            break;
        case MarlinReplyMode::Failure:
            response.body = "{\"status\":\"NoClient\",\"content\":{}}";
            break;
        case MarlinReplyMode::Garbage:
            response.body = "<html>not the reply you wanted";
            break;
        case MarlinReplyMode::Stall:
            service->stall();
            response.status = 503;
            response.body = "stalled";
            return true;
        }
        if (request.header("Accept-Encoding").find("gzip") != std::string::npos) {
            response.body = gzipped(response.body);
            response.headers["Content-Encoding"] = "gzip";
        }
        return true;
    });
}

} // namespace zelvan::devserver
