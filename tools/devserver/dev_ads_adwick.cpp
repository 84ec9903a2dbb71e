// The Adwick network's routes on the ad host: small PNGs for the browser and image paths, the English
// strings table, a redirect helper for following affiliate links, canned ad and click replies, the
// counted pixels, the canvas page, the landing and search help pages and the search suggestions.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

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
"That page is not supported." = "That page is not supported.";
"Couldn't connect to that page." = "Couldn't connect to that page.";
"That file can't be displayed." = "That file can't be displayed.";
"That page is too large to load." = "That page is too large to load.";
"That page is not secure." = "That page is not secure.";
"That page could not be loaded." = "That page could not be loaded.";
)";

// The words the search suggestions are drawn from.
constexpr std::string_view kSuggestionWords[] = {"chess",     "chess clubs", "checkers", "chat",    "friends",
                                                 "fun games", "games",       "go",       "puzzles", "quiz"};

// {"data": [...]} of the words starting with `query` (case-insensitive); an empty query matches none.
std::string suggestionReply(const std::string& query) {
    std::string lower;
    for (char c : query) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    std::string body = R"({"data":[)";
    bool first = true;
    for (std::string_view word : kSuggestionWords) {
        if (!lower.empty() && word.starts_with(lower)) {
            body += (first ? "\"" : ",\"") + std::string(word) + "\"";
            first = false;
        }
    }
    return body + "]}";
}

// The landing page: a plain link, a "tel:" link, a map link, a store link and a link that 404s.
std::string landingPage(const std::string& base) {
    return "<html><head><title>Zelvan Chess</title></head><body><h1>Zelvan Chess</h1><p>Play with friends.</p>"
           "<a id=\"plain\" href=\"" +
           base +
           "/adwick/search_help.html\">Help</a> <a id=\"tel\" href=\"tel:5550100\">Call</a> "
           "<a id=\"map\" href=\"http://maps.atlas.test/?q=zelvan\">Map</a> "
           "<a id=\"store\" href=\"http://store.test/app/zelvan-chess/id100\">Store</a> "
           "<a id=\"missing\" href=\"" +
           base + "/adwick/missing.html\">Missing</a></body></html>";
}

constexpr std::string_view kSearchHelpPage = "<html><head><title>Search help</title></head><body><h2>Search Zelvan</h2>"
                                             "<p>Type a game or a friend's name.</p></body></html>";

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

// A PNG of `width` x `height` RGB pixels from `pixel(x, y)`, its image data in stored (uncompressed)
// deflate blocks, so no compressor is needed.
template <class Pixel>
std::string makePng(uint32_t width, uint32_t height, Pixel pixel) {
    std::string raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw += '\0';
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t rgb = pixel(x, y);
            raw += static_cast<char>((rgb >> 16) & 0xFF);
            raw += static_cast<char>((rgb >> 8) & 0xFF);
            raw += static_cast<char>(rgb & 0xFF);
        }
    }
    auto be32 = [](std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out += static_cast<char>((v >> shift) & 0xFF);
        }
    };
    auto crc = [](const std::string& bytes) {
        uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
        }
        return c ^ 0xFFFFFFFFu;
    };
    auto chunk = [&](std::string& out, const char* type, const std::string& data) {
        be32(out, static_cast<uint32_t>(data.size()));
        std::string body = std::string(type) + data;
        out += body;
        be32(out, crc(body));
    };
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib += static_cast<char>(at + n >= raw.size() ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib.append(raw, at, n);
        if (raw.empty()) {
            break;
        }
    }
    uint32_t a = 1;
    uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    be32(zlib, (b << 16) | a);
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    be32(header, width);
    be32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", "");
    return png;
}

uint32_t mix(uint32_t from, uint32_t to, double t) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = (from >> shift) & 0xFF;
        const double b = (to >> shift) & 0xFF;
        out |= static_cast<uint32_t>(a + (b - a) * t) << shift;
    }
    return out;
}

// The text ad's icon: a board of two greens.
std::string iconPng() {
    return makePng(38, 38, [](uint32_t x, uint32_t y) { return ((x / 6 + y / 6) % 2) ? 0x2E7D32u : 0xA5D6A7u; });
}

// The image banner: a blue-to-orange sweep with a light band.
std::string bannerPng() {
    return makePng(320, 48, [](uint32_t x, uint32_t y) {
        const uint32_t base = mix(0x1E3A8Au, 0xF97316u, x / 319.0);
        return (y > 18 && y < 30) ? mix(base, 0xFFFFFFu, 0.6) : base;
    });
}

