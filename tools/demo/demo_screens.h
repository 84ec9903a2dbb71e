// DemoScreens: the demo's screenshots - the window as the user sees it, with any alert or sheet on
// screen over it, written as a named PNG into the screenshot folder - and the list of the files
// written, for the summary.
#pragma once

#include <string>
#include <vector>

namespace ui {
class Window;
}

namespace zelvan::demo {

class DemoScreens {
public:
    explicit DemoScreens(std::string folder) : folder_(std::move(folder)) {}

    // Lays out and draws `window` (and the alerts and sheets over it) and writes it as <folder>/<name>; false (with a
    // log line) when the folder cannot be made or the file not written.
    bool save(ui::Window& window, const std::string& name);
    // The same with `overlay` (a window of a higher level, such as an interstitial's) drawn over it at its frame.
    bool save(ui::Window& window, ui::Window& overlay, const std::string& name);

    const std::string& folder() const { return folder_; }
    // The paths written, in order.
    const std::vector<std::string>& written() const { return written_; }

private:
    bool write(ui::Window& window, ui::Window* overlay, const std::string& name);
    std::string folder_;
    std::vector<std::string> written_;
};

} // namespace zelvan::demo
