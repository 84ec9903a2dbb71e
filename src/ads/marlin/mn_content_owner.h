// zelvan::marlin::MNContentOwner: what the content controller needs of the controller that owns it
// (MNController): its two windows, presenting and dismissing the content, the server, application id and
// stored client version, the addresses, and the relays to the application's delegate (the MarlinDelegate
// calls). The content controller holds it weakly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/marlin/marlin_context.h"
#include "ads/marlin/marlin_delegate.h"

namespace ui {
class ViewController;
class Window;
} // namespace ui

namespace zelvan::marlin {

class MNContentOwner : public MarlinDelegate {
public:
    static constexpr std::string_view kSdkVersion = "2.3.1";

    virtual const MarlinAddresses& addresses() const = 0;
    virtual const std::string& serverURL() const = 0;
    virtual void setServerURL(const std::string& url) = 0;
    virtual int64_t applicationID() const = 0;
    virtual void setApplicationID(int64_t id) = 0;
    // The stored "clientVersion" setting.
    virtual std::optional<std::string> clientVersion() = 0;
    virtual void setClientVersion(const std::string& version) = 0;

    // The client's own window, and the one that was key before it took over.
    virtual const std::shared_ptr<ui::Window>& mnWindow() const = 0;
    virtual std::shared_ptr<ui::Window> appWindow() const = 0;
    virtual void makeKeyWindow() = 0;
    virtual void presentController(const std::shared_ptr<ui::ViewController>& controller, bool animated) = 0;
    virtual void dismissController(const std::shared_ptr<ui::ViewController>& controller, bool animated) = 0;
};

} // namespace zelvan::marlin
