// Drawing of the animation scene: the frame, the per-character matrix and opacity, the sprite pass with its
// depth-buffer clipping, shape rasterisation into power-of-two textures drawn as one quad, and pattern fills.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_log_channel.h"
#include "ads/marlin/animation/mn_pattern.h"
#include "ads/marlin/animation/mn_scene_host.h"
#include "ads/marlin/animation/mn_shape.h"
#include "ads/marlin/animation/mn_values.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/gles1_context.h"

namespace zelvan::marlin {

namespace {

// The ceiling of a size side, 0 for anything not finite or not positive.
int ceilSide(double side) {
    if (!std::isfinite(side) || side <= 0) {
        return 0;
    }
    return side >= 1.0e9 ? 1000000000 : static_cast<int>(std::ceil(side));
}

bool insertOnce(std::vector<std::shared_ptr<MNCharacter>>& set, const std::shared_ptr<MNCharacter>& object) {
    if (std::find(set.begin(), set.end(), object) != set.end()) {
        return false;
    }
    set.push_back(object);
    return true;
}

} // namespace

// --- The frame ---

void MNAnimationView::renderScene() {
    resizeSurface();
    {
        ContextScope scope(*this);
        if (scope.ready() && viewFramebuffer_ != 0) {
            gfx::Gles1Context& gl = context_->gl();
            // The view's size, unless the surface could not follow it.
            const gfx::Size viewSize = layerSizeChanged() ? size_ : bounds().size;
            const auto width = static_cast<GLfloat>(viewSize.width);
            const auto height = static_cast<GLfloat>(viewSize.height);
            gl.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer_);
            gl.matrixMode(GL_PROJECTION);
            gl.loadIdentity();
            gl.orthof(0, width, 0, height, -100, 100);
            gl.matrixMode(GL_MODELVIEW);
            gl.enable(GL_BLEND);
            gl.enable(GL_COLOR_MATERIAL);
            gl.blendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            gl.disable(GL_CULL_FACE);
            gl.loadIdentity();
            gl.translatef(0, height, 0);
            gl.scalef(1, -1, 1);
            gl.clearColor(0, 0, 0, 1);
            gl.clearDepthf(0);
            gl.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if (auto rootSprite = root()) {
                rootSprite->transformAndRender(gl);
            }
            swapBuffers();
        }
    }
    // The delegate may change the scene or the view; it hears the frame after the context is restored.
    if (auto listener = delegate()) {
        const fnd::Value context = renderContext();
        listener->animationViewPerformedAction(*this, context);
    }
}

// --- Characters ---

float MNCharacter::effectiveOpacity() const {
    float alpha = opacity_;
    for (auto sprite = supersprite(); sprite != nullptr; sprite = sprite->supersprite()) {
        alpha *= sprite->opacity();
    }
    return alpha;
}

void MNCharacter::transformAndRender(gfx::Gles1Context& gl) {
    gl.pushMatrix();
    gl.multMatrixf(transform3D_.data());
    const float alpha = effectiveOpacity();
    if (alpha != 0) {
        gl.color4f(1, 1, 1, alpha);
        render(gl);
    }
    gl.popMatrix();
}

void MNCharacter::render(gfx::Gles1Context& /*gl*/) {}

// --- Sprites ---

void MNSprite::render(gfx::Gles1Context& gl) {
    // Only bounds known to be empty skip the sprite: one child of non-finite size must not hide the rest.
    const gfx::Rect b = bounds();
    const auto empty = [](double side) { return std::isfinite(side) && std::ceil(side) <= 0; };
    if (empty(b.size.width) || empty(b.size.height)) {
        return;
    }
    // Copied: a child's drawing never changes the layers, but the list must not move under us.
    const std::vector<std::shared_ptr<MNCharacter>> children = sortedCharacters();
    if (hasClipping_) {
        activeClippingSet_.reserve(children.size());
        newClippingObjects_.reserve(children.size());
        oldClippingObjects_.reserve(children.size());
        activeClippingSet_.clear();
        newClippingObjects_.clear();
        oldClippingObjects_.clear();
    }
    for (const auto& child : children) {
        if (hasClipping_) {
            const uint64_t layer = child->layerNumber().value_or(0);
            if (child->isClipping()) {
                insertOnce(activeClippingSet_, child);
                newClippingObjects_.push_back(child);
            }
            for (const auto& clip : activeClippingSet_) {
                // 64-bit, so a huge clip depth cannot wrap round.
                const uint64_t last = uint64_t{clip->layerNumber().value_or(0)} + clip->clipDepth();
                if (layer > last) {
                    oldClippingObjects_.push_back(clip);
                }
            }
            for (const auto& old : oldClippingObjects_) {
                activeClippingSet_.erase(std::remove(activeClippingSet_.begin(), activeClippingSet_.end(), old),
                                         activeClippingSet_.end());
            }
            if (!newClippingObjects_.empty() || !oldClippingObjects_.empty()) {
                gl.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
                gl.depthMask(GL_TRUE);
                gl.enable(GL_ALPHA_TEST);
                gl.enable(GL_DEPTH_TEST);
                gl.alphaFunc(GL_GREATER, 0.1F);
                gl.depthFunc(GL_ALWAYS);
                gl.pushMatrix();
                gl.translatef(0, 0, -1);
                const bool becameOld = !oldClippingObjects_.empty();
                if (becameOld) {
                    gl.clearDepthf(0);
                    gl.clear(GL_DEPTH_BUFFER_BIT);
                    for (const auto& clip : activeClippingSet_) {
                        clip->transformAndRender(gl);
                    }
                }
                if (!activeClippingSet_.empty()) {
                    for (const auto& clip : becameOld ? activeClippingSet_ : newClippingObjects_) {
                        clip->transformAndRender(gl);
                    }
                }
                gl.popMatrix();
                gl.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
                gl.disable(GL_ALPHA_TEST);
                gl.enable(GL_BLEND);
                gl.blendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                gl.depthMask(GL_FALSE);
                if (!activeClippingSet_.empty()) {
                    gl.enable(GL_DEPTH_TEST);
                    gl.depthFunc(GL_LESS);
                } else {
                    gl.disable(GL_DEPTH_TEST);
                    gl.depthFunc(GL_ALWAYS);
                }
                newClippingObjects_.clear();
                oldClippingObjects_.clear();
            }
        }
        if (!child->isClipping()) {
            child->transformAndRender(gl);
        }
    }
    if (hasClipping_) {
        gl.enable(GL_DEPTH_TEST);
        gl.depthFunc(GL_ALWAYS);
        gl.depthMask(GL_TRUE);
        gl.clearDepthf(0);
        gl.clear(GL_DEPTH_BUFFER_BIT);
        gl.disable(GL_DEPTH_TEST);
    }
}

