// zelvan::marlin::MNPattern: a fill of the animation library: a solid colour (also a literal "#RRGGBB" key), an
// image loaded beside the library, or a linear or radial gradient.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/image.h"

namespace zelvan::marlin {

class MNSceneHost;

class MNPattern : public std::enable_shared_from_this<MNPattern> {
public:
    // Types in the order of the library's "type" names; any other value is an unknown type.
    static constexpr int kSolid = 0;
    static constexpr int kImage = 1;
    static constexpr int kLinear = 2;
    static constexpr int kRadial = 3;
    // What a missing or unknown "type" reads as.
    static constexpr int kUnknown = 0x7FFFFFFF;

    static std::shared_ptr<MNPattern> create(const std::string& libraryKey, const std::string& instanceKey,
                                             const std::shared_ptr<MNSceneHost>& view);

    int type() const { return type_; }
    void setType(int type) { type_ = type; }
    const std::string& libraryKey() const { return libraryKey_; }
    const std::string& instanceKey() const { return instanceKey_; }
    const std::optional<gfx::Color>& solidColor() const { return solidColor_; }
    // The image redrawn upside down at its pixel size, ready to tile; none until an image read over HTTP
    // has come.
    const gfx::ImagePtr& image() const { return image_; }
    const std::shared_ptr<gfx::Gradient>& gradient() const { return gradient_; }
    float radialGradientRadius() const { return radialGradientRadius_; }
    gfx::Point radialGradientCenter() const { return radialGradientCenter_; }

    // Paints the pattern over `rect` of `context` by its type; an unknown type only logs.
    void renderInContext(gfx::Context& context, gfx::Rect rect) const;

    MNPattern(std::string libraryKey, std::string instanceKey);

private:
    void loadImage(const std::string& path, const std::shared_ptr<MNSceneHost>& view);
    // Decodes the image read from `path`; false (one Debug line) when there is none.
    bool setImageWithData(const std::string& path, const fnd::Result<fnd::Bytes>& bytes);

    std::string libraryKey_;
    std::string instanceKey_;
    int type_ = kUnknown;
    std::optional<gfx::Color> solidColor_;
    gfx::ImagePtr image_;
    std::shared_ptr<gfx::Gradient> gradient_;
    float radialGradientRadius_ = 0;
    gfx::Point radialGradientCenter_;
};

} // namespace zelvan::marlin