// The search ad's tile: a magnifier-like ring.
std::string searchTilePng() {
    return makePng(30, 30, [](uint32_t x, uint32_t y) {
        const int dx = static_cast<int>(x) - 14;
        const int dy = static_cast<int>(y) - 14;
        const int d = dx * dx + dy * dy;
        return (d > 64 && d < 121) ? 0x1565C0u : 0xE3F2FDu;
    });
}

// The action icons: a white chevron on a round dark badge.
std::string actionIconPng() {
    return makePng(20, 20, [](uint32_t x, uint32_t y) {
        const int dx = static_cast<int>(x) - 10;
        const int dy = static_cast<int>(y) - 10;
        if (dx * dx + dy * dy > 90) {
            return 0x8FA3C0u;
        }
        const int ax = dy < 0 ? -dy : dy;
        return (dx + 2 >= ax && dx - 1 <= ax && ax < 5) ? 0xFFFFFFu : 0x263238u;
    });
}

constexpr std::string_view kCanvasPage = R"(<html><head><title>Canvas</title>
<script>
var adwick = {};
function cb(url, title) {
  document.getElementById('title').textContent = title;
  document.getElementById('frame').setAttribute('data-url', url);
}
</script></head>
<body><h1 id="title">Loading</h1><div id="frame"></div>
<a href="adwick://closecanvas">Close</a></body></html>
)";

// The click reply of `action` (url, canvas, app, call, contact; anything else: url).
std::string clickReply(const std::string& base, const std::string& affiliateBase, const std::string& action) {
    if (action == "canvas") {
        return R"({"redirect_url":")" + base + R"(/adwick/static/iphone/landing.html?canvas=1"})";
    }
    if (action == "app") {
        return R"({"redirect_url":")" + affiliateBase +
               R"(/adwick/redirect?to=itms%3A%2F%2Fstore.test%2Fapp%2Fzelvan-chess%2Fid100"})";
    }
    if (action == "call") {
        return R"({"redirect_url":"tel:5550100","acquisition_url":")" + base + R"(/adwick/pixel/track?e=call"})";
    }
    if (action == "contact") {
        return R"({"redirect_url":"","acquisition_url":")" + base +
               R"(/adwick/pixel/track?e=contact","contact":{"organization":"Zelvan Games","phonenums":{"main":"5550100"},)"
               R"("emails":{"work":"hello@zelvan.test"},"note":"Games for friends","image":")" +
               base + R"(/adwick/static/iphone/img/contact.png"}})";
    }
    return R"({"redirect_url":")" + base + R"(/adwick/landing.html"})";
}

// A rich ad's markup: a gradient, a bevelled logo image, a fading title and three pages of text.
std::string flexMarkup(const std::string& base) {
    return R"({"$":{"logo":{"u":")" + base +
           R"(/adwick/flex/logo.png"}},"ta":[0,0,320,48],"itid":0.5,"v":[)"
           R"({"t":"bg","f":[0,0,320,48],"bc":[0.16,0.35,0.62,1],"ia":0.5,"ep":0.5},)"
           R"({"t":"i","f":[6,6,36,36],"$":"logo","b":true,"cav":1,"ut":"logo"},)"
           R"({"t":"l","f":[50,3,220,22],"x":"Zelvan Chess","fs":16,"fn":"Helvetica-Bold","ut":"title",)"
           R"("a":[{"t":"B","kp":"opacity","vt":"F","fv":0,"tv":1,"d":0.5}]},)"
           R"({"t":"p","f":[50,24,260,24],"ut":"pages","p":[)"
           R"({"v":[{"t":"l","f":[0,0,260,20],"x":"Play chess with friends","fs":12,"fc":1}]},)"
           R"({"v":[{"t":"l","f":[0,0,260,20],"x":"A new puzzle every day","fs":12,"fc":1}]},)"
           R"({"v":[{"t":"l","f":[0,0,260,20],"x":"Free to play","fs":12,"fc":1}]}]}]})";
}

// The canned ad reply of kind `kind` (text, banner, search, markup) with click action `action`.
std::string adReply(const std::string& base, const std::string& kind, const std::string& action) {
    const std::string click = base + "/adwick/click?action=" + action;
    if (kind == "markup") {
        return R"({"banner":")" + base + R"(/adwick/static/iphone/ads/banner.png","6":")" + action +
               R"(","jsonp_url":")" + click + R"(","cpm_url":")" + base + R"(/adwick/pixel/cpm","markup":)" +
               flexMarkup(base) + "}";
    }
    if (kind == "banner") {
        return R"({"banner":")" + base + R"(/adwick/static/iphone/ads/banner.png","6":")" + action +
               R"(","8":"Zelvan Chess","jsonp_url":")" + click + R"(","cpm_url":")" + base +
               R"(/adwick/pixel/cpm","tracking_pixel":")" + base + R"(/adwick/pixel/track"})";
    }
    if (kind == "search") {
        return R"({"text":"Search Zelvan","20":1,"204":"/static/iphone/ads/search_tile.png","6":")" + action +
               R"(","21":"Find games and friends","22":")" + base + R"(/adwick/search_help.html","jsonp_url":")" +
               click + R"(","suggestion_url":")" + base + R"(/adwick/suggest?src=search"})";
    }
    return R"({"text":"Play chess with friends on Zelvan","6":")" + action +
           R"(","8":"Zelvan Chess","204":"/static/iphone/ads/icon.png","jsonp_url":")" + click + R"("})";
}

} // namespace