// --- Shapes ---

void MNShape::render(gfx::Gles1Context& gl) {
    const gfx::Rect b = bounds();
    const int boundsWidth = ceilSide(b.size.width);
    const int boundsHeight = ceilSide(b.size.height);
    if (boundsWidth == 0 || boundsHeight == 0) {
        return;
    }
    if (contentsTextureID_ == kNoTexture) {
        if (rasterRefused_) {
            return;
        }
        contents_.reset();
        const int bitsWide = MNEAGLView::bitSizeForNumber(static_cast<float>(b.size.width));
        const int bitsHigh = MNEAGLView::bitSizeForNumber(static_cast<float>(b.size.height));
        const int64_t textureWidth = int64_t{1} << std::min(bitsWide, 40);
        const int64_t textureHeight = int64_t{1} << std::min(bitsHigh, 40);
        // A downloaded library sets these sizes: refuse one GL cannot take before any pixels are allocated.
        if (textureWidth > gfx::Gles1Context::kMaxTextureSide || textureHeight > gfx::Gles1Context::kMaxTextureSide) {
            rasterRefused_ = true;
            ZLOG_TO(kMarlinLog, Info, "MNShape %@: a %gx%g shape needs a texture over %d a side; not drawn",
                    fnd::logPreview(instanceKey_), b.size.width, b.size.height,
                    static_cast<int>(gfx::Gles1Context::kMaxTextureSide));
            return;
        }
        const auto width = static_cast<int>(textureWidth);
        const auto height = static_cast<int>(textureHeight);
        contentsSize_ = gfx::Size(width, height);
        contentsData_.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
        auto context = gfx::BitmapContext::wrap(contentsData_.data(), width, height, static_cast<size_t>(width) * 4,
                                                gfx::PixelFormat::Rgba8PremulLast);
        if (context == nullptr) {
            rasterRefused_ = true;
            return;
        }
        context->setFillColorSpace(gfx::ColorSpace::RGB);
        drawInContext(*context);
        context->flush();
        contents_ = context->makeImage();
        context.reset();
        GLuint texture = 0;
        gl.genTextures(1, &texture);
        gl.bindTexture(GL_TEXTURE_2D, texture);
        gl.texImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, contentsData_.data());
        gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        contentsTextureID_ = texture;
    }

    const auto x = static_cast<GLfloat>(b.origin.x);
    const auto y = static_cast<GLfloat>(b.origin.y);
    const auto w = static_cast<GLfloat>(b.size.width);
    const auto h = static_cast<GLfloat>(b.size.height);
    const auto u = static_cast<GLfloat>(b.size.width / contentsSize_.width);
    const auto v = static_cast<GLfloat>(b.size.height / contentsSize_.height);
    const GLfloat vertices[] = {x, y, 0, x + w, y, 0, x, y + h, 0, x + w, y + h, 0};
    const GLfloat texCoords[] = {0, 1, u, 1, 0, 1 - v, u, 1 - v};
    gl.enable(GL_TEXTURE_2D);
    gl.bindTexture(GL_TEXTURE_2D, contentsTextureID_);
    gl.enableClientState(GL_VERTEX_ARRAY);
    gl.enableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.vertexPointer(3, GL_FLOAT, 0, vertices);
    gl.texCoordPointer(2, GL_FLOAT, 0, texCoords);
    gl.drawArrays(GL_TRIANGLE_STRIP, 0, 4);
    // The arrays are ours and go out of scope here.
    gl.disableClientState(GL_VERTEX_ARRAY);
    gl.disableClientState(GL_TEXTURE_COORD_ARRAY);
}

