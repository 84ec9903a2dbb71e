// zelvan::marlin::MNSceneHost: what the nodes of the animation scene (characters, shapes, patterns) need of the
// view that shows them: the library, the pattern registry, the top sprite, where touches are located, the
// delegate's callbacks and the view's GL textures. MNAnimationView implements it; the nodes see their view
// only through it, so they build on this interface rather than on the view that makes them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace ui {
class View;
}

namespace zelvan::marlin {

class MNPattern;
class MNSprite;

class MNSceneHost {
public:
    virtual ~MNSceneHost() = default;

    using LibraryFileCompletion = std::function<void(fnd::Result<fnd::Bytes>)>;

    // The library's entries.
    virtual std::shared_ptr<fnd::Dictionary> patternPropertiesWithKey(const std::string& key) const = 0;
    virtual std::shared_ptr<fnd::Dictionary> shapePropertiesWithKey(const std::string& key) const = 0;
    // Hands the bytes of a file beside the library, or why there are none, to `done`: inside this call for
    // a local file, on the main loop when the answer comes for one over HTTP. Nothing is called once
    // `owner` has gone, or the view has gone or reset its scene meanwhile.
    virtual void readLibraryFile(const std::string& name, std::weak_ptr<const void> owner,
                                 LibraryFileCompletion done) = 0;
    // An image a pattern waited for has come: shapes already rasterised are drawn again at their next
    // frame.
    virtual void patternImageArrived() = 0;
    // The pattern registered under `key`, else (when asked) a new one from library entry `entry`.
    virtual std::shared_ptr<MNPattern> patternInstanceWithKey(const std::string& key, const std::string& entry,
                                                              bool createIfNecessary) = 0;

    // The top sprite of the scene, and the view touch locations are taken in.
    virtual const std::shared_ptr<MNSprite>& root() const = 0;
    virtual const ui::View& sceneView() const = 0;

    // Hands a touch callback's script text to the view's delegate; nothing without one.
    virtual void performSceneAction(const fnd::Value& script) = 0;
    // Deletes a shape's texture from the view's GL context.
    virtual void deleteShapeTexture(uint32_t texture) = 0;
};

} // namespace zelvan::marlin
