// Fuzz target: random sequences of the animation commands (keys, layers, transforms with NaN, huge and
// wrong-count values, alphas, library entries, clips over any range, frame sizes) run on one animation
// view, with frames drawn between them. Nothing may crash or upset the sanitizers; each input starts from
// an empty scene, so memory stays bounded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/javascript_bridge_animation_delegate.h"
#include "byte_reader_fuzz_support.h"
#include "platform/foundation/log.h"
#include "platform/foundation/value.h"

namespace {

using fnd::Value;
using zelvan::marlin::BridgeArguments;
using zelvan::marlin::JavascriptBridgeAnimationDelegate;
using zelvan::marlin::MNAnimationView;
using zelvan::marlin::MNEAGLView;

Value seg(const char* action, double x, double y) {
    return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
}

Value shape(double w, double h, const char* fill, const char* stroke) {
    auto path = Value::dictionary(
        {{"path", Value::array({seg("m", 1, 1), seg("l", w, 0), seg("l", 0, h), seg("l", -w, 0), seg("z", 0, 0)})},
         {"fillId", fill},
         {"strokeId", stroke},
         {"strokeWidth", 3}});
    return Value::dictionary({{"paths", Value::array({path})}});
}

std::shared_ptr<fnd::Dictionary> library() {
    return Value::dictionary({{"small", shape(20, 10, "#FF0000", "grad")},
                              {"wide", shape(300, 5, "glow", "#00FF00")},
                              {"big", shape(3000, 3000, "#0000FF", "odd")},
                              {"flat", shape(0, 0, "grad", "grad")}})
        .asDictionary();
}

std::shared_ptr<fnd::Dictionary> patterns() {
    auto stops = Value::array({Value::dictionary({{"color", "#FF0000FF"}, {"ratio", 0}}),
                               Value::dictionary({{"color", "#0000FF80"}, {"ratio", 255}})});
    return Value::dictionary({{"grad", Value::dictionary({{"type", "linear"}, {"stops", stops}})},
                              {"glow", Value::dictionary({{"type", "radial"}, {"stops", stops}, {"radius", 9}})},
                              {"odd", Value::dictionary({{"type", "tartan"}})}})
        .asDictionary();
}

const char* const kKeys[] = {"root", "s", "t", "a", "b", "c", "", "null"};
const char* const kEntries[] = {"small", "wide", "big", "flat", "missing"};

std::string number(fuzzsupport::ByteReader& in) {
    switch (in.byte() % 8) {
    case 0:
        return "nan";
    case 1:
        return "1e30";
    case 2:
        return "-0.5";
    case 3:
        return "junk";
    default:
        return std::to_string(in.numberOrAny(120, 10));
    }
}

std::string transform(fuzzsupport::ByteReader& in) {
    const int count = in.byte() % 9;
    if (count == 0) {
        return "null";
    }
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i ? "," : "") + number(in);
    }
    return text;
}

// The argument of one selector part, chosen by the part's name.
std::string argument(fuzzsupport::ByteReader& in, const std::string& part) {
    if (part.find("layer") != std::string::npos || part.find("Layer") != std::string::npos) {
        return std::to_string(in.numberOrAny(12, 2));
    }
    if (part == "transform") {
        return transform(in);
    }
    if (part == "alpha" || part == "complex" || part == "Hidden" || part == "value") {
        return in.byte() % 4 == 0 ? "null" : number(in);
    }
    if (part == "fromLibraryShape" || part == "useFill") {
        return in.byte() % 2 ? kEntries[in.byte() % 5] : "#123456";
    }
    if (part == "property") {
        static const char* const kProperties[] = {"name", "opacity", "clipDepth", "usePathChecking", "other"};
        return kProperties[in.byte() % 5];
    }
    if (part == "X" || part == "y" || part == "width" || part == "height") {
        return std::to_string(in.numberOrAny(200, 20));
    }
    if (part.find("Callback") != std::string::npos) {
        return "cb(%s)";
    }
    return kKeys[in.byte() % 8];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), fnd::setMinLogLevel(fnd::LogLevel::Error), true);
    (void)quiet;
    static std::shared_ptr<MNAnimationView> view = MNEAGLView::createView<MNAnimationView>(gfx::Rect(0, 0, 64, 48));
    static auto handler =
        std::make_shared<JavascriptBridgeAnimationDelegate>(std::weak_ptr<zelvan::marlin::IMarlinContentHost>());
    if (view == nullptr) {
        return 0;
    }
    view->reset();
    view->setFrame(gfx::Rect(0, 0, 64, 48));
    view->setShapesWithProperties(library());
    view->setPatternsWithProperties(patterns());
    view->setDelegate(handler);
    fuzzsupport::ByteReader in(data, size);
    const auto commands = JavascriptBridgeAnimationDelegate::commandTable();
    for (int step = 0; step < 64 && in.more(); ++step) {
        handler->setAnimationView(view);
        const auto& command = commands[in.byte() % commands.size()];
        BridgeArguments arguments;
        std::string selector(command.selector);
        size_t start = 0;
        for (size_t colon = selector.find(':'); colon != std::string::npos; colon = selector.find(':', start)) {
            std::string part = selector.substr(start, colon - start);
            if (part.rfind("bridge_", 0) == 0) {
                part = part.substr(7);
            }
            arguments.push_back(Value(argument(in, part)));
            start = colon + 1;
        }
        command.perform(*handler, arguments);
        if (in.byte() % 4 == 0) {
            view->renderScene();
        }
    }
    view->renderScene();
    return 0;
}
