// zelvan::marlin::MNShape: one vector shape instance of the animation scene, built from a shape description of
// the library: its paths (segments "m", "l", "q", "z"), fill and stroke pattern keys, and bounds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/marlin/animation/mn_character.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "platform/graphics/context.h"
#include "platform/graphics/image.h"
#include "platform/graphics/path.h"

namespace zelvan::marlin {

class MNPattern;

class MNShape : public MNCharacter {
public:
    // The texture id of a shape not rasterised yet.
    static constexpr uint32_t kNoTexture = UINT32_MAX;
    // Every coordinate of a segment is multiplied by this drawing scale.
    static constexpr double kDrawingScale = 1.0;

    // A shape from the library entry `libraryKey` of `view` (no entry: no paths, zero bounds), named
    // after its instance key; the overrides replace every path's "fillId" and "strokeId".
    static std::shared_ptr<MNShape> create(const std::string& libraryKey, const std::string& instanceKey,
                                           const std::shared_ptr<MNSceneHost>& view,
                                           std::optional<std::string> fillID = std::nullopt,
                                           std::optional<std::string> strokeID = std::nullopt);

    // Rebuilds the paths and bounds from `description`.
    void setWithProperties(const std::shared_ptr<fnd::Dictionary>& description,
                           const std::shared_ptr<MNSceneHost>& view, std::optional<std::string> fillID = std::nullopt,
                           std::optional<std::string> strokeID = std::nullopt);

    // The segment actions, performed by name from a table.
    void m(const fnd::Dictionary& segment, gfx::Path& path);
    void l(const fnd::Dictionary& segment, gfx::Path& path);
    void q(const fnd::Dictionary& segment, gfx::Path& path);
    void z(const fnd::Dictionary& segment, gfx::Path& path);

    const std::vector<gfx::Path>& paths() const { return paths_; }
    // The box of path `index`: every point of it, the control points of its curves included.
    gfx::Rect pathBoundingBox(size_t index) const;
    const std::shared_ptr<fnd::Dictionary>& shapeDescription() const { return description_; }
    const std::shared_ptr<fnd::Array>& pathDescriptions() const { return pathDescriptions_; }
    const std::optional<std::string>& fillPatternLibraryKey() const { return fillPatternLibraryKey_; }
    const std::optional<std::string>& strokePatternLibraryKey() const { return strokePatternLibraryKey_; }

    // Whether some path holds the point by non-zero winding, each path taken through this shape's
    // transform.
    bool pathTest(gfx::Point point) const;
    // The bounds test, and with the supersprite's path checking also the path test.
    bool containsPoint(gfx::Point point) override;
    // Interactive exactly when the supersprite has a touch callback.
    bool userInteractionEnabled() const override;

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

    void releasePaths() {
        paths_.clear();
        pathBoxes_.clear();
    }
    bool shouldBufferForSize(gfx::Size /*size*/) const { return true; }
    // Leaving a sprite also drops the raster, so a shape placed again is drawn afresh.
    void removedFromSupersprite(const std::shared_ptr<MNSprite>& sprite) override;

    // The rasterised shape, kept by the renderer.
    const gfx::ImagePtr& contents() const { return contents_; }
    const fnd::Bytes& contentsData() const { return contentsData_; }
    gfx::Size contentsSize() const { return contentsSize_; }
    uint32_t contentsTextureID() const { return contentsTextureID_; }
    void setContents(gfx::ImagePtr image, fnd::Bytes data, gfx::Size size, uint32_t textureID);
    void releaseContents();

    // Rasterises the shape into a power-of-two texture on first use, then draws it as one quad over its
    // bounds. A shape whose texture would exceed the GL cap on a side is skipped (one log line).
    void render(gfx::Gles1Context& gl) override;
    // Paints every path with its fill and stroke patterns into `target`, whose coordinates are the
    // shape's minus its bounds origin.
    void drawInContext(gfx::Context& target);
    // Paints `pattern` into `target` exactly where path `index` fills or strokes (round caps), through a
    // mask drawn in `scratch`.
    void renderPath(size_t index, const std::shared_ptr<MNPattern>& pattern, gfx::PathDrawingMode mode,
                    double strokeWidth, gfx::Context& target, gfx::Context& scratch);

    MNShape(std::string libraryKey, std::string instanceKey);
    ~MNShape() override;

private:
    void sendCallback(const std::optional<std::string>& callback, const ui::TouchSet& touches);

    std::vector<gfx::Path> paths_;
    std::vector<gfx::Rect> pathBoxes_;
    // The curve control points of the path being built (the path keeps its curves as cubics).
    std::vector<gfx::Point> buildingControls_;
    std::shared_ptr<fnd::Dictionary> description_;
    std::shared_ptr<fnd::Array> pathDescriptions_;
    gfx::ImagePtr contents_;
    fnd::Bytes contentsData_;
    gfx::Size contentsSize_;
    uint32_t contentsTextureID_ = kNoTexture;
    // The raster was refused (too large); not tried again until the contents are released.
    bool rasterRefused_ = false;
    std::optional<std::string> fillPatternLibraryKey_;
    std::optional<std::string> strokePatternLibraryKey_;
};

} // namespace zelvan::marlin
