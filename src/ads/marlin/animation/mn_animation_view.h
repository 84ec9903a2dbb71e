// zelvan::marlin::MNAnimationView: the animation layer's view. It owns the library (patterns and shapes read
// from a property list beside the ad), the registries of pattern and character instances with the
// "root" sprite, and hands touches on interactive shapes to its delegate as script callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ads/marlin/animation/mn_eagl_view.h"
#include "ads/marlin/animation/mn_scene_host.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/value.h"

namespace zelvan::marlin {

class MNAnimationView;
class MNCharacter;
class MNPattern;
class MNShape;
class MNSprite;

// Hears the frame-done and touch callbacks; `context` is the script text to run (or the frame's
// render context).
class MNAnimationViewDelegate {
public:
    virtual ~MNAnimationViewDelegate() = default;
    virtual void animationViewPerformedAction(MNAnimationView& view, const fnd::Value& context) = 0;
};

class MNAnimationView : public MNEAGLView, public MNSceneHost {
public:
    // Initial capacity of each registry.
    static constexpr size_t kRegistryCapacity = 10;
    static constexpr const char* kRootKey = "root";

    std::string className() const override { return "MNAnimationView"; }
    void initWithFrame(gfx::Rect frame) override;

    // Back to an empty scene: clear background, no library, empty registries, a new "root" sprite; loads
    // still outstanding are cancelled.
    void reset();

    // The longest wait without a byte moving, and the largest file, for a library file or pattern image
    // over HTTP.
    static constexpr double kRemoteFileTimeout = 10;
    static constexpr size_t kRemoteFileMaxBytes = 16 * 1024 * 1024;

    ~MNAnimationView() override;

    // Where library files and pattern images come from: a "file:" URL of a folder inside Documents, an
    // http(s) address, or none for the Documents folder itself.
    const std::optional<fnd::Url>& baseURL() const { return baseURL_; }
    void setBaseURL(std::optional<fnd::Url> url) { baseURL_ = std::move(url); }

    // Reads the property list `name` beside the ad and replaces both libraries with its "patterns" and
    // "shapes": at once for a local file, when the answer comes (on the main loop) for one over HTTP. A
    // later call supersedes a load still outstanding. A file that cannot be read or parsed logs one WARN
    // line and keeps the libraries there were. Instances made earlier keep their state.
    void loadPropertiesFromFile(const std::string& name);
    // The same from bytes already read; false (and one log line, the libraries kept) when they are not a
    // property list holding a dictionary.
    bool loadPropertiesFromData(const fnd::Bytes& bytes);
    void setPatternsWithProperties(std::shared_ptr<fnd::Dictionary> patterns) { patternLibrary_ = std::move(patterns); }
    void setShapesWithProperties(std::shared_ptr<fnd::Dictionary> shapes) { shapeLibrary_ = std::move(shapes); }
    // `name` joined to the base URL: over HTTP through a fetch, else read from Documents, where the name
    // must stay (also under a "file:" base URL).
    void readLibraryFile(const std::string& name, std::weak_ptr<const void> owner, LibraryFileCompletion done) override;
    void patternImageArrived() override;

    std::shared_ptr<fnd::Dictionary> patternPropertiesWithKey(const std::string& key) const override;
    std::shared_ptr<fnd::Dictionary> shapePropertiesWithKey(const std::string& key) const override;
    std::vector<std::string> patternLibraryKeys() const;
    std::vector<std::string> shapeLibraryKeys() const;

    std::shared_ptr<MNCharacter> characterInstanceWithKey(const std::string& key) const;
    // The pattern registered under `key`, else (when asked) a new one from library entry `entry`.
    std::shared_ptr<MNPattern> patternInstanceWithKey(const std::string& key, const std::string& entry,
                                                      bool createIfNecessary) override;
    // The shape registered under `key`; else, when asked, a new shape from `entry` registered in place of
    // whatever was there; else whatever is registered (possibly a sprite).
    std::shared_ptr<MNCharacter> shapeInstanceWithKey(const std::string& key, const std::string& entry,
                                                      bool createIfNecessary);
    // Always a new shape from `entry` whose paths fill with `fillKey`, replacing the instance under `key`.
    std::shared_ptr<MNShape> shapeInstanceWithKeyFromEntryOverrideFill(const std::string& key, const std::string& entry,
                                                                       const std::string& fillKey);
    // As the shape lookup, for sprites; a new sprite has frame (0, 0, 1, 1) and the key as its name.
    std::shared_ptr<MNCharacter> spriteInstanceWithKey(const std::string& key, bool createIfNecessary);

    const std::shared_ptr<MNSprite>& root() const override { return rootSprite_; }
    const ui::View& sceneView() const override { return *this; }
    // To the delegate as animationViewPerformedAction.
    void performSceneAction(const fnd::Value& script) override;
    void deleteShapeTexture(uint32_t texture) override { deleteTexture(texture); }

    std::shared_ptr<MNAnimationViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<MNAnimationViewDelegate>& delegate) { delegate_ = delegate; }

    // Handed to the delegate after the next frame.
    const fnd::Value& renderContext() const { return renderContext_; }
    void setRenderContext(fnd::Value context) { renderContext_ = std::move(context); }

    // The touches grouped by the interactive character each hits, in order of first hit.
    std::vector<std::pair<std::shared_ptr<MNCharacter>, ui::TouchSet>>
    touchesForCharacters(const ui::TouchSet& touches, const std::shared_ptr<MNSprite>& rootSprite) const;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

    // Draws one frame (a changed view size first re-creates the surface), then tells the delegate with
    // the render context.
    void renderScene() override;
    void layoutSubviews() override { renderScene(); }

private:
    // The entry `key` of `dict` when it is a dictionary.
    static std::shared_ptr<fnd::Dictionary> entryOf(const std::shared_ptr<fnd::Dictionary>& dict,
                                                    const std::string& key);
    // The path inside Documents of `name` under the base URL; an error when it would leave Documents.
    fnd::Result<std::string> documentsPath(const std::string& name) const;
    void readFile(const std::string& name, std::weak_ptr<const void> owner,
                  const std::shared_ptr<fnd::UrlCancelToken>& cancel, LibraryFileCompletion done);
    void cancelLoads();

    std::optional<fnd::Url> baseURL_;
    // The library load still outstanding over HTTP, and what ends the pattern images' loads.
    std::shared_ptr<fnd::UrlCancelToken> libraryLoad_;
    std::shared_ptr<fnd::UrlCancelToken> imageLoads_ = std::make_shared<fnd::UrlCancelToken>();
    std::shared_ptr<fnd::Dictionary> patternLibrary_;
    std::shared_ptr<fnd::Dictionary> shapeLibrary_;
    std::unordered_map<std::string, std::shared_ptr<MNPattern>> activePatterns_;
    std::unordered_map<std::string, std::shared_ptr<MNCharacter>> activeCharacters_;
    std::shared_ptr<MNSprite> rootSprite_;
    std::weak_ptr<MNAnimationViewDelegate> delegate_;
    fnd::Value renderContext_;
};

} // namespace zelvan::marlin