void addAdwickRoutes(DevAdsServer& server) {
    auto cpmHits = std::make_shared<std::atomic<int>>(0);
    auto trackHits = std::make_shared<std::atomic<int>>(0);
    server.addNetwork("/adwick", [cpmHits, trackHits](const DevAdsRequest& request, DevAdsResponse& response) {
        const std::string& path = request.path;
        const std::string host = request.header("Host");
        const std::string base = "http://" + host;
        const size_t colon = host.rfind(':');
        // Affiliate links are on the cleaner's affiliate host, which must follow them.
        const std::string affiliateBase =
            "http://localhost" + (colon == std::string::npos ? std::string() : host.substr(colon));
        if (path == "/adwick/ad_source.php") {
            const std::string kind = request.param("k");
            if (kind == "404") {
                response.status = 404;
                return true;
            }
            response.status = 200;
            response.contentType = "application/json";
            if (kind == "empty") {
                return true;
            }
            std::string action = request.param("test_action");
            if (action.empty()) {
                action = kind == "banner" ? "app" : kind == "search" ? "search" : "url";
            }
            response.body = adReply(base, kind, action);
            return true;
        }
        if (path == "/adwick/click") {
            response.status = 200;
            response.contentType = "application/json";
            response.body = clickReply(base, affiliateBase, request.param("action"));
            return true;
        }
        if (path == "/adwick/pixel/cpm" || path == "/adwick/pixel/track") {
            const int hits = ++*(path == "/adwick/pixel/cpm" ? cpmHits : trackHits);
            response.status = 200;
            response.body = std::to_string(hits);
            return true;
        }
        if (path == "/adwick/static/iphone/canvas.html" || path == "/adwick/static/iphone/landing.html") {
            response.status = 200;
            response.contentType = "text/html; charset=utf-8";
            response.body =
                path.ends_with("canvas.html")
                    ? std::string(kCanvasPage)
                    : std::string("<html><body><h1>Zelvan Chess</h1><p>Play with friends.</p></body></html>");
            return true;
        }
        if (path == "/adwick/static/iphone/img/url.png" || path == "/adwick/static/iphone/img/app.png" ||
            path == "/adwick/static/iphone/img/canvas.png" || path == "/adwick/static/iphone/img/call.png") {
            response.status = 200;
            response.contentType = "image/png";
            response.body = actionIconPng();
            return true;
        }
        if (path == "/adwick/static/iphone/ads/icon.png" || path == "/adwick/static/iphone/ads/banner.png" ||
            path == "/adwick/static/iphone/ads/search_tile.png") {
            response.status = 200;
            response.contentType = "image/png";
            response.body = path.ends_with("icon.png")     ? iconPng()
                            : path.ends_with("banner.png") ? bannerPng()
                                                           : searchTilePng();
            return true;
        }
        if (isPngUnder(path, "/adwick/static/iphone/browser/") || isPngUnder(path, "/adwick/static/iphone/img/")) {
            response.status = 200;
            response.contentType = "image/png";
            response.body = greyPixelPng();
            return true;
        }
        if (path == "/adwick/static/iphone/i18n/20090609/en.strings") {
            response.status = 200;
            response.body = std::string(kEnglishStrings);
            return true;
        }
        if (path == "/adwick/flex/logo.png" || path == "/adwick/flex/not-an-image.png") {
            response.status = 200;
            response.contentType = "image/png";
            response.body = path.ends_with("logo.png") ? iconPng() : std::string("not a picture");
            return true;
        }
        if (path == "/adwick/landing.html" || path == "/adwick/search_help.html") {
            response.status = 200;
            response.contentType = "text/html; charset=utf-8";
            response.body = path == "/adwick/landing.html" ? landingPage(base) : std::string(kSearchHelpPage);
            return true;
        }
        if (path == "/adwick/suggest") {
            response.status = 200;
            response.contentType = "application/json";
            response.body = suggestionReply(request.param("query"));
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
