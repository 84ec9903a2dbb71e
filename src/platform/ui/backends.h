// The outside-world facilities of ui, each behind one abstract interface: the script host that
// runs a web view's pages and the loader that fetches them. Defaults are installed until the
// process or a test installs its own.
#pragma once

#include <functional>
#include <memory>

namespace ui {

class ScriptHost;
class WebPageLoader;

// Makes the script host of each new web view document. The default makes a RecordingScriptHost.
// `installScriptHostFactory(nullptr)` goes back to it. Main thread.
using ScriptHostFactory = std::function<std::shared_ptr<ScriptHost>()>;
void installScriptHostFactory(ScriptHostFactory factory);
std::shared_ptr<ScriptHost> makeScriptHost();

// The loader every web view fetches documents and scripts through; the default is a
// DefaultWebPageLoader. `installWebPageLoader(nullptr)` goes back to it. Main thread.
void installWebPageLoader(std::shared_ptr<WebPageLoader> loader);
std::shared_ptr<WebPageLoader> webPageLoader();

} // namespace ui
