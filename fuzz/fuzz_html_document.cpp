// Fuzz target for the web view's page reader: any bytes, read as a page with and without a server
// charset, must give a document (or a refusal) without crashing, and keep the source it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/log.h"
#include "platform/ui/html_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    for (std::string_view charset : {std::string_view(), std::string_view("iso-8859-1"), std::string_view("utf-16")}) {
        auto document = ui::HtmlDocument::parse(source, charset);
        if (document && document->source() != source) {
            std::abort();
        }
    }
    return 0;
}
