// The GL stack's memory around a display of the animation view: once the view (its GL context and
// surface) has gone, the process's resident size is back near what it was before the first GL context,
// and the next view makes a new context and draws.
#include <gtest/gtest.h>
#include <malloc.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_shape.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in its quarantine; this hands them back to the system.
extern "C" void __sanitizer_purge_allocator();
#endif

namespace zelvan::marlin {
namespace {

using fnd::Value;

constexpr size_t kMiB = 1024 * 1024;

struct Resident {
    size_t total = 0; // VmRSS
    size_t file = 0;  // RssFile: pages of mapped files
};

// The process's resident sizes (/proc/self/status), after handing freed heap memory back to the
// system so that what counts is what is still held.
Resident resident() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_purge_allocator();
#endif
    ::malloc_trim(0);
    Resident out;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        size_t kib = 0;
        fields >> key >> kib;
        if (key == "VmRSS:") {
            out.total = kib * 1024;
        } else if (key == "RssFile:") {
            out.file = kib * 1024;
        }
    }
    return out;
}

// A full-screen animation view showing a red 100 x 60 rectangle at (40, 50), drawn `frames` times.
// Returns the red of the presented frame inside the rectangle (-1 without a frame).
int displayOnce(int frames) {
    auto view = MNEAGLView::createView<MNAnimationView>(gfx::Rect(0, 0, 320, 480));
    if (!view) {
        ADD_FAILURE() << "no animation view";
        return -1;
    }
    auto seg = [](const char* action, double x, double y) {
        return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
    };
    auto path = Value::dictionary(
        {{"path", Value::array({seg("m", 0, 0), seg("l", 100, 0), seg("l", 0, 60), seg("l", -100, 0), seg("z", 0, 0)})},
         {"fillId", "#FF0000"}});
    auto shapes = Value::dictionary();
    shapes.asDictionary()->setObject(
        Value::dictionary({{"paths", Value::array({path})}, {"x", 0.0}, {"y", 0.0}, {"w", 100.0}, {"h", 60.0}}),
        fnd::Key("red"));
    view->setShapesWithProperties(shapes.asDictionary());
    auto shape = std::dynamic_pointer_cast<MNShape>(view->shapeInstanceWithKey("red", "red", true));
    shape->setTransform(gfx::AffineTransform::makeTranslation(40, 50));
    view->root()->placeObj(shape, 1);
    for (int i = 0; i < frames; ++i) {
        view->renderScene();
    }
    auto contents = view->eaglLayer()->contents();
    return contents ? contents->pixelAt(90, 80).r : -1;
}

TEST(MNGLMemoryTest, AClosedViewGivesTheGLStacksMemoryBackAndTheNextViewDrawsAgain) {
    // Loading the driver maps some 60 MiB of its code; with no context left it leaves the resident
    // set again. What stays is what the driver relocated and allocated when it loaded (libLLVM's
    // relocated data alone is 8 MiB: the library is never unloaded). A sanitizer's allocator keeps the
    // pages of freed blocks and their shadow: the whole size gets a wider bound under AddressSanitizer
    // and none under ThreadSanitizer, whose shadow is several times the memory it covers.
#if defined(__SANITIZE_THREAD__)
    constexpr size_t kTotalBound = 0;
#elif defined(__SANITIZE_ADDRESS__)
    constexpr size_t kTotalBound = 40 * kMiB;
#else
    constexpr size_t kTotalBound = 16 * kMiB;
#endif
    const Resident before = resident();
    for (int display = 1; display <= 2; ++display) {
        EXPECT_EQ(displayOnce(30), 255) << "display " << display;
        const Resident after = resident();
        EXPECT_LE(after.file, before.file + 8 * kMiB) << "display " << display << ": " << before.file / 1024
                                                      << " KiB of files before, " << after.file / 1024 << " KiB after";
        if (kTotalBound > 0) {
            EXPECT_LE(after.total, before.total + kTotalBound) << "display " << display << ": " << before.total / 1024
                                                               << " KiB before, " << after.total / 1024 << " KiB after";
        }
    }
}

} // namespace
} // namespace zelvan::marlin
