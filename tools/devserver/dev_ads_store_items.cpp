// The bought items' files on the ad host: pictures, data archives, a gateway page standing for an archive,
// and on cue (by the name's prefix) a 404, a body without a length, a cut body, a stall, or archives that
// try to write outside their folder.
#include <string>
#include <vector>
#include <zlib.h>

#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr std::string_view kItems = "/store/items/";

// A 1 x 1 PNG picture.
const std::string kPixelPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00"
    "\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x50\x48\x38\x00\x00\x01\xe4\x01\x41\x9c"
    "\x16\xe1\xa0\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    69);

struct ZipEntry {
    std::string name;
    std::string data;
    uint32_t unixMode = 0100644;
    // The size the directory claims (the data's own when 0).
    uint32_t declaredSize = 0;
};

void putLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// An archive of `entries` stored without compression, each with its Unix mode.
std::string storedZip(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const auto& entry : entries) {
        const auto offset = static_cast<uint32_t>(out.size());
        const auto crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size())));
        const auto size = static_cast<uint32_t>(entry.data.size());
        const uint32_t declared = entry.declaredSize ? entry.declaredSize : size;
        const auto nameLength = static_cast<uint32_t>(entry.name.size());
        for (std::string* record : {&out, &central}) {
            const bool local = record == &out;
            putLE(*record, local ? 0x04034b50 : 0x02014b50, 4);
            if (!local) {
                putLE(*record, (3u << 8) | 20, 2); // made on Unix
            }
            for (uint32_t field : {20u, 0u, 0u, 0u, 0x21u}) { // version, flags, method, time, date
                putLE(*record, field, 2);
            }
            putLE(*record, crc, 4);
            putLE(*record, size, 4);
            putLE(*record, declared, 4);
            putLE(*record, nameLength, 2);
            putLE(*record, 0, 2);
            if (!local) {
                putLE(*record, 0, 2); // comment
                putLE(*record, 0, 2); // disk
                putLE(*record, 0, 2); // internal attributes
                putLE(*record, entry.unixMode << 16, 4);
                putLE(*record, offset, 4);
            }
            *record += entry.name;
            if (local) {
                *record += entry.data;
            }
        }
    }
    const auto centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    putLE(out, 0x06054b50, 4);
    putLE(out, 0, 4);
    putLE(out, static_cast<uint32_t>(entries.size()), 2);
    putLE(out, static_cast<uint32_t>(entries.size()), 2);
    putLE(out, static_cast<uint32_t>(central.size()), 4);
    putLE(out, centralOffset, 4);
    putLE(out, 0, 2);
    return out;
}

// The archive served as `name`: an item's data, or one of the hostile ones.
std::string archiveFor(const std::string& name) {
    if (name == "evil-parent.zip") {
        return storedZip({{"ok.txt", "fine"}, {"../evil.txt", "outside"}});
    }
    if (name == "evil-absolute.zip") {
        return storedZip({{"ok.txt", "fine"}, {"/tmp/zelvan-evil.txt", "outside"}});
    }
    if (name == "evil-link.zip") {
        return storedZip({{"link", "/etc", 0120777}, {"link/passwd", "outside"}});
    }
    if (name == "evil-huge.zip") {
        return storedZip({{"huge.bin", "small", 0100644, 0x7FFFFFFF}});
    }
    return storedZip({{"item.txt", "item " + name + "\n"}, {"levels/level1.dat", std::string(300, 'L')}});
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void addStoreItemRoutes(DevAdsServer& server, std::shared_ptr<DevOrvaneService> service) {
    server.addNetwork("/store", [service](const DevAdsRequest& request, DevAdsResponse& response) {
        if (!startsWith(request.path, kItems)) {
            return false;
        }
        const std::string name = request.path.substr(kItems.size());
        if (name.empty() || name.find('/') != std::string::npos) {
            return false;
        }
        if (startsWith(name, "404-")) {
            response.status = 404;
            response.body = "no such item file\n";
            return true;
        }
        if (startsWith(name, "stall-")) {
            service->stall();
            response.status = 500;
            response.body = "stalled";
            return true;
        }
        response.status = 200;
        if (name.ends_with(".png")) {
            response.contentType = "image/png";
            response.body = kPixelPng;
        } else if (startsWith(name, "gateway-") && request.method == "GET") {
            // The page names the real file between its last two double quotes; a POST of the gateway's
            // form to this same address answers the archive.
            response.contentType = "text/html";
            response.body = "<html><body><p>Your file is ready.</p><a href=\"http://" + request.header("Host") +
                            "/store/items/" + name.substr(8) + "\">Download</a></body></html>";
        } else if (name.ends_with(".zip")) {
            response.contentType = "application/zip";
            response.body = archiveFor(startsWith(name, "gateway-") ? name.substr(8) : name);
        } else {
            response.status = 404;
            response.body = "no such item file\n";
            return true;
        }
        if (startsWith(name, "nolength-")) {
            response.delivery = DevAdsResponse::Delivery::NoLength;
        } else if (startsWith(name, "cut-")) {
            response.delivery = DevAdsResponse::Delivery::Cut;
        }
        return true;
    });
}

} // namespace zelvan::devserver
