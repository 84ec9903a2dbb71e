// The Adwick network's routes on the ad host: small PNGs for the browser and image paths, the English
// strings table, and a redirect helper for following affiliate links.
#include <string_view>

#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

// A 1 x 1 opaque grey PNG.
constexpr unsigned char kPixelPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x7E, 0x9B, 0x55, 0x00,
    0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81,
    0x77, 0xCD, 0x72, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

constexpr std::string_view kEnglishStrings = R"("Ads by Adwick" = "Ads by Adwick";
"Cancel" = "Cancel";
"Launch Safari" = "Launch Safari";
"Email link" = "Email link";
"Whoops" = "Whoops";
"Ok" = "Ok";
"Call %@?" = "Call %@?";
"Call" = "Call";
"Add %@ to your Address Book?" = "Add %@ to your Address Book?";
"Add" = "Add";
)";

bool isPlainName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-')) {
            return false;
        }
    }
    return true;
}

// "<prefix><name>.png" with a plain name.
bool isPngUnder(std::string_view path, std::string_view prefix) {
    if (!path.starts_with(prefix) || !path.ends_with(".png")) {
        return false;
    }
    std::string_view name = path.substr(prefix.size(), path.size() - prefix.size() - 4);
    return isPlainName(name);
}

} // namespace

void addAdwickRoutes(DevAdsServer& server) {
    server.addNetwork("/adwick", [](const DevAdsRequest& request, DevAdsResponse& response) {
        const std::string& path = request.path;
        if (isPngUnder(path, "/adwick/static/iphone/browser/") || isPngUnder(path, "/adwick/static/iphone/img/")) {
            response.status = 200;
            response.contentType = "image/png";
            response.body.assign(reinterpret_cast<const char*>(kPixelPng), sizeof kPixelPng);
            return true;
        }
        if (path == "/adwick/static/iphone/i18n/20090609/en.strings") {
            response.status = 200;
            response.body = std::string(kEnglishStrings);
            return true;
        }
        if (path == "/adwick/redirect" && !request.param("to").empty()) {
            response.status = 302;
            response.headers["Location"] = request.param("to");
            return true;
        }
        return false;
    });
}

} // namespace zelvan::devserver
