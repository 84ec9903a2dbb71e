// The installed script host factory and page loader of ui, with their defaults.
#include "platform/ui/backends.h"

#include "platform/ui/recording_script_host.h"
#include "platform/ui/web_page_loader.h"

namespace ui {

namespace {

ScriptHostFactory& installedFactory() {
    static ScriptHostFactory factory;
    return factory;
}

std::shared_ptr<WebPageLoader>& installedLoader() {
    static std::shared_ptr<WebPageLoader> loader;
    return loader;
}

} // namespace

void installScriptHostFactory(ScriptHostFactory factory) {
    installedFactory() = std::move(factory);
}

std::shared_ptr<ScriptHost> makeScriptHost() {
    if (const auto& factory = installedFactory()) {
        if (auto host = factory()) {
            return host;
        }
    }
    return std::make_shared<RecordingScriptHost>();
}

void installWebPageLoader(std::shared_ptr<WebPageLoader> loader) {
    installedLoader() = std::move(loader);
}

std::shared_ptr<WebPageLoader> webPageLoader() {
    auto& loader = installedLoader();
    if (!loader) {
        loader = std::make_shared<DefaultWebPageLoader>();
    }
    return loader;
}

} // namespace ui
