// ui::WebPageResources: the style sheets and images a rendered page asks for, fetched through the
// installed page loader (the same road as the page) with per-page caps, and told back to the
// renderer as each arrives. Main thread.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"
#include "platform/graphics/image.h"

namespace ui {

class WebPageResources {
public:
    static constexpr size_t kMaxStyleSheetBytes = 2 * 1024 * 1024;
    static constexpr size_t kMaxImages = 64;
    static constexpr size_t kMaxImagePixelBytes = 16 * 1024 * 1024;

    enum class Kind { StyleSheet, Image };
    // Called on the main loop when a resource arrived that changes the page (never from inside a
    // lookup below).
    using ArrivalHandler = std::function<void(Kind)>;

    explicit WebPageResources(ArrivalHandler onArrival);
    ~WebPageResources();
    WebPageResources(const WebPageResources&) = delete;
    WebPageResources& operator=(const WebPageResources&) = delete;

    // A new page: drops everything fetched or in flight. Relative references resolve against
    // `base`; requests name `base` as their main document and carry the page request's header
    // fields (`headers`: the User-Agent, and what the view's delegate added) when they go to the
    // page's own scheme, host and port, else only its User-Agent.
    void reset(std::optional<fnd::Url> base, fnd::HttpHeaders headers);
    // `reference` resolved against `against` (a style sheet's URL) or the page's base.
    std::optional<fnd::Url> resolve(std::string_view reference, std::string_view against = {}) const;

    // The style sheet's text once it arrived; nullopt while it is on its way, or when it failed
    // or went over the cap. The first ask starts the fetch.
    std::optional<std::string> styleSheet(const fnd::Url& url);
    // The decoded image once it arrived; null before, or when it failed or a cap refused it. The
    // first ask starts the fetch.
    gfx::ImagePtr image(const fnd::Url& url);

    // What the fetches in flight share with this object (defined in the .cpp).
    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace ui