void MNShape::drawInContext(gfx::Context& target) {
    if (paths_.empty()) {
        return;
    }
    const gfx::Rect b = bounds();
    auto scratch = gfx::BitmapContext::create(ceilSide(b.size.width), ceilSide(b.size.height), gfx::PixelFormat::Gray8);
    if (scratch == nullptr) {
        return;
    }
    scratch->setInterpolationQuality(gfx::InterpolationQuality::High);
    auto view = animationView();
    for (size_t i = 0; i < paths_.size(); ++i) {
        const fnd::Dictionary* description = nullptr;
        std::shared_ptr<fnd::Dictionary> held;
        if (pathDescriptions_ != nullptr && i < pathDescriptions_->count()) {
            held = pathDescriptions_->objectAtIndex(i).asDictionary();
            description = held.get();
        }
        const std::optional<std::string> fillKey =
            fillPatternLibraryKey_ ? fillPatternLibraryKey_ : MNString(description, "fillId");
        const std::optional<std::string> strokeKey =
            strokePatternLibraryKey_ ? strokePatternLibraryKey_ : MNString(description, "strokeId");
        const double strokeWidth = MNNumber(description, "strokeWidth");
        gfx::StateSaver saved(target);
        if (fillKey && view != nullptr) {
            renderPath(i, view->patternInstanceWithKey(*fillKey, *fillKey, true), gfx::PathDrawingMode::Fill,
                       strokeWidth, target, *scratch);
        }
        if (strokeKey && view != nullptr) {
            renderPath(i, view->patternInstanceWithKey(*strokeKey, *strokeKey, true), gfx::PathDrawingMode::Stroke,
                       strokeWidth, target, *scratch);
        }
    }
}

void MNShape::renderPath(size_t index, const std::shared_ptr<MNPattern>& pattern, gfx::PathDrawingMode mode,
                         double strokeWidth, gfx::Context& target, gfx::Context& scratch) {
    if (index >= paths_.size() || pattern == nullptr) {
        return;
    }
    const gfx::Rect box = pathBoundingBox(index);
    const gfx::Rect outset(box.origin.x - strokeWidth / 2, box.origin.y - strokeWidth / 2, box.size.width + strokeWidth,
                           box.size.height + strokeWidth);
    if (ceilSide(outset.size.width) == 0 || ceilSide(outset.size.height) == 0) {
        return;
    }
    const gfx::Rect b = bounds();
    scratch.clearRect(gfx::Rect(0, 0, b.size.width, b.size.height));
    {
        gfx::StateSaver saved(scratch);
        scratch.translateCTM(-outset.origin.x, -outset.origin.y);
        scratch.addPath(paths_[index]);
        scratch.setGrayFillColor(1.0, 1.0);
        scratch.setGrayStrokeColor(1.0, 1.0);
        scratch.setLineCap(gfx::LineCap::Round);
        scratch.setLineWidth(strokeWidth);
        scratch.drawPath(mode);
    }
    const gfx::ImagePtr mask = scratch.makeImage();
    if (mask == nullptr) {
        return;
    }
    gfx::StateSaver saved(target);
    const double x = outset.origin.x - b.origin.x;
    const double y = outset.origin.y - b.origin.y;
    target.clipToMask(gfx::Rect(x, y, b.size.width, b.size.height), *mask);
    pattern->renderInContext(target, gfx::Rect(x, y, outset.size.width, outset.size.height));
}

// --- Patterns ---

void MNPattern::renderInContext(gfx::Context& context, gfx::Rect rect) const {
    switch (type_) {
    case kSolid:
        if (solidColor_) {
            context.setFillColor(*solidColor_);
            context.fillRect(rect);
        }
        break;
    case kImage:
        if (image_ != nullptr) {
            context.drawTiledImage(gfx::Rect(rect.origin.x, rect.origin.y, image_->width(), image_->height()), *image_);
        }
        break;
    case kLinear:
        if (gradient_ != nullptr) {
            context.drawLinearGradient(
                *gradient_, rect.origin, gfx::Point(rect.origin.x + rect.size.width, rect.origin.y),
                gfx::GradientDrawingOptions::DrawsBeforeStart | gfx::GradientDrawingOptions::DrawsAfterEnd);
        }
        break;
    case kRadial:
        if (gradient_ != nullptr) {
            context.drawRadialGradient(*gradient_, radialGradientCenter_, 0, radialGradientCenter_,
                                       radialGradientRadius_, gfx::GradientDrawingOptions::DrawsAfterEnd);
        }
        break;
    default:
        ZLOG_TO(kMarlinLog, Debug, "Unknown pattern type: %08X", static_cast<unsigned>(type_));
        break;
    }
}

} // namespace zelvan::marlin
