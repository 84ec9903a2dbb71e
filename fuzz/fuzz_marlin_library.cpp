// Fuzz target for the animation library: any bytes loaded as the library, every pattern and shape
// created and placed, path checking on, and a grid of hit tests over the scene. Nothing may crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_pattern.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Image patterns read beside the library: keep them inside a folder of the fuzzer's own.
    static bool ready = (fnd::setLogToStderr(false), setenv("ZELVAN_HOME", "/tmp/fuzz_marlin_library", 1), true);
    (void)ready;
    auto view = ui::View::create<zelvan::marlin::MNAnimationView>(gfx::Rect(0, 0, 320, 480));
    view->loadPropertiesFromData(fnd::Bytes(data, data + size));

    for (const std::string& key : view->patternLibraryKeys()) {
        auto pattern = view->patternInstanceWithKey(key, key, true);
        if (pattern == nullptr || view->patternInstanceWithKey(key, key, false) != pattern) {
            std::abort();
        }
    }
    auto sprite = std::static_pointer_cast<zelvan::marlin::MNSprite>(view->spriteInstanceWithKey("scene", true));
    view->root()->placeObj(sprite, 1);
    unsigned layer = 0;
    for (const std::string& key : view->shapeLibraryKeys()) {
        auto shape = view->shapeInstanceWithKey("i" + key, key, true);
        sprite->placeObj(shape, layer++);
    }
    sprite->setTouchBeganCallback(std::string("t(%s)"));
    sprite->setUsePathChecking(true);
    const gfx::Rect bounds = view->root()->bounds();
    for (int i = 0; i <= 8; ++i) {
        for (int j = 0; j <= 8; ++j) {
            const double x = std::isfinite(bounds.size.width) ? bounds.origin.x + bounds.size.width * i / 8 : i;
            const double y = std::isfinite(bounds.size.height) ? bounds.origin.y + bounds.size.height * j / 8 : j;
            (void)view->root()->hitTest(gfx::Point(x, y));
        }
    }
    return 0;
}
