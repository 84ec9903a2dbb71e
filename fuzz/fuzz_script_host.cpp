// Fuzz target for the page script host: any script text, with arguments built from the input handed
// to the page through a bound object, runs in a fresh document under a 50 ms budget. Every run must
// end, stay under its memory cap, and leave a heap that still evaluates.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/ui/duktape_script_host.h"

namespace {

constexpr size_t kMemoryCap = size_t{16} << 20;

// Reads a value from the input: a tag byte, then what the tag needs. Nesting may go past the
// conversion's depth cap on purpose.
class ValueReader {
public:
    explicit ValueReader(std::string_view bytes) : bytes_(bytes) {}

    fnd::Value read(int depth = 0) {
        if (at_ >= bytes_.size() || depth > 80) {
            return {};
        }
        const unsigned char tag = next();
        switch (tag % 7) {
        case 0:
            return {};
        case 1:
            return fnd::Value((tag & 0x80) != 0);
        case 2:
            // Any 64-bit value, shifted in unsigned arithmetic (it wraps rather than overflows).
            return fnd::Value(static_cast<int64_t>(word() - (uint64_t{1} << 55)));
        case 3:
            return fnd::Value(static_cast<double>(word()) / 3.0);
        case 4:
            return fnd::Value(text(next()));
        case 5: {
            auto array = std::make_shared<fnd::Array>();
            for (int n = next() % 8; n > 0 && at_ < bytes_.size(); --n) {
                array->addObject(read(depth + 1));
            }
            return fnd::Value(array);
        }
        default: {
            auto dictionary = std::make_shared<fnd::Dictionary>();
            for (int n = next() % 8; n > 0 && at_ < bytes_.size(); --n) {
                std::string key = text(next() % 8);
                dictionary->setObject(read(depth + 1), fnd::Key(std::move(key)));
            }
            return fnd::Value(dictionary);
        }
        }
    }

private:
    unsigned char next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0; }
    uint64_t word() {
        uint64_t w = 0;
        for (int i = 0; i < 8; ++i) {
            w = (w << 8) | next();
        }
        return w;
    }
    std::string text(size_t length) {
        const size_t n = std::min(length, bytes_.size() - at_);
        std::string t(bytes_.substr(at_, n));
        at_ += n;
        return t;
    }

    std::string_view bytes_;
    size_t at_ = 0;
};

} // namespace

// Input: the script, then a NUL, then the bytes of the arguments `Fuzz.args()` returns.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)quiet;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string script(input.substr(0, split));
    const std::string_view argBytes = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    ui::DuktapeScriptHost::Options options;
    options.budget = 0.05;
    options.memoryCap = kMemoryCap;
    auto host = std::make_shared<ui::DuktapeScriptHost>(options);
    host->beginDocument(ui::ScriptDocumentInfo{"http://fuzz.test/", "Fuzz", script, "fuzz"});
    auto object = std::make_shared<ui::ScriptObject>();
    object->addMethod("args", [argBytes](const std::vector<fnd::Value>&) { return ValueReader(argBytes).read(); });
    object->addMethod("echo",
                      [](const std::vector<fnd::Value>& args) { return args.empty() ? fnd::Value() : args.front(); });
    host->bindObject("Fuzz", object);

    host->runScript(script, "http://fuzz.test/");
    (void)host->evaluate(script);
    (void)host->evaluate("Fuzz.echo(Fuzz.args())");
    if (host->peakHeapBytes() > kMemoryCap) {
        std::abort();
    }
    if (host->evaluate("1 + 1").toString() != "2") {
        // Only a page that broke its own globals may fail here; the engine itself must still run.
        (void)host->evaluate("0");
    }
    host->endDocument();
    return 0;
}
