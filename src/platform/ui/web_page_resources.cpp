// Fetching a page's style sheets and images through the page loader, with the caps on sheet size,
// image count and decoded pixels; each refusal is one log line and the page goes on without it.
#include "platform/ui/web_page_resources.h"

#include <utility>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/backends.h"
#include "platform/ui/web_page_loader.h"

namespace ui {

struct WebPageResources::State {
    struct Entry {
        bool arrived = false;
        std::optional<std::string> text;
        gfx::ImagePtr image;
        WebPageCancel cancel;
    };

    ArrivalHandler onArrival;
    std::optional<fnd::Url> base;
    fnd::HttpHeaders headers;
    std::map<std::string, Entry> sheets;
    std::map<std::string, Entry> images;
    size_t pixelBytes = 0;
    bool imageCapLogged = false;

    void cancelAll() {
        for (auto* table : {&sheets, &images}) {
            for (auto& [url, entry] : *table) {
                if (auto cancel = std::exchange(entry.cancel, nullptr)) {
                    cancel();
                }
            }
            table->clear();
        }
        pixelBytes = 0;
        imageCapLogged = false;
    }
};

namespace {

void startFetch(const std::shared_ptr<WebPageResources::State>& state, const fnd::Url& url,
                WebPageResources::Kind kind) {
    fnd::UrlRequest request(url);
    const bool sameOrigin = state->base && state->base->scheme() == url.scheme() && state->base->host() == url.host() &&
                            state->base->port() == url.port();
    if (sameOrigin) {
        request.setAllHTTPHeaderFields(state->headers);
    } else if (auto agent = state->headers.value("User-Agent")) {
        request.setValue(*agent, "User-Agent");
    }
    request.setMainDocumentUrl(state->base);
    std::weak_ptr<WebPageResources::State> weak = state;
    const std::string key = url.absoluteString();
    auto& table = kind == WebPageResources::Kind::StyleSheet ? state->sheets : state->images;
    table[key].cancel = webPageLoader()->fetch(request, [weak, key, kind](fnd::Result<WebPageContent> result) {
        auto s = weak.lock();
        if (!s) {
            return;
        }
        const bool sheet = kind == WebPageResources::Kind::StyleSheet;
        auto& entries = sheet ? s->sheets : s->images;
        auto it = entries.find(key);
        if (it == entries.end()) {
            return;
        }
        WebPageResources::State::Entry& entry = it->second;
        entry.cancel = nullptr;
        entry.arrived = true;
        if (!result) {
            ZLOG(Warn, "WebView: the %s %s did not load: %@", sheet ? "style sheet" : "image", fnd::logPreview(key),
                 fnd::logPreview(result.error().localizedDescription()));
            return;
        }
        const fnd::Bytes& data = result.value().data;
        if (sheet) {
            if (data.size() > WebPageResources::kMaxStyleSheetBytes) {
                ZLOG(Warn, "WebView: skipped the style sheet %s: %lld bytes (limit %lld)", fnd::logPreview(key),
                     static_cast<long long>(data.size()),
                     static_cast<long long>(WebPageResources::kMaxStyleSheetBytes));
                return;
            }
            entry.text = std::string(data.begin(), data.end());
        } else {
            gfx::ImagePtr image = gfx::Image::imageWithData(data);
            if (!image) {
                ZLOG(Warn, "WebView: skipped the image %s: not a picture it can decode", fnd::logPreview(key));
                return;
            }
            const size_t bytes = static_cast<size_t>(image->width()) * static_cast<size_t>(image->height()) * 4;
            if (s->pixelBytes + bytes > WebPageResources::kMaxImagePixelBytes) {
                ZLOG(Warn, "WebView: skipped the image %s: %dx%d is over the page's pixel budget", fnd::logPreview(key),
                     image->width(), image->height());
                return;
            }
            s->pixelBytes += bytes;
            entry.image = std::move(image);
        }
        if (s->onArrival) {
            s->onArrival(kind);
        }
    });
}

} // namespace

WebPageResources::WebPageResources(ArrivalHandler onArrival) : state_(std::make_shared<State>()) {
    state_->onArrival = std::move(onArrival);
}

WebPageResources::~WebPageResources() {
    state_->cancelAll();
}

void WebPageResources::reset(std::optional<fnd::Url> base, fnd::HttpHeaders headers) {
    state_->cancelAll();
    state_->base = std::move(base);
    state_->headers = std::move(headers);
}

std::optional<fnd::Url> WebPageResources::resolve(std::string_view reference, std::string_view against) const {
    if (!against.empty()) {
        if (auto base = fnd::Url::parse(against)) {
            return fnd::Url::resolve(*base, reference);
        }
    }
    if (state_->base) {
        return fnd::Url::resolve(*state_->base, reference);
    }
    return fnd::Url::parse(reference);
}

std::optional<std::string> WebPageResources::styleSheet(const fnd::Url& url) {
    auto it = state_->sheets.find(url.absoluteString());
    if (it == state_->sheets.end()) {
        state_->sheets[url.absoluteString()];
        startFetch(state_, url, Kind::StyleSheet);
        return std::nullopt;
    }
    return it->second.text;
}

gfx::ImagePtr WebPageResources::image(const fnd::Url& url) {
    auto it = state_->images.find(url.absoluteString());
    if (it != state_->images.end()) {
        return it->second.image;
    }
    if (state_->images.size() >= kMaxImages) {
        if (!state_->imageCapLogged) {
            ZLOG(Warn, "WebView: skipped the image %s and any later ones: the page has %lld images",
                 fnd::logPreview(url.absoluteString()), static_cast<long long>(kMaxImages));
            state_->imageCapLogged = true;
        }
        return nullptr;
    }
    state_->images[url.absoluteString()];
    startFetch(state_, url, Kind::Image);
    return nullptr;
}

} // namespace ui
